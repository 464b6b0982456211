#pragma once

#include <QDebug>
#include <QString>
#include <QTest>

// For cases walked as a list of rows inside one test function. A failing check returns from the
// function; this names the row it failed on, as Qt Test does for the rows of a `_data()` table.
class FailingRow {
public:
    explicit FailingRow(QString name) : m_name(std::move(name)) {}
    explicit FailingRow(const char* name) : m_name(QString::fromUtf8(name)) {}
    ~FailingRow() {
        if (QTest::currentTestFailed())
            qWarning().noquote() << "failed on row:" << m_name;
    }
    FailingRow(const FailingRow&) = delete;
    FailingRow& operator=(const FailingRow&) = delete;

private:
    QString m_name;
};
