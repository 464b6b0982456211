// A ".dat" image file of any contents: refused with a message, or read as 256 bytes that
// written out and read again give the same image.
#include "eepromimage.h"

#include <cstdlib>

using namespace vantelso::bench;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray text(reinterpret_cast<const char*>(data), qsizetype(size));
    EepromImage image;
    image.bytes.fill(0x5A);
    const EepromImage untouched = image;
    const ImageStatus status = ParseEepromImage(text, &image, int(size % 2));
    if (!status.ok()) {
        if (image != untouched || status.message.isEmpty())
            std::abort();
        return 0;
    }
    EepromImage again;
    if (!ParseEepromImage(FormatEepromImage(image), &again, 1).ok() || again != image)
        std::abort();
    return 0;
}
