#pragma once

#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace vantelso {

// Every visible text of the user functions, by numeric id: the Italian and English
// language sections and the four brand blocks. The built-in table is compiled into the
// program as a resource; a missing or malformed table is a fault of the build.
class StringTable {
public:
    // The table of the program's resources, parsed on first use. Aborts with qFatal when the
    // resource is absent or does not parse cleanly.
    static const StringTable& builtIn();

    // Parses the line format of the resource file (UTF-8): `<id> "<text>"`, where the text is
    // everything between the first and the last double quote, verbatim. '#' lines and empty
    // lines are skipped. Malformed lines and repeated ids are described in errors (when
    // given); for a repeated id the first entry stays.
    static StringTable parse(QByteArrayView utf8, QStringList* errors = nullptr);

    // Empty for an id the table does not hold.
    QString text(int id) const { return m_texts.value(id); }
    bool contains(int id) const { return m_texts.contains(id); }
    // All ids held, ascending.
    QList<int> ids() const;

private:
    QHash<int, QString> m_texts;
};

} // namespace vantelso
