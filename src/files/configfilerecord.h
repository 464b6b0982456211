#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>

namespace vantelso {

class Texts;

// The ".VNT" configuration file: one fixed 292-byte little-endian record holding what the
// editor shows for one device. Fields are written one by one at their offsets, never as a
// memory dump, so the file form has no padding whatever the compiler does. Flags are 16-bit
// integers, -1 for a selected option and 0 otherwise; check boxes are 0 clear, 1 checked,
// 2 grey. Channel pairs hold channel A first.
struct ConfigFileRecord {
    static constexpr int Size = 292;

    template <typename T> using Pair = std::array<T, 2>;

    double version = 0;
    std::uint8_t idByte4 = 0;
    std::uint8_t deviceCode = 0;
    std::uint8_t modelByte = 0;
    std::uint8_t idByte3 = 0;
    Pair<std::uint8_t> inputType{};
    Pair<double> inputEnd{};
    Pair<double> inputStart{};
    Pair<std::uint8_t> outputType{};
    Pair<double> outputEnd{};
    Pair<double> outputStart{};
    Pair<std::int16_t> cjcExternal{};
    Pair<std::int16_t> cjcInternal{};
    Pair<double> offset{};
    Pair<std::int16_t> wires2{};
    Pair<std::int16_t> wires4{};
    Pair<std::int16_t> wires3{};
    Pair<std::int16_t> functionLinear{};
    Pair<std::int16_t> functionTank{};
    Pair<std::int16_t> functionSqrt{};
    Pair<std::int16_t> breakUp{};
    Pair<std::int16_t> breakDown{};
    Pair<double> overRange{};
    Pair<double> tripHigh{}; // slot B always written as 0
    Pair<double> tripLow{};
    Pair<std::int16_t> tripMax{};
    Pair<std::int16_t> tripMin{};
    Pair<double> reserved{}; // slot A carries over from the last file opened
    double physicalInputEndA = 0;
    double physicalInputStartA = 0;
    double physicalInputEndB = 0;
    double physicalInputStartB = 0;
    double physicalOutputEndA = 0;
    double physicalOutputStartA = 0;
    double physicalOutputEndB = 0;
    double physicalOutputStartB = 0;
    Pair<std::uint8_t> mathOperator{};
    Pair<double> optionValue{}; // a byte value held as a double
    std::uint8_t highSpeed = 0; // check box state
    std::uint8_t doubler = 0;

    bool operator==(const ConfigFileRecord&) const = default;

    QByteArray toBytes() const;
    // Exactly Size bytes or nothing: a shorter or longer file is not a configuration file.
    static std::optional<ConfigFileRecord> fromBytes(const QByteArray& bytes);

    // Replaces the file as a whole: written to a temporary file and renamed over the old
    // one, so a failed save leaves the previous file as it was. False with a reason in the
    // language of `texts`.
    bool save(const QString& path, const Texts& texts, QString* error) const;
    // Reads and parses a file; nullopt with a reason (in the language of `texts`) for a
    // missing, unreadable, short or long file.
    static std::optional<ConfigFileRecord> load(const QString& path, const Texts& texts,
                                                QString* error);

private:
    bool write(const QString& path, const Texts& texts, QString* error) const;
    static std::optional<ConfigFileRecord> read(const QString& path, const Texts& texts,
                                                QString* error);
};

// Flag encoding of the file: -1 selected, 0 not. Anything else read from a file counts as
// selected when non-zero.
inline std::int16_t FileFlag(bool on) {
    return on ? std::int16_t(-1) : std::int16_t(0);
}
inline bool FileFlagSet(std::int16_t v) {
    return v != 0;
}

} // namespace vantelso
