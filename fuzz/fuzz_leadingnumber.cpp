// The leading-number parse and the typed-number parse on any text: a finite value always,
// and a typed number, when accepted, that the leading-number parse reads the same.
#include "numberformat.h"

#include <cmath>
#include <cstdlib>

using namespace vantelso;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const ParsedNumber p = ParseLeadingNumber(text);
    if (!std::isfinite(p.value) || (p.overflow && p.value != 0))
        std::abort();
    if (!std::isfinite(Val(text)))
        std::abort();
    const TypedNumber t = ParseTypedNumber(text);
    if (t.ok() && !std::isfinite(t.value))
        std::abort();
    if (t.ok() && !text.contains(QLatin1Char(',')) && ParseLeadingNumber(text).value != t.value)
        std::abort();
    (void)FormatRange(p.value);
    (void)FormatTenths(p.value);
    (void)FormatTenthsNoLeadingZero(p.value);
    return 0;
}
