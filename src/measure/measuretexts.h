#pragma once

#include <QString>

namespace vantelso {

class Texts;

// Texts of the measurement window and its log that the string table does not hold, in
// Italian and English; they follow the language chosen in `Texts`.
enum class MeasureText {
    LogCsv,         // check box that switches the CSV log on
    LogDialogTitle, // title of the log file dialog
    LogFilter,      // its file filter
    LogOpenFailed,  // "%1" file, "%2" reason
    LogWriteFailed, // "%1" file: the log stopped
    TrendTitle,     // caption of the trend plot
    TrendMinutes,   // axis caption of the time axis
    Status,         // caption of the status lamps
};

QString MeasureString(const Texts& texts, MeasureText id);

} // namespace vantelso
