#include "measuretexts.h"

#include "texts.h"

namespace vantelso {

namespace {

struct Pair {
    const char* italian;
    const char* english;
};

Pair pair(MeasureText id) {
    switch (id) {
    case MeasureText::LogCsv:
        return {"Registra CSV", "Log to CSV"};
    case MeasureText::LogDialogTitle:
        return {"Registrazione delle misure", "Measurement log"};
    case MeasureText::LogFilter:
        return {"File CSV (*.csv)", "CSV files (*.csv)"};
    case MeasureText::LogOpenFailed:
        return {"Impossibile scrivere il file %1: %2", "Cannot write the file %1: %2"};
    case MeasureText::LogWriteFailed:
        return {"Scrittura del file %1 non riuscita: la registrazione è stata interrotta",
                "Writing the file %1 failed: logging has stopped"};
    case MeasureText::TrendTitle:
        return {"Andamento degli ingressi", "Input trend"};
    case MeasureText::TrendMinutes:
        return {"min", "min"};
    case MeasureText::Status:
        return {"Stato", "Status"};
    }
    return {"", ""};
}

} // namespace

QString MeasureString(const Texts& texts, MeasureText id) {
    const Pair p = pair(id);
    return QString::fromUtf8(texts.langIndex() == Texts::English ? p.english : p.italian);
}

} // namespace vantelso
