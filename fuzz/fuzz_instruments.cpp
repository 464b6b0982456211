// Replies of the bench multimeter and power supply, whatever a broken instrument sends: a
// number or nothing from the meter, a finite current from the supply, never a crash.
#include "multimeter.h"
#include "powersupply.h"

#include <cmath>
#include <cstdlib>

using namespace vantelso::bench;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray reply(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::optional<double> reading = ParseMeterReading(reply);
    if (reading && (!std::isfinite(*reading) || std::fabs(*reading) > 1e9))
        std::abort();
    const double mA = ParseSupplyReply(reply);
    if (!std::isfinite(mA))
        std::abort();
    return 0;
}
