#pragma once

#include <QList>
#include <cstdint>

namespace vantelso {

// One queued "$W": the address and the value to put there.
struct WriteItem {
    std::uint8_t address = 0;
    std::uint8_t value = 0;
    bool operator==(const WriteItem&) const = default;
};

using WriteQueue = QList<WriteItem>;

} // namespace vantelso
