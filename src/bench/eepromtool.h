#pragma once

#include "devicelink.h"
#include "eepromimage.h"

#include <QList>
#include <QObject>
#include <optional>

namespace vantelso::bench {

// How a single value sits in memory. Byte: one byte L at the address. Int: L at the address
// and H after it, the 16-bit word H*256+L, signed. Float: L, H, Exp at the address and the two
// after it, the record float whose E, H, M bytes are Exp, H, L.
enum class ValueFormat { Byte = 0, Int = 1, Float = 2 };

// A value and its raw bytes. Only the first ByteCount(format) of l, h, exp are used.
struct MemoryValue {
    ValueFormat format = ValueFormat::Byte;
    double value = 0;
    std::uint8_t l = 0;
    std::uint8_t h = 0;
    std::uint8_t exp = 0;
};

// An address where the device holds something other than the image.
struct Difference {
    int address = 0;
    std::uint8_t device = 0;
    std::uint8_t expected = 0;
    bool operator==(const Difference&) const = default;
};

struct EepromOutcome {
    enum class Kind {
        Done,
        NoImage,    // nothing read or loaded yet to write or compare
        BadInput,   // a bank, address or value that the device cannot take
        CommFailed, // the device did not answer (or the link was busy with another command)
        Differs,    // the device answered and holds something else
    };
    Kind kind = Kind::Done;
    QString message;
    QList<Difference> differences;
    bool ok() const { return kind == Kind::Done; }
};

// The EEPROM tool without its window: one bank of the device's memory against an image held
// here (read from the device or loaded from a ".dat" file), written whole or compared, and
// single values of a chosen format read or written at a chosen address. Everything goes
// through the link's block read and write; a write is only reported done once the device has
// been read back and holds what was sent.
class EepromTool : public QObject {
    Q_OBJECT
public:
    // Messages in `lang`: 0 Italian (the bench window), 1 English (the command-line tool).
    explicit EepromTool(DeviceLink& link, int lang = 0, QObject* parent = nullptr);

    DeviceLink& link() const { return m_link; }
    int bank() const { return m_bank; }
    // False (bank unchanged) outside 0..255.
    bool setBank(int bank);

    bool hasImage() const { return m_hasImage; }
    const EepromImage& image() const { return m_image; }
    void setImage(const EepromImage& image);
    // One address of the image edited by hand; needs an image.
    bool setImageByte(int address, std::uint8_t value);

    // Device -> image; on failure the image is left as it was.
    EepromOutcome readDevice();
    // Image -> device (all 256 addresses in one block write), then read back and compared.
    EepromOutcome writeDevice();
    // Reads the device and compares it with the image. A device that does not answer is a
    // communication failure, never "0 errori".
    EepromOutcome verify();

    ImageStatus loadFile(const QString& path);
    ImageStatus saveFile(const QString& path) const;

    static int ByteCount(ValueFormat format);
    // The value its raw bytes stand for (l, h, exp as far as the format uses them).
    static MemoryValue FromRaw(ValueFormat format, std::uint8_t l, std::uint8_t h,
                               std::uint8_t exp);
    // The raw bytes of a typed value: whole numbers 0..255 (Byte) or -32768..32767 (Int, as
    // it reads back),
    // any number the record float holds (Float, "." as the decimal point). nullopt with the
    // reason in `why` for anything else: a value that is not what the operator typed is never
    // written.
    std::optional<MemoryValue> encode(ValueFormat format, const QString& text, QString* why) const;
    // "#0.0####" for Float, the whole number for Byte and Int.
    static QString FormatValue(const MemoryValue& value);

    EepromOutcome readValue(ValueFormat format, int address, MemoryValue* out);
    // Writes the value's bytes in one block write and reads them back.
    EepromOutcome writeValue(int address, const MemoryValue& value);

    // The verification count line, "N errori".
    static QString ErrorCountText(int errors);

Q_SIGNALS:
    void imageChanged();

private:
    QString text(const char* italian, const char* english) const;
    EepromOutcome commFailed(const char* italian, const char* english) const;
    // Reads `count` bytes of the bank from `first`; nullopt when the device did not answer.
    std::optional<QByteArray> readBytes(int first, int count);
    EepromOutcome checkRange(int address, int count) const;
    EepromOutcome compare(const QByteArray& device, int first,
                          const QList<std::uint8_t>& expected) const;

    DeviceLink& m_link;
    int m_lang;
    int m_bank = 0;
    bool m_hasImage = false;
    EepromImage m_image;
};

} // namespace vantelso::bench
