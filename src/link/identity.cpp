#include "identity.h"

namespace vantelso {

bool ModelNeedsVariantByte(std::uint8_t modelByte) {
    return modelByte >= 2 && modelByte <= 6;
}

static QString variantBase(std::uint8_t variantByte) {
    switch (variantByte & 0x60) {
    case 0x00:
        return QStringLiteral("RSX7032");
    case 0x20:
        return QStringLiteral("RSX7131");
    case 0x40:
        return QStringLiteral("RSX7132");
    default:
        return QStringLiteral("RSX7031");
    }
}

QString ModelIdentifier(std::uint8_t modelByte, std::uint8_t variantByte) {
    switch (modelByte) {
    case 0:
    case 1:
        return QStringLiteral("RSX7030");
    case 2:
        return variantBase(variantByte) + QLatin1Char('A');
    case 3:
        return variantBase(variantByte) + QLatin1Char('B');
    case 4:
        return variantBase(variantByte) + QLatin1Char('D');
    case 5:
        return QStringLiteral("RSX7132D");
    case 6:
        return variantBase(variantByte) + QLatin1Char('C');
    case 7:
        return QStringLiteral("RSX7040");
    case 8:
        return QStringLiteral("RSX7035");
    case 9:
        return QStringLiteral("RSX5035");
    default:
        return {};
    }
}

QString IdentificationLabel(const DeviceIdentity& id) {
    return QStringLiteral("ID=%1/%2").arg(id.DeviceCode).arg(id.ModelByte);
}

bool ParseModelIdentifier(const QString& text, std::uint8_t* modelByte, std::uint8_t* variantBits) {
    const QString t = text.trimmed().toUpper();
    bool isNumber = false;
    const int n = t.toInt(&isNumber);
    if (isNumber) {
        if (n < 0 || n > 9)
            return false;
        *modelByte = std::uint8_t(n);
        *variantBits = 0;
        return true;
    }
    // Models with a fixed identifier first: "RSX7132D" is the math model (model byte 5),
    // even though a model byte 4 device with both variant bits reads the same.
    for (int m : {0, 5, 7, 8, 9, 2, 3, 4, 6}) {
        for (std::uint8_t bits : {0x00, 0x20, 0x40, 0x60}) {
            if (ModelIdentifier(std::uint8_t(m), bits) == t) {
                *modelByte = std::uint8_t(m);
                *variantBits = bits;
                return true;
            }
        }
    }
    return false;
}

} // namespace vantelso
