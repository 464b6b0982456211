#pragma once

#include <QByteArray>
#include <functional>

namespace vantelso {
class Transport;
}

namespace vantelso::bench {

// Waiting on the bench keeps the user interface live: the event loop runs through every
// pause and every wait for an instrument, which wakes on arriving bytes or on its deadline.

// Pauses for `seconds` (nothing for 0 or less).
void Pause(double seconds);

// Appends what `port` receives to `buffer` until `complete(buffer)` holds, the port fails
// or closes, or `timeoutSeconds` pass. True when complete. What is already buffered counts
// at once.
bool CollectInput(Transport& port, QByteArray& buffer,
                  const std::function<bool(const QByteArray&)>& complete, double timeoutSeconds);

// Completion tests for CollectInput.
inline bool HasLineEnd(const QByteArray& b) {
    return b.contains('\n');
}

} // namespace vantelso::bench
