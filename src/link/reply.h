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

// The same search over bytes that arrive piece by piece, at a cost proportional to the new
// bytes only: each piece is scanned for candidates that end inside it, and everything older
// than the template's length is dropped, since no candidate can still start there. So a
// device flooding the line costs memory and time in proportion to what it sends, not to the
// square of it. Once feed() returns true the reply is the last candidate completed by that
// piece, exactly what FindLastReply() returns on all the bytes fed so far.
class ReplyScanner {
public:
    explicit ReplyScanner(const ReplyTemplate& tmpl) : m_tmpl(tmpl) {}
    bool feed(const QByteArray& piece);
    bool found() const { return !m_reply.isEmpty(); }
    const QByteArray& reply() const { return m_reply; }
    // Rules the found reply out (it came too early to answer the request): scanning goes on
    // with the bytes that followed it, and it can never be found again.
    void reject();

private:
    ReplyTemplate m_tmpl;
    QByteArray m_tail; // the last template-length-minus-one bytes not yet ruled out
    QByteArray m_reply;
    QByteArray m_afterReply; // what followed the found reply in its piece
};

} // namespace vantelso
