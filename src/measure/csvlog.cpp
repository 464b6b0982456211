#include "csvlog.h"

namespace vantelso::measure {

QString CsvLog::Header() {
    return QStringLiteral("time,channel,input,input_unit,output,output_unit,status\n");
}

QString CsvLog::Lines(const QDateTime& time, const FrameReading& reading) {
    const QString stamp = time.toUTC().toString(Qt::ISODateWithMs);
    QString out;
    for (int c = 0; c < reading.channelCount; ++c) {
        const ChannelReading& r = reading.channels[std::size_t(c)];
        out += stamp;
        out += QLatin1Char(',');
        out += QLatin1Char(c == 0 ? 'A' : 'B');
        out += QLatin1Char(',');
        if (r.inputValid)
            out += r.inputText;
        out += QLatin1Char(',');
        out += r.inputUnit;
        out += QLatin1Char(',');
        if (r.outputValid)
            out += r.outputText;
        out += QLatin1Char(',');
        out += r.outputUnit;
        out += QLatin1Char(',');
        out += QString::number(reading.status);
        out += QLatin1Char('\n');
    }
    return out;
}

CsvLog::~CsvLog() {
    close();
}

bool CsvLog::open(const QString& path, QString* error) {
    close();
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
        if (error)
            *error = file->errorString();
        return false;
    }
    // The lines already there: a file may be taken up again by a later measurement.
    m_lines = 0;
    if (QFile existing(path); existing.open(QIODevice::ReadOnly)) {
        while (!existing.atEnd())
            m_lines += existing.readLine().endsWith('\n') ? 1 : 0;
        if (m_lines > 0)
            --m_lines; // the header
    }
    m_file = std::move(file);
    m_stream.setDevice(m_file.get());
    m_stream.setEncoding(QStringConverter::Utf8);
    if (m_file->size() == 0) {
        m_stream << Header();
        m_stream.flush();
    }
    return true;
}

bool CsvLog::append(const QDateTime& time, const FrameReading& reading) {
    if (!m_file)
        return false;
    const QString lines = Lines(time, reading);
    m_stream << lines;
    m_lines += lines.count(u'\n');
    // QTextStream::flush passes its buffer to the file and the file's to the system.
    m_stream.flush();
    return m_stream.status() == QTextStream::Ok && m_file->error() == QFileDevice::NoError;
}

void CsvLog::close() {
    if (!m_file)
        return;
    m_stream.flush();
    m_stream.setDevice(nullptr);
    m_file->close();
    m_file.reset();
}

} // namespace vantelso::measure
