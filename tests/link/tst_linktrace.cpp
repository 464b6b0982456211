// The wire trace: what a technician sees with "vantelso.link.debug=true" for one identify on
// the simulated device, a time-out with its retry, and nothing at all when the trace is off.
#include "linktrace.h"
#include "simbench.h"

#include <QRegularExpression>
#include <QTest>

using namespace vantelso;
using namespace vantelso::sim;
using K = Fault::Kind;

namespace {

QStringList g_lines;

void capture(QtMsgType, const QMessageLogContext& context, const QString& message) {
    if (QByteArray(context.category) == "vantelso.link")
        g_lines << message;
}

// The bytes of the "->" (or "<-") lines, parsed back from their hex column.
QList<QByteArray> traced(const QString& direction) {
    QList<QByteArray> out;
    const QRegularExpression line(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d\\.\\d{3} ") +
                                  QRegularExpression::escape(direction) +
                                  QStringLiteral(" ((?:[0-9a-f]{2} ?)+)  \\|(.*)\\|$"));
    for (const QString& l : g_lines) {
        const auto m = line.match(l);
        if (m.hasMatch())
            out << QByteArray::fromHex(m.captured(1).remove(u' ').toLatin1());
    }
    return out;
}

} // namespace

class TestLinkTrace : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        g_lines.clear();
        qInstallMessageHandler(capture);
    }
    void cleanup() {
        qInstallMessageHandler(nullptr);
        QLoggingCategory::setFilterRules(QString());
    }

    void traceBytes() {
        for (const auto& [bytes, text] :
             {std::pair{QByteArray("$V\0\0\0\r", 6), "24 56 00 00 00 0d  |$V....|"},
              {QByteArray("*\x00\x0c\xff"
                          "A\r\n",
                          7),
               "2a 00 0c ff 41 0d 0a  |*...A..|"},
              {QByteArray(), "  ||"}})
            QCOMPARE(TraceBytes(bytes), QString::fromLatin1(text));
    }

    // One identify, off by default and then with the trace on; a time-out and its retry.
    void identifyTimeoutAndRetry() {
        for (int run = 0; run < 3; ++run) {
            if (run > 0)
                QLoggingCategory::setFilterRules(QStringLiteral("vantelso.link.debug=true"));
            g_lines.clear();
            SimBench b(0);
            b.link.setDelayScale(0.01);
            if (run == 2) {
                b.device.injectFault({K::NoReply, QByteArray("$V"), 0});
                b.prompter.push(Prompter::Answer::Retry);
            }
            b.link.ReadIdentity();
            QCOMPARE(b.link.CommError, 0);
            if (run == 0) {
                QVERIFY(g_lines.isEmpty());
            } else if (run == 1) {
                const QList<QByteArray> expected{"SM\r", "PR\r", QByteArray("$V\0\0\0\r", 6),
                                                 "$FPxx\r", "$FPxx\r"};
                QCOMPARE(traced(QStringLiteral("->")), expected);
                // What went out is exactly what the device received.
                QCOMPARE(traced(QStringLiteral("->")), b.device.commandLog());
                const QList<QByteArray> replies = traced(QStringLiteral("<-"));
                QVERIFY(replies.contains("OK\r\n"));
                QVERIFY(std::any_of(replies.begin(), replies.end(),
                                    [](const QByteArray& r) { return r.startsWith('*'); }));
            } else {
                const QString all = g_lines.join(u'\n');
                QVERIFY2(
                    all.contains(QStringLiteral("timeout 1 s waiting for 2a 23 23 23 23 23 23")),
                    qPrintable(all));
                QVERIFY2(all.contains(QStringLiteral("retry $V")), qPrintable(all));
                QCOMPARE(traced(QStringLiteral("->")).count(QByteArray("$V\0\0\0\r", 6)), 2);
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestLinkTrace)
#include "tst_linktrace.moc"
