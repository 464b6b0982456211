// The link's reply scanner fed in arbitrary pieces must find exactly what a search over all
// the bytes received so far finds, and a rejected early reply must never come back.
#include "reply.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>

using namespace vantelso;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    ReplyTemplate tmpl;
    const int length = in.ConsumeIntegralInRange<int>(1, 24);
    tmpl.pattern = QByteArray(1, in.ConsumeBool() ? '*' : 'A') + QByteArray(length - 1, '#');
    tmpl.crOnly = in.ConsumeBool();
    ReplyScanner scanner(tmpl);
    QByteArray all;     // everything fed
    qsizetype from = 0; // where the search may start (after a rejected reply)
    while (in.remaining_bytes() > 0) {
        const auto n = in.ConsumeIntegralInRange<std::size_t>(0, 64);
        const std::string piece = in.ConsumeBytesAsString(n);
        const bool reject = in.ConsumeBool();
        all += QByteArray(piece.data(), qsizetype(piece.size()));
        const bool found = scanner.feed(QByteArray(piece.data(), qsizetype(piece.size())));
        const int at = FindLastReply(all.mid(from), tmpl);
        if (found != (at >= 0))
            std::abort();
        if (!found)
            continue;
        if (scanner.reply() != all.mid(from + at, tmpl.pattern.size()))
            std::abort();
        if (!reject)
            return 0;
        scanner.reject();
        from += at + tmpl.pattern.size();
    }
    return 0;
}
