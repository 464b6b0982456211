#include "configfilerecord.h"

#include "owntexts.h"
#include "texts.h"

#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSaveFile>
#include <QtEndian>
#include <cstring>

namespace vantelso {

// File reads and writes with their outcome, off unless "vantelso.files.debug=true".
Q_LOGGING_CATEGORY(lcFiles, "vantelso.files", QtInfoMsg)

namespace {

// Writes and reads little-endian fields one after another.
class Writer {
public:
    void u8(std::uint8_t v) { m_bytes.append(char(v)); }
    void i16(std::int16_t v) {
        char b[2];
        qToLittleEndian(v, b);
        m_bytes.append(b, 2);
    }
    void f64(double v) {
        char b[8];
        qToLittleEndian(v, b);
        m_bytes.append(b, 8);
    }
    template <typename T> void pair(const std::array<T, 2>& p) {
        for (const T& v : p)
            put(v);
    }
    QByteArray bytes() const { return m_bytes; }

private:
    void put(std::uint8_t v) { u8(v); }
    void put(std::int16_t v) { i16(v); }
    void put(double v) { f64(v); }
    QByteArray m_bytes;
};

class Reader {
public:
    explicit Reader(const QByteArray& b) : m_data(b.constData()) {}
    void u8(std::uint8_t& v) { v = std::uint8_t(m_data[m_pos++]); }
    void i16(std::int16_t& v) {
        v = qFromLittleEndian<std::int16_t>(m_data + m_pos);
        m_pos += 2;
    }
    void f64(double& v) {
        v = qFromLittleEndian<double>(m_data + m_pos);
        m_pos += 8;
    }
    template <typename T> void pair(std::array<T, 2>& p) {
        for (T& v : p)
            get(v);
    }
    int position() const { return m_pos; }

private:
    void get(std::uint8_t& v) { u8(v); }
    void get(std::int16_t& v) { i16(v); }
    void get(double& v) { f64(v); }
    const char* m_data;
    int m_pos = 0;
};

// One field list for both directions, in file order; the offsets follow from the widths.
template <typename Io, typename Rec> void fields(Io& io, Rec& r) {
    io.f64(r.version);              // 0
    io.u8(r.idByte4);               // 8
    io.u8(r.deviceCode);            // 9
    io.u8(r.modelByte);             // 10
    io.u8(r.idByte3);               // 11
    io.pair(r.inputType);           // 12
    io.pair(r.inputEnd);            // 14
    io.pair(r.inputStart);          // 30
    io.pair(r.outputType);          // 46
    io.pair(r.outputEnd);           // 48
    io.pair(r.outputStart);         // 64
    io.pair(r.cjcExternal);         // 80
    io.pair(r.cjcInternal);         // 84
    io.pair(r.offset);              // 88
    io.pair(r.wires2);              // 104
    io.pair(r.wires4);              // 108
    io.pair(r.wires3);              // 112
    io.pair(r.functionLinear);      // 116
    io.pair(r.functionTank);        // 120
    io.pair(r.functionSqrt);        // 124
    io.pair(r.breakUp);             // 128
    io.pair(r.breakDown);           // 132
    io.pair(r.overRange);           // 136
    io.pair(r.tripHigh);            // 152
    io.pair(r.tripLow);             // 168
    io.pair(r.tripMax);             // 184
    io.pair(r.tripMin);             // 188
    io.pair(r.reserved);            // 192
    io.f64(r.physicalInputEndA);    // 208
    io.f64(r.physicalInputStartA);  // 216
    io.f64(r.physicalInputEndB);    // 224
    io.f64(r.physicalInputStartB);  // 232
    io.f64(r.physicalOutputEndA);   // 240
    io.f64(r.physicalOutputStartA); // 248
    io.f64(r.physicalOutputEndB);   // 256
    io.f64(r.physicalOutputStartB); // 264
    io.pair(r.mathOperator);        // 272
    io.pair(r.optionValue);         // 274
    io.u8(r.highSpeed);             // 290
    io.u8(r.doubler);               // 291
}

} // namespace

QByteArray ConfigFileRecord::toBytes() const {
    Writer w;
    fields(w, *this);
    Q_ASSERT(w.bytes().size() == Size);
    return w.bytes();
}

std::optional<ConfigFileRecord> ConfigFileRecord::fromBytes(const QByteArray& bytes) {
    if (bytes.size() != Size)
        return std::nullopt;
    ConfigFileRecord r;
    Reader rd(bytes);
    fields(rd, r);
    Q_ASSERT(rd.position() == Size);
    return r;
}

bool ConfigFileRecord::save(const QString& path, const Texts& texts, QString* error) const {
    const bool ok = write(path, texts, error);
    qCDebug(lcFiles).noquote() << "save" << path << (ok ? QStringLiteral("done") : *error);
    return ok;
}

bool ConfigFileRecord::write(const QString& path, const Texts& texts, QString* error) const {
    QSaveFile file(path);
    const auto cannotWrite = [&] {
        *error = texts.lang(own::FileCannotWrite).arg(path, file.errorString());
    };
    if (!file.open(QIODevice::WriteOnly)) {
        cannotWrite();
        return false;
    }
    const QByteArray bytes = toBytes();
    if (file.write(bytes) != bytes.size()) {
        cannotWrite();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        cannotWrite();
        return false;
    }
    return true;
}

std::optional<ConfigFileRecord> ConfigFileRecord::load(const QString& path, const Texts& texts,
                                                       QString* error) {
    auto r = read(path, texts, error);
    qCDebug(lcFiles).noquote() << "open" << path
                               << (r ? QStringLiteral("%1 bytes read").arg(Size) : *error);
    return r;
}

std::optional<ConfigFileRecord> ConfigFileRecord::read(const QString& path, const Texts& texts,
                                                       QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = texts.lang(own::FileCannotOpen).arg(path, file.errorString());
        return std::nullopt;
    }
    // One byte more than a record is enough to tell a longer file.
    const QByteArray bytes = file.read(Size + 1);
    if (bytes.size() != Size) {
        *error =
            texts.lang(own::NotConfigFile)
                .arg(QFileInfo(path).fileName(),
                     QString::number(bytes.size() > Size ? QFileInfo(path).size() : bytes.size()),
                     QString::number(Size));
        return std::nullopt;
    }
    return fromBytes(bytes);
}

} // namespace vantelso
