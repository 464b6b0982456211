#pragma once

#include <QByteArray>

namespace vantelso {

// What a wait for a reply produced: the reply bytes, or one of the two failures the
// engine reports in place of a reply.
struct Reply {
    enum class Status { Ok, Timeout, PortError };
    Status status = Status::Timeout;
    QByteArray bytes;

    bool ok() const { return status == Status::Ok; }
    // The text a caller sees: the reply itself, "timeout" or "errore".
    QByteArray text() const {
        switch (status) {
        case Status::Ok:
            return bytes;
        case Status::Timeout:
            return QByteArrayLiteral("timeout");
        case Status::PortError:
            break;
        }
        return QByteArrayLiteral("errore");
    }
    // Byte at a 1-based position of the reply, as the protocol tables count them.
    std::uint8_t at(int position) const { return std::uint8_t(bytes.at(position - 1)); }
};

// A reply template: start marker, exact length (terminator included) and terminator mode.
// "#" characters are placeholders and never compared.
struct ReplyTemplate {
    QByteArray pattern;
    bool crOnly = false;
};

// The last candidate in `received` that starts with the template's marker, has its length and
// ends with its terminator; -1 when there is none. The last one wins so that stale or
// partial replies earlier in the buffer never mask the one just completed.
int FindLastReply(const QByteArray& received, const ReplyTemplate& tmpl);

} // namespace vantelso
