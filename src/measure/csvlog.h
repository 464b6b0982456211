#pragma once

#include "frameconverter.h"

#include <QDateTime>
#include <QFile>
#include <QString>
#include <QTextStream>
#include <memory>

namespace vantelso::measure {

// The measurement log: one line per channel per frame,
//   time,channel,input,input_unit,output,output_unit,status
// with "." as the decimal mark whatever the locale, the time in ISO 8601 (UTC, milliseconds),
// and the status byte in decimal. A value the display skipped is an empty field.
class CsvLog {
public:
    static QString Header();
    // The lines of one frame, each ending in "\n".
    static QString Lines(const QDateTime& time, const FrameReading& reading);

    CsvLog() = default;
    ~CsvLog();
    CsvLog(const CsvLog&) = delete;
    CsvLog& operator=(const CsvLog&) = delete;

    // Opens (appends to) a file; the header goes first into a new or empty file. On failure
    // returns false with the reason in *error.
    bool open(const QString& path, QString* error);
    bool isOpen() const { return m_file != nullptr; }
    QString path() const { return m_file ? m_file->fileName() : QString(); }
    // Writes one frame and hands it to the system at once, so that a stop at any moment (or
    // the program being killed) loses nothing that was already shown. False on a write error.
    bool append(const QDateTime& time, const FrameReading& reading);
    void close();
    // Measurement lines the file holds (its header not counted): those found on opening it
    // plus those written since.
    qint64 lineCount() const { return m_lines; }

private:
    qint64 m_lines = 0;
    std::unique_ptr<QFile> m_file;
    QTextStream m_stream;
};

} // namespace vantelso::measure
