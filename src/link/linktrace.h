#pragma once

#include <QByteArray>
#include <QLoggingCategory>
#include <QString>

namespace vantelso {

// The wire trace of the device link: every request and reply, time-outs and retries, at
// debug level. Off unless switched on ("vantelso.link.debug=true" in QT_LOGGING_RULES, or
// vantelso-cli --trace); the formatting only runs when the category is enabled.
Q_DECLARE_LOGGING_CATEGORY(lcLink)

// "24 56 00 00 00 0d  |$V....|": the bytes in hex, then as text with non-printable bytes as
// dots, so a trace line shows both what a protocol analyser and a terminal would show.
QString TraceBytes(const QByteArray& bytes);

// Wall-clock time with milliseconds, the first column of every trace line.
QString TraceTime();

} // namespace vantelso
