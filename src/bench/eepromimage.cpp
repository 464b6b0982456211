#include "eepromimage.h"

#include <QDir>
#include <QFile>
#include <QList>
#include <QSaveFile>

namespace vantelso::bench {

namespace {

QString text(int lang, const char* italian, const char* english) {
    return QString::fromUtf8(lang == 1 ? english : italian);
}

ImageStatus bad(int lang, int line, const QString& why) {
    return {ImageStatus::Kind::BadContent, text(lang, "Immagine EEprom non valida, riga %1: %2",
                                                "Not an EEPROM image, line %1: %2")
                                               .arg(line)
                                               .arg(why)};
}

// The offending text as the message quotes it: short, printable.
QString quoted(const QByteArray& field) {
    QString s = QString::fromLatin1(field.left(20));
    for (QChar& c : s)
        if (c.unicode() < 0x20 || c.unicode() > 0x7E)
            c = u'?';
    return u'"' + s + (field.size() > 20 ? QStringLiteral("...\"") : QStringLiteral("\""));
}

} // namespace

ImageStatus ParseEepromImage(const QByteArray& text_, EepromImage* image, int lang) {
    QList<QByteArray> lines = text_.split('\n');
    // Blank lines after the last number (the final line end, an editor's extra newline) are
    // not numbers; a blank line between numbers is, as it would shift every later address.
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
        lines.removeLast();
    EepromImage parsed;
    for (int i = 0; i < lines.size(); ++i) {
        const int line = i + 1;
        const QByteArray field = lines[i].trimmed(); // also drops the CR of CR LF
        if (i >= EepromImage::Size)
            return bad(
                lang, line,
                text(lang, "più di %1 numeri", "more than %1 numbers").arg(EepromImage::Size));
        if (field.isEmpty())
            return bad(lang, line, text(lang, "riga vuota", "empty line"));
        bool isNumber = false;
        const int value = field.toInt(&isNumber, 10);
        if (!isNumber)
            return bad(lang, line,
                       text(lang, "%1 non è un numero intero", "%1 is not a whole number")
                           .arg(quoted(field)));
        if (value < 0 || value > 255)
            return bad(lang, line,
                       text(lang, "%1 è fuori da 0..255", "%1 is outside 0..255").arg(value));
        parsed.bytes[std::size_t(i)] = std::uint8_t(value);
    }
    if (lines.size() < EepromImage::Size)
        return bad(lang, int(lines.size()) + 1,
                   text(lang, "il file finisce dopo %1 numeri su %2",
                        "the file ends after %1 of %2 numbers")
                       .arg(lines.size())
                       .arg(EepromImage::Size));
    *image = parsed;
    return {};
}

QByteArray FormatEepromImage(const EepromImage& image) {
    QByteArray out;
    out.reserve(EepromImage::Size * 5);
    for (std::uint8_t b : image.bytes)
        out.append(QByteArray::number(b)).append("\r\n");
    return out;
}

ImageStatus LoadEepromImage(const QString& path, EepromImage* image, int lang) {
    QFile file(path);
    // An image is about 1 KB; anything far larger is not one and is not read whole.
    constexpr qint64 kMaxBytes = 64 * 1024;
    if (!file.open(QIODevice::ReadOnly))
        return {ImageStatus::Kind::FileError,
                text(lang, "Impossibile leggere %1: %2", "Cannot read %1: %2")
                    .arg(QDir::toNativeSeparators(path), file.errorString())};
    const QByteArray contents = file.read(kMaxBytes + 1);
    if (contents.size() > kMaxBytes)
        return {ImageStatus::Kind::BadContent,
                text(lang, "%1 non è un'immagine EEprom: il file è troppo grande",
                     "%1 is not an EEPROM image: the file is too large")
                    .arg(QDir::toNativeSeparators(path))};
    ImageStatus status = ParseEepromImage(contents, image, lang);
    if (!status.ok())
        status.message = QDir::toNativeSeparators(path) + QStringLiteral(": ") + status.message;
    return status;
}

ImageStatus SaveEepromImage(const QString& path, const EepromImage& image, int lang) {
    QSaveFile file(path);
    const QByteArray bytes = FormatEepromImage(image);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return {ImageStatus::Kind::FileError,
                text(lang, "Impossibile scrivere %1: %2", "Cannot write %1: %2")
                    .arg(QDir::toNativeSeparators(path), file.errorString())};
    return {};
}

} // namespace vantelso::bench
