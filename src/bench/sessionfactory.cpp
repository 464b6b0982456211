#include "sessionfactory.h"

#include "serialtransport.h"
#include "tcptransport.h"
#include "usbtmcnode.h"

#include <QRegularExpression>

namespace vantelso::bench {

namespace {

// The session on a USBTMC node: the driver frames messages, so a read is one line.
class UsbTmcSession : public InstrumentSession {
public:
    UsbTmcSession(QString resource, QString path)
        : InstrumentSession(std::move(resource)), m_path(std::move(path)) {}

    bool open() override {
        return m_node.open(m_path, &m_error) && m_node.setTimeout(timeoutMs(), &m_error);
    }
    void close() override { m_node.close(); }
    bool isOpen() const override { return m_node.isOpen(); }
    bool writeLine(const QByteArray& line) override { return m_node.write(line + '\n', &m_error); }
    std::optional<QByteArray> readLine() override {
        std::optional<QByteArray> got = m_node.read(&m_error);
        if (got) {
            while (got->endsWith('\n') || got->endsWith('\r'))
                got->chop(1);
        }
        return got;
    }
    bool clear() override { return m_node.clear(&m_error); }
    void setTimeoutMs(int ms) override {
        InstrumentSession::setTimeoutMs(ms);
        if (m_node.isOpen())
            m_node.setTimeout(ms, &m_error);
    }

private:
    QString m_path;
    UsbTmcNode m_node;
};

} // namespace

std::optional<ResourceSpec> ParseResource(const QString& resource) {
    const QString r = resource.trimmed();
    ResourceSpec spec;
    if (r.startsWith(u'/')) {
        spec.kind = ResourceSpec::Kind::UsbTmc;
        spec.target = r;
        return spec;
    }
    static const QRegularExpression socket(
        QStringLiteral("^TCPIP\\d*::([^:]+)::(?:(\\d+)::)?SOCKET$"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression serial(QStringLiteral("^ASRL(.+)::INSTR$"),
                                           QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression simulated(QStringLiteral("^SIM::([^:]+)::INSTR$"),
                                              QRegularExpression::CaseInsensitiveOption);
    if (const auto m = socket.match(r); m.hasMatch()) {
        spec.kind = ResourceSpec::Kind::Socket;
        spec.target = m.captured(1);
        if (m.hasCaptured(2)) {
            const uint port = m.captured(2).toUInt();
            if (port == 0 || port > 65535)
                return std::nullopt;
            spec.port = quint16(port);
        }
        return spec;
    }
    if (const auto m = serial.match(r); m.hasMatch()) {
        spec.kind = ResourceSpec::Kind::Serial;
        const QString what = m.captured(1);
        bool number = false;
        const int n = what.toInt(&number);
        spec.target = number && n > 0 ? QStringLiteral("COM%1").arg(n) : what;
        return spec;
    }
    if (const auto m = simulated.match(r); m.hasMatch()) {
        spec.kind = ResourceSpec::Kind::Simulated;
        spec.target = m.captured(1);
        return spec;
    }
    return std::nullopt;
}

QString SessionFactory::text(const char* italian, const char* english) const {
    return QString::fromUtf8(m_lang == 1 ? english : italian);
}

std::unique_ptr<InstrumentSession> SessionFactory::open(const QString& nameOrAlias,
                                                        QString* error) const {
    auto fail = [&](const QString& why) {
        if (error)
            *error = why;
        return nullptr;
    };
    const std::optional<QString> resource = m_aliases.resolve(nameOrAlias);
    if (!resource) {
        return fail(text("Strumento \"%1\" sconosciuto: aggiungere la riga \"%1 = risorsa\" al "
                         "file %2 della cartella di lavoro, o \"%1=risorsa\" alla variabile "
                         "d'ambiente %3.",
                         "Unknown instrument \"%1\": add the line \"%1 = resource\" to the file "
                         "%2 in the working folder, or \"%1=resource\" to the environment "
                         "variable %3.")
                        .arg(nameOrAlias.trimmed(), ResourceAliases::fileName(),
                             ResourceAliases::environmentVariable()));
    }
    const std::optional<ResourceSpec> spec = ParseResource(*resource);
    if (!spec) {
        return fail(text("Risorsa \"%1\" non valida: usare /dev/usbtmcN, "
                         "TCPIP::host::5025::SOCKET, ASRL<porta>::INSTR o SIM::nome::INSTR.",
                         "Invalid resource \"%1\": use /dev/usbtmcN, TCPIP::host::5025::SOCKET, "
                         "ASRL<port>::INSTR or SIM::name::INSTR.")
                        .arg(*resource));
    }
    std::unique_ptr<InstrumentSession> session;
    switch (spec->kind) {
    case ResourceSpec::Kind::UsbTmc:
        session = std::make_unique<UsbTmcSession>(*resource, spec->target);
        break;
    case ResourceSpec::Kind::Socket:
        session = std::make_unique<StreamSession>(
            *resource, std::make_unique<TcpTransport>(spec->target, spec->port, m_timeoutMs));
        break;
    case ResourceSpec::Kind::Serial:
        session = std::make_unique<StreamSession>(*resource,
                                                  std::make_unique<SerialTransport>(spec->target));
        break;
    case ResourceSpec::Kind::Simulated: {
        std::unique_ptr<Transport> transport = m_simulated ? m_simulated(spec->target) : nullptr;
        if (!transport) {
            return fail(text("Nessuno strumento simulato \"%1\" sul banco.",
                             "No simulated instrument \"%1\" on the bench.")
                            .arg(spec->target));
        }
        session = std::make_unique<StreamSession>(*resource, std::move(transport));
        break;
    }
    }
    session->setTimeoutMs(m_timeoutMs);
    if (!session->open()) {
        return fail(text("Lo strumento %1 non risponde: %2. Controllare il collegamento.",
                         "The instrument %1 does not answer: %2. Check its connection.")
                        .arg(*resource, session->errorString()));
    }
    return session;
}

} // namespace vantelso::bench
