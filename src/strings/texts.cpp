#include "texts.h"

#include <array>

namespace vantelso {

namespace {

// Identifiers in the order of the display-name fields 10..29 of every brand block.
constexpr std::array<const char*, Texts::ModelCount> kModelOrder = {
    "RSX7030",  "RSX7031A", "RSX7031B", "RSX7031C", "RSX7031D", "RSX7032A", "RSX7032B",
    "RSX7032C", "RSX7032D", "RSX7131A", "RSX7131B", "RSX7131C", "RSX7131D", "RSX7132A",
    "RSX7132B", "RSX7132C", "RSX7132D", "RSX7040",  "RSX7035",  "RSX5035",
};

constexpr int kCastrelBrand = 2;

} // namespace

Texts::Texts(const StringTable& table, QObject* parent) : QObject(parent), m_table(&table) {}

int Texts::langOffset() const {
    return m_table->text(1).toInt() * m_langIndex;
}

void Texts::setLanguage(Language language) {
    if (language == m_langIndex)
        return;
    m_langIndex = language;
    emit languageChanged();
}

void Texts::setBrand(int brandIndex) {
    if (brandIndex >= 0 && brandIndex < BrandCount)
        m_brandIndex = brandIndex;
}

QString Texts::lang(int baseId) const {
    return m_table->text(baseId + langOffset());
}

QString Texts::brand(int field) const {
    return m_table->text(brandId(m_brandIndex, field));
}

int Texts::modelField(const QString& modelIdentifier) {
    for (std::size_t k = 0; k < kModelOrder.size(); ++k) {
        if (modelIdentifier == QLatin1String(kModelOrder[k]))
            return FirstModelField + static_cast<int>(k);
    }
    return -1;
}

QString Texts::modelDisplayName(const QString& modelIdentifier) const {
    const int field = modelField(modelIdentifier);
    return field < 0 ? QString() : brand(field);
}

QString Texts::familyDisplayName(std::uint8_t variantByte) const {
    const char* number = nullptr;
    switch (variantByte & 0x60) {
    case 0x40:
        number = "7132";
        break;
    case 0x60:
        number = "7031";
        break;
    default:
        return {};
    }
    const QLatin1String prefix(m_brandIndex == kCastrelBrand ? "KV-" : "RSX ");
    return prefix + QLatin1String(number);
}

} // namespace vantelso
