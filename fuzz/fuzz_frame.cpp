// Streamed measurement frames as the link hands them over (a failure flag, then the bytes
// after "A"), decoded for every device and converted for display: never a crash, whatever
// the bytes.
#include "frameconverter.h"

#include <cmath>
#include <cstdlib>

using namespace vantelso;
using namespace vantelso::measure;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3)
        return 0;
    DeviceIdentity id;
    id.DeviceCode = data[0] & 1 ? 12 : 11;
    id.ModelByte = std::uint8_t(data[1] % 12);
    QByteArray F(256, '\0');
    for (std::size_t k = 2; k < size && k - 2 < 256; ++k)
        F[qsizetype(k - 2)] = char(data[k]);
    const FrameValues v = DecodeFrame(F, id);
    const std::array<int, 3> lamps = StatusLamps(v.T);
    for (int lamp : lamps)
        if (lamp != colour::Red && lamp != colour::Green && lamp != colour::Yellow)
            std::abort();
    for (double x : v.V) {
        const RangeBar bar = RangeBarFor(x, v.V[0], v.V[1]);
        if (bar.valid && !(bar.fraction >= 0 && bar.fraction <= 1))
            std::abort();
        (void)FixedDecimals(x, int(data[0] % 6));
    }
    const FrameConverter converter;
    (void)converter.convert(F);
    return 0;
}
