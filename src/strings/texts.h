#pragma once

#include "stringtable.h"

#include <QObject>
#include <QString>
#include <cstdint>

namespace vantelso {

// The process's language and brand selection over a string table. One instance is made at
// start-up and handed to every window that shows texts; the language starts Italian and may
// change at run time, the brand is chosen before any window exists.
class Texts : public QObject {
    Q_OBJECT

public:
    enum Language { Italian = 0, English = 1 };
    static constexpr int BrandCount = 4;
    static constexpr int FirstModelField = 10;
    static constexpr int ModelCount = 20;

    explicit Texts(const StringTable& table = StringTable::builtIn(), QObject* parent = nullptr);

    const StringTable& table() const { return *m_table; }

    int langIndex() const { return m_langIndex; }
    // Value of string 1 times the language index: 0 Italian, 300 English.
    int langOffset() const;
    // Emits languageChanged when the language actually changes.
    void setLanguage(Language language);

    int brandIndex() const { return m_brandIndex; }
    // Indices outside 0..BrandCount-1 are ignored.
    void setBrand(int brandIndex);

    // Language string at baseId + langOffset().
    QString lang(int baseId) const;
    // Field of the active brand block, id 1000 + 100 * brandIndex + field.
    QString brand(int field) const;
    static int brandId(int brandIndex, int field) { return 1000 + 100 * brandIndex + field; }

    // Window and message-box title.
    QString productTitle() const { return brand(4); }
    QString webAddress() const { return brand(1); }
    // Italian or English user manual file, by the current language.
    QString manualFileName() const { return brand(langOffset() == 0 ? 2 : 3); }
    // The program's version number as text, as stored in configuration files.
    QString versionText() const { return lang(27); }

    // Brand field of a model identifier ("RSX7030", "RSX7131B", ...): 10..29, or -1 for an
    // identifier that has no display name.
    static int modelField(const QString& modelIdentifier);
    // Display name of the model in the active brand ("RSX 7031 A", "KV-7031 A", "NR6127");
    // empty for an unknown identifier or a model the brand does not name.
    QString modelDisplayName(const QString& modelIdentifier) const;
    // Family shown for the lettered models before their letter is known: "RSX 7132" or
    // "RSX 7031" ("KV-..." in brand 2) when bits 5-6 of the variant byte are 0x40 or 0x60,
    // else empty.
    QString familyDisplayName(std::uint8_t variantByte) const;

signals:
    void languageChanged();

private:
    const StringTable* m_table;
    int m_langIndex = Italian;
    int m_brandIndex = 0;
};

} // namespace vantelso
