#include "eepromtool.h"

#include "codecs.h"

#include <QLocale>
#include <cmath>

namespace vantelso::bench {

EepromTool::EepromTool(DeviceLink& link, int lang, QObject* parent)
    : QObject(parent), m_link(link), m_lang(lang) {}

QString EepromTool::text(const char* italian, const char* english) const {
    return QString::fromUtf8(m_lang == 1 ? english : italian);
}

EepromOutcome EepromTool::commFailed(const char* italian, const char* english) const {
    const QString why = m_link.lastCallRefused()
                            ? text("il collegamento è occupato da un altro comando",
                                   "the link is busy with another command")
                            : text("il dispositivo non risponde", "the device does not answer");
    return {EepromOutcome::Kind::CommFailed,
            text("Errore di comunicazione: %1 (%2).", "Communication error: %1 (%2).")
                .arg(text(italian, english), why),
            {}};
}

QString EepromTool::ErrorCountText(int errors) {
    return QString::number(errors) + QStringLiteral(" errori");
}

bool EepromTool::setBank(int bank) {
    if (bank < 0 || bank > 255)
        return false;
    m_bank = bank;
    return true;
}

void EepromTool::setImage(const EepromImage& image) {
    m_image = image;
    m_hasImage = true;
    Q_EMIT imageChanged();
}

bool EepromTool::setImageByte(int address, std::uint8_t value) {
    if (!m_hasImage || address < 0 || address >= EepromImage::Size)
        return false;
    m_image.bytes[std::size_t(address)] = value;
    Q_EMIT imageChanged();
    return true;
}

std::optional<QByteArray> EepromTool::readBytes(int first, int count) {
    const QByteArray bytes = m_link.ReadBlock(m_bank, first, count);
    // Element 0 doubles as the failure flag, so only CommError and a refusal tell.
    if (m_link.lastCallRefused() || m_link.CommError)
        return std::nullopt;
    return bytes.left(count);
}

EepromOutcome EepromTool::readDevice() {
    const auto bytes = readBytes(0, EepromImage::Size);
    if (!bytes)
        return commFailed("lettura della EEprom non riuscita", "the EEPROM was not read");
    EepromImage image;
    for (int a = 0; a < EepromImage::Size; ++a)
        image.bytes[std::size_t(a)] = std::uint8_t(bytes->at(a));
    setImage(image);
    return {};
}

EepromOutcome EepromTool::compare(const QByteArray& device, int first,
                                  const QList<std::uint8_t>& expected) const {
    EepromOutcome out;
    for (int k = 0; k < expected.size(); ++k) {
        const auto got = std::uint8_t(device.at(k));
        if (got != expected[k])
            out.differences.append({first + k, got, expected[k]});
    }
    out.kind = out.differences.isEmpty() ? EepromOutcome::Kind::Done : EepromOutcome::Kind::Differs;
    out.message = ErrorCountText(int(out.differences.size()));
    return out;
}

EepromOutcome EepromTool::verify() {
    if (!m_hasImage)
        return {EepromOutcome::Kind::NoImage,
                text("Nessuna immagine da confrontare: leggere la EEprom o caricare un file.",
                     "No image to compare with: read the EEPROM or load a file."),
                {}};
    const auto bytes = readBytes(0, EepromImage::Size);
    if (!bytes)
        return commFailed("verifica non eseguita", "nothing was verified");
    return compare(*bytes, 0, QList<std::uint8_t>(m_image.bytes.begin(), m_image.bytes.end()));
}

EepromOutcome EepromTool::writeDevice() {
    if (!m_hasImage)
        return {EepromOutcome::Kind::NoImage,
                text("Nessuna immagine da scrivere: leggere la EEprom o caricare un file.",
                     "No image to write: read the EEPROM or load a file."),
                {}};
    WriteQueue items;
    items.reserve(EepromImage::Size);
    for (int a = 0; a < EepromImage::Size; ++a)
        items.append({std::uint8_t(a), m_image.bytes[std::size_t(a)]});
    m_link.WriteBlock(m_bank, items);
    if (m_link.lastCallRefused() || m_link.CommError)
        return commFailed("scrittura della EEprom non riuscita", "the EEPROM was not written");
    return verify();
}

ImageStatus EepromTool::loadFile(const QString& path) {
    EepromImage image;
    const ImageStatus status = LoadEepromImage(path, &image, m_lang);
    if (status.ok())
        setImage(image);
    return status;
}

ImageStatus EepromTool::saveFile(const QString& path) const {
    if (!m_hasImage)
        return {ImageStatus::Kind::FileError,
                text("Nessuna immagine da salvare: leggere la EEprom o caricare un file.",
                     "No image to save: read the EEPROM or load a file.")};
    return SaveEepromImage(path, m_image, m_lang);
}

// ---- single values ----

int EepromTool::ByteCount(ValueFormat format) {
    switch (format) {
    case ValueFormat::Byte:
        return 1;
    case ValueFormat::Int:
        return 2;
    case ValueFormat::Float:
        break;
    }
    return 3;
}

MemoryValue EepromTool::FromRaw(ValueFormat format, std::uint8_t l, std::uint8_t h,
                                std::uint8_t exp) {
    MemoryValue v{format, 0, l, 0, 0};
    switch (format) {
    case ValueFormat::Byte:
        v.value = l;
        break;
    case ValueFormat::Int:
        v.h = h;
        v.value = codecs::Make16(h, l, true);
        break;
    case ValueFormat::Float:
        v.h = h;
        v.exp = exp;
        v.value = codecs::FloatFromBytes(h, l, exp);
        break;
    }
    return v;
}

QString EepromTool::FormatValue(const MemoryValue& value) {
    if (value.format != ValueFormat::Float)
        return QString::number(qint64(value.value));
    // "#0.0####": at least one decimal, at most five, "." whatever the locale.
    QString s = QString::number(value.value, 'f', 5);
    while (s.endsWith(u'0') && !s.endsWith(QStringLiteral(".0")))
        s.chop(1);
    return s == QStringLiteral("-0.0") ? QStringLiteral("0.0") : s;
}

std::optional<MemoryValue> EepromTool::encode(ValueFormat format, const QString& typed,
                                              QString* why) const {
    const QString t = typed.trimmed();
    if (format == ValueFormat::Float) {
        bool ok = false;
        const double v = QLocale::c().toDouble(t, &ok);
        if (!ok || !std::isfinite(v)) {
            *why = text("Valore \"%1\" non numerico (il separatore decimale è il punto).",
                        "Value \"%1\" is not a number (the decimal point is \".\").")
                       .arg(typed);
            return std::nullopt;
        }
        const auto b = codecs::FloatToBytes(v);
        const MemoryValue m = FromRaw(format, b[2], b[1], b[0]);
        // The three bytes keep 15 fraction bits; beyond the exponent's reach the codec
        // clamps, and such a value is refused rather than written as another number.
        if (v != 0 && std::fabs(m.value - v) > std::fabs(v) * std::ldexp(1.0, -14)) {
            *why = text("Valore %1 fuori dal campo del formato Float.",
                        "Value %1 is outside what the Float format holds.")
                       .arg(typed);
            return std::nullopt;
        }
        return m;
    }
    bool ok = false;
    const int v = t.toInt(&ok, 10);
    const int lo = format == ValueFormat::Byte ? 0 : -32768;
    // An Int reads back signed, so only what reads back as typed is taken.
    const int hi = format == ValueFormat::Byte ? 255 : 32767;
    if (!ok || v < lo || v > hi) {
        *why = text("Valore \"%1\" non valido: serve un numero intero da %2 a %3.",
                    "Value \"%1\" is not valid: a whole number from %2 to %3 is needed.")
                   .arg(typed)
                   .arg(lo)
                   .arg(hi);
        return std::nullopt;
    }
    if (format == ValueFormat::Byte)
        return FromRaw(format, std::uint8_t(v), 0, 0);
    const auto hl = codecs::Split16(v);
    return FromRaw(format, hl.low, hl.high, 0);
}

EepromOutcome EepromTool::checkRange(int address, int count) const {
    if (address < 0 || address + count > EepromImage::Size)
        return {EepromOutcome::Kind::BadInput,
                text("Registro %1 non valido: %2 byte devono stare tra 0 e 255.",
                     "Address %1 is not valid: %2 bytes must fit within 0 to 255.")
                    .arg(address)
                    .arg(count),
                {}};
    return {};
}

EepromOutcome EepromTool::readValue(ValueFormat format, int address, MemoryValue* out) {
    const int n = ByteCount(format);
    if (EepromOutcome range = checkRange(address, n); !range.ok())
        return range;
    const auto bytes = readBytes(address, n);
    if (!bytes)
        return commFailed("lettura del valore non riuscita", "the value was not read");
    auto at = [&](int k) { return k < n ? std::uint8_t(bytes->at(k)) : std::uint8_t(0); };
    *out = FromRaw(format, at(0), at(1), at(2));
    return {};
}

EepromOutcome EepromTool::writeValue(int address, const MemoryValue& value) {
    const int n = ByteCount(value.format);
    if (EepromOutcome range = checkRange(address, n); !range.ok())
        return range;
    const QList<std::uint8_t> raw = QList<std::uint8_t>{value.l, value.h, value.exp}.first(n);
    WriteQueue items;
    for (int k = 0; k < n; ++k)
        items.append({std::uint8_t(address + k), raw[k]});
    m_link.WriteBlock(m_bank, items);
    if (m_link.lastCallRefused() || m_link.CommError)
        return commFailed("scrittura del valore non riuscita", "the value was not written");
    const auto back = readBytes(address, n);
    if (!back)
        return commFailed("rilettura del valore non riuscita", "the value was not read back");
    return compare(*back, address, raw);
}

} // namespace vantelso::bench
