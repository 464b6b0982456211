#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// Files a test writes whole, reads back whole or changes one byte of.

inline bool WriteTestFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

inline QByteArray ReadTestFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

inline bool PatchTestFile(const QString& path, qint64 offset, char byte) {
    QFile f(path);
    return f.open(QIODevice::ReadWrite) && f.seek(offset) && f.putChar(byte);
}
