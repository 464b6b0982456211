#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>

namespace vantelso::bench {

// One memory bank of a device as the factory keeps it in a ".dat" file: 256 decimal numbers,
// one a line, in address order.
struct EepromImage {
    static constexpr int Size = 256;
    std::array<std::uint8_t, Size> bytes{};
    bool operator==(const EepromImage&) const = default;
};

// Why an image could not be loaded or saved. An unreadable or unwritable file and a file
// whose contents are not an image are told apart: the first is the disk's or the path's
// fault, the second the file's.
struct ImageStatus {
    enum class Kind { Ok, FileError, BadContent };
    Kind kind = Kind::Ok;
    QString message; // in the language asked for; names the file line for bad contents
    bool ok() const { return kind == Kind::Ok; }
};

// Languages of the messages: 0 Italian (the bench's), 1 English (the command-line tool's).
// The text of an image file. Every line holds one whole number 0..255 (blanks around it and
// CR LF or LF endings are accepted; empty lines only after the last number). Anything else is
// refused with a message naming the first offending line, and `image` is left untouched.
ImageStatus ParseEepromImage(const QByteArray& text, EepromImage* image, int lang);
// "value" CR LF per address, as the factory's Windows stations write these files.
QByteArray FormatEepromImage(const EepromImage& image);

ImageStatus LoadEepromImage(const QString& path, EepromImage* image, int lang);
// Writes through a temporary file that replaces `path` only once complete, so a failed save
// never leaves a cut image behind.
ImageStatus SaveEepromImage(const QString& path, const EepromImage& image, int lang);

} // namespace vantelso::bench
