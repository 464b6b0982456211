// monitor: live measurements from the device on stdout, as text or CSV, until Ctrl-C or a
// number of frames.
#include "catalogue.h"
#include "clicontext.h"
#include "configread.h"
#include "csvlog.h"
#include "editormodel.h"
#include "interruptseam.h"
#include "measurement.h"
#include "texts.h"

#include <QDateTime>

namespace vantelso {

namespace {

QString readingLine(const QDateTime& time, const measure::FrameReading& r) {
    QString line = time.toString(QStringLiteral("HH:mm:ss.zzz"));
    for (int c = 0; c < r.channelCount; ++c) {
        const measure::ChannelReading& ch = r.channels[std::size_t(c)];
        line += QStringLiteral("  %1  in %2 %3  out %4 %5")
                    .arg(QLatin1Char(c == 0 ? 'A' : 'B'))
                    .arg(ch.inputValid ? ch.inputText : QStringLiteral("---"), ch.inputUnit,
                         ch.outputValid ? ch.outputText : QStringLiteral("---"), ch.outputUnit);
    }
    line += QStringLiteral("  status 0x%1\n").arg(r.status, 2, 16, QLatin1Char('0'));
    return line;
}

const char* endText(measure::MeasureEnd why) {
    switch (why) {
    case measure::MeasureEnd::Stopped:
        return "stopped";
    case measure::MeasureEnd::FrameCancelled:
        return "no measurement frame arrived";
    case measure::MeasureEnd::IdentifyFailed:
        return "the device did not identify itself";
    case measure::MeasureEnd::SwitchReadFailed:
        return "reading the switch state failed";
    case measure::MeasureEnd::ReferenceFailed:
        return "reading the output references failed";
    case measure::MeasureEnd::Busy:
        return "the link is busy";
    }
    return "failed";
}

} // namespace

int RunMonitor(CliContext& ctx) {
    int count = 0;
    if (!ctx.intOption(QStringLiteral("count"), 0, 1, 100000000, &count))
        return ExitUsage;
    const bool csv = ctx.parser.isSet(QStringLiteral("csv"));
    if (int rc = ctx.connect())
        return rc;

    // The ranges of the models without range switches come from their configuration.
    Texts texts;
    texts.setLanguage(Texts::English);
    ctx.link.setTexts({texts.lang(68), ctx.link.texts().portNotOpen});
    Catalogue catalogue;
    ReadFailure why = ReadFailure::None;
    const auto read = ReadConfiguration(ctx.link, catalogue, {}, &why);
    if (!read) {
        ctx.error(QStringLiteral("reading the configuration failed (%1)")
                      .arg(ctx.link.texts().communicationError));
        return why == ReadFailure::Incompatible ? ExitRefused : ExitCommFailure;
    }
    EditorModel editor(catalogue, texts);
    editor.setIdentity(read->identity);
    editor.showRecord(read->record, read->mainBlock);
    const measure::MeasureSetup setup = measure::SetupFromEditor(editor, 1);

    measure::Measurement m(ctx.link, catalogue, texts);
    InterruptSeam interrupt;
    QObject::connect(&interrupt, &InterruptSeam::interrupted, &m, &measure::Measurement::Stop);
    int shown = 0;
    if (csv) {
        ctx.out << measure::CsvLog::Header();
        ctx.out.flush();
    }
    QObject::connect(&m, &measure::Measurement::frameShown, &m,
                     [&](const measure::FrameReading& r) {
                         const QDateTime now = QDateTime::currentDateTime();
                         ctx.out << (csv ? measure::CsvLog::Lines(now, r) : readingLine(now, r));
                         ctx.out.flush();
                         if (count > 0 && ++shown >= count)
                             m.Stop();
                     });
    const measure::MeasureEnd end = m.Start(setup);
    if (end == measure::MeasureEnd::Stopped)
        return ExitDone;
    ctx.error(QLatin1String(endText(end)));
    return ExitCommFailure;
}

} // namespace vantelso
