// The port list that explains itself, the watch for adapters plugged in and pulled out, the
// reconnection to a port that went away, and the trace kept for the communication log.
#include "linktrace.h"
#include "owntexts.h"
#include "portlist.h"
#include "ptyserver.h"
#include "reconnect.h"
#include "recordingview.h"
#include "tracelog.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace vantelso;
using namespace vantelso::app;
using namespace Qt::StringLiterals;

namespace {

PortDescription usb(const QString& node, const QString& serial, const QString& stable = {}) {
    return {node, u"FT232R USB UART"_s, u"FTDI"_s, serial, stable};
}

} // namespace

class TestPorts : public QObject {
    Q_OBJECT

private slots:
    // What an adapter says of itself, in its list entry.
    void portLabel() {
        const char* const rows[][5] = {
            {"/dev/ttyUSB0", "FT232R USB UART", "FTDI", "A50285BI",
             "ttyUSB0 \u2014 FT232R USB UART (FTDI), S/N A50285BI"},
            {"/dev/ttyUSB0", "FT232R USB UART", "FTDI", "",
             "ttyUSB0 \u2014 FT232R USB UART (FTDI)"},
            // The maker already in the description.
            {"/dev/ttyUSB1", "Prolific USB-Serial Controller", "prolific", "",
             "ttyUSB1 \u2014 Prolific USB-Serial Controller"},
            {"/dev/ttyACM0", "", "Arduino", "", "ttyACM0 \u2014 Arduino"},
            {"/dev/ttyACM1", "", "", "7", "ttyACM1 \u2014 S/N 7"},
            {"/dev/ttyS4", "", "", "", "ttyS4"},
            {"COM7", "USB Serial Port", "FTDI", "", "COM7 \u2014 USB Serial Port (FTDI)"},
        };
        const auto q = [](const char* t) { return QString::fromUtf8(t); };
        for (const auto& r : rows)
            QCOMPARE(PortLabel({q(r[0]), q(r[1]), q(r[2]), q(r[3]), {}}), q(r[4]));
    }

    // The stable names are the links of the folder, by the node they point to; a link whose node
    // is gone names nothing.
    void stableNames() {
        QTemporaryDir dir;
        const QString nodes = dir.filePath(u"dev"_s), byId = dir.filePath(u"by-id"_s);
        QVERIFY(QDir().mkpath(nodes) && QDir().mkpath(byId));
        for (const char* node : {"ttyUSB0", "ttyUSB1"})
            QVERIFY(QFile(nodes + u'/' + QLatin1String(node)).open(QIODevice::WriteOnly));
        QVERIFY(QFile::link(nodes + u"/ttyUSB1"_s, byId + u"/usb-FTDI_A50285BI-if00-port0"_s));
        QVERIFY(QFile::link(nodes + u"/ttyUSB9"_s, byId + u"/usb-gone-if00-port0"_s));
        QCOMPARE(StablePortNames(byId),
                 (QHash<QString, QString>{{QFileInfo(nodes + u"/ttyUSB1"_s).canonicalFilePath(),
                                           byId + u"/usb-FTDI_A50285BI-if00-port0"_s}}));
        QVERIFY(StablePortNames(dir.filePath(u"none"_s)).isEmpty());
        QVERIFY(StablePortNames({}).isEmpty());
    }

    // The demo entry first, then COM1..COM16, then what was found that those do not stand for. A
    // found adapter is listed by what it says of itself and opened by its stable name; the tip
    // carries every detail; what the user picks or types finds its port.
    void listOpensStableNames() {
        const auto labels = [](const QList<PortEntry>& list) {
            QStringList out;
            for (const PortEntry& e : list)
                out << e.label;
            return out;
        };
        QStringList com;
        for (int n = 1; n <= 16; ++n)
            com << u"COM%1"_s.arg(n);
        const PortEntry demo{u"/dev/pts/4 (demo RSX7030)"_s, u"/dev/pts/4"_s, u"demo RSX7030"_s};
        QCOMPARE(labels(BuildPortList({}, demo)), QStringList{demo.label} + com);
        QCOMPARE(BuildPortList({}, demo).first().port, demo.port);
#ifndef Q_OS_WIN
        // COM1 already stands for /dev/ttyS0: it is not listed twice.
        QCOMPARE(labels(BuildPortList({{u"/dev/ttyS0"_s, u"16550A"_s}})), com);
#endif
        const QString stable = u"/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0"_s;
        const QList<PortEntry> list =
            BuildPortList({usb(u"/dev/ttyUSB0"_s, u"A50285BI"_s, stable), {u"/dev/ttyACM0"_s, {}}});
        const PortEntry& e = list[16];
        QCOMPARE(labels(list), com + QStringList({e.label, u"ttyACM0"_s}));
        QCOMPARE(e.label, u"ttyUSB0 \u2014 FT232R USB UART (FTDI), S/N A50285BI"_s);
        QCOMPARE(e.port, stable);
        QCOMPARE(e.serialNumber, u"A50285BI"_s);
        QCOMPARE(e.description, u"FT232R USB UART\nFTDI\nA50285BI\n"_s + stable);
        QCOMPARE(list[17].port, u"/dev/ttyACM0"_s);
        // What the user typed or picked, to a port name.
        for (const auto& [text, port] :
             {std::pair(e.label, stable), std::pair(u"COM16"_s, u"COM16"_s),
              std::pair(u"com3"_s, u"COM3"_s), std::pair(u"/dev/ttyUSB7"_s, u"/dev/ttyUSB7"_s),
              std::pair(u"  /dev/ttyACM7 "_s, u"/dev/ttyACM7"_s), std::pair(QString(), QString())})
            QCOMPARE(PortForText(list, text), port);
        QCOMPARE(PortIndex(list, stable), 16);
        QCOMPARE(PortIndex(list, u"/dev/ttyACM0"_s), 17);
        QCOMPARE(PortIndex(list, u"/dev/ttyUSB7"_s), -1);
    }

    // Where a lost adapter is now: under its stable name, its serial number on another node, or
    // the typed path; nowhere while away or when another adapter took its node.
    void findAdapter() {
        const QString id = u"/dev/serial/by-id/usb-FTDI_X-if00-port0"_s, x = u"X"_s, none;
        const QString usb0 = u"/dev/ttyUSB0"_s, usb3 = u"/dev/ttyUSB3"_s,
                      typed = u"/tmp/ports/dev"_s;
        using L = QList<PortDescription>;
        // Port, serial number, stable name, adapters found, nodes present, where it is.
        const std::tuple<QString, QString, QString, L, QStringList, QString> rows[] = {
            {id, x, id, {}, {id}, id},
            {usb0, x, none, {usb(usb3, x)}, {usb0}, usb3},
            {usb0, x, none, {usb(usb0, u"Y"_s)}, {usb0}, none},
            {id, x, id, {}, {}, none},
            {typed, none, none, {}, {typed}, typed},
            {typed, none, none, {}, {}, none},
        };
        for (const auto& [port, serial, stable, found, existing, expected] : rows) {
            LostPort lost;
            std::tie(lost.port, lost.serialNumber, lost.stableName) =
                std::tie(port, serial, stable);
            const QStringList& nodes = existing; // a lambda may not capture a structured binding
            QCOMPARE(FindAdapter(lost, found, [&](const QString& n) { return nodes.contains(n); }),
                     expected);
            QCOMPARE(FindAdapter({}, found, [](const QString&) { return true; }), QString());
        }
    }

    // Plugging in and pulling out changes the list; the entry the field names stays chosen, and
    // a typed path stays as typed.
    void listFollowsAdapters() {
        Bench b;
        b.view.takeSelection = true;
        QList<PortDescription> found{usb(u"/dev/ttyUSB0"_s, u"A"_s)};
        b.shell->setPortScan([&found] { return found; });
        b.shell->startUp();
        QCOMPARE(b.view.ports.size(), 17);
        b.view.port = b.view.ports[16].label;
        found.prepend(usb(u"/dev/ttyUSB1"_s, u"B"_s));
        b.shell->pollPorts();
        QCOMPARE(b.view.ports.size(), 18);
        QCOMPARE(b.view.ports[b.view.selected].port, u"/dev/ttyUSB0"_s);
        b.view.selected = -2;
        b.shell->pollPorts(); // nothing changed: the list is left alone
        QCOMPARE(b.view.selected, -2);
        b.view.port = u"/dev/ttyXYZ"_s;
        found.removeLast();
        b.shell->pollPorts();
        QCOMPARE(b.view.ports.size(), 17);
        QCOMPARE(b.view.selected, -1);
        QCOMPARE(b.shell->ports(), b.view.ports);
        b.shell->shutDown();
    }

#ifdef Q_OS_UNIX
    // A device served on a pseudo-terminal, reached through a link as a by-id name would be. The
    // device goes away; the panel says so and offers to reconnect; a new terminal under the same
    // name with the same device is reopened and the device identified again, without reading its
    // configuration over the editor's; a terminal with another device is reported as a device
    // change, and the editor refuses to write to it.
    void reconnectOnPty() {
        QTemporaryDir dir;
        const QString name = dir.filePath(u"by-id-port"_s);
        std::unique_ptr<sim::PtyServer> server;
        const auto serve = [&](sim::SimDevice& device) {
            server = std::make_unique<sim::PtyServer>();
            QString why;
            QVERIFY2(server->start(&device, &why), qPrintable(why));
            QFile::remove(name);
            QVERIFY(QFile::link(server->slavePath(), name));
        };
        Bench b;
        b.prompter.setFallback(Prompter::Answer::Ok);
        b.state.link.setDelayScale(0.05);
        b.view.takeSelection = true;
        b.shell->setPortScan([] { return QList<PortDescription>{}; });
        b.shell->startUp();

        sim::SimDevice first(0);
        serve(first);
        b.view.port = name;
        b.shell->portSwitchClicked(true);
        QVERIFY(b.shell->portOpen());
        QCOMPARE(b.state.device.modelIdentifier, u"RSX7030"_s);
        // An edit not yet written, which the reconnection must not overwrite.
        b.state.editor.setText(u"txt_Input_max"_s, 0, u"123"_s);

        server.reset(); // the adapter is pulled out
        QTRY_VERIFY(!b.shell->portOpen());
        QVERIFY(!b.view.ticked);
        QCOMPARE(b.view.offers.last(), ReconnectOffer::Waiting);
        QCOMPARE(b.shell->lostPort().port, name);
        QVERIFY(b.view.statusProblem);
        QCOMPARE(b.view.status, u"Il dispositivo su %1 è stato scollegato. "
                                u"Ricollegare l'adattatore per riconnettersi."_s.arg(name));
        b.shell->pollPorts();
        QCOMPARE(b.view.offers.last(), ReconnectOffer::Waiting);

        sim::SimDevice same(0);
        serve(same);
        b.shell->chooseLanguage(1);
        b.shell->pollPorts();
        QCOMPARE(b.view.offers.last(), ReconnectOffer::Ready);
        QCOMPARE(b.view.status, u"The adapter of %1 is back: press Reconnect."_s.arg(name));
        QVERIFY(b.shell->reconnect());
        QVERIFY(b.shell->portOpen() && b.view.ticked);
        QCOMPARE(b.view.offers.last(), ReconnectOffer::None);
        QCOMPARE(b.view.status, u"Reconnected to %1: the same device answers."_s.arg(name));
        QVERIFY(!b.view.statusProblem);
        QCOMPARE(b.state.editor.text(u"txt_Input_max"_s, 0), u"123"_s);
        // Identified, nothing more: no record read.
        for (const QByteArray& command : same.commandLog())
            QVERIFY2(!command.startsWith("$R"), command.constData());

        // Away again; this time another model is plugged in and reconnected automatically.
        server.reset();
        QTRY_COMPARE(b.view.offers.last(), ReconnectOffer::Waiting);
        sim::SimDevice other(7);
        const QByteArray memory = other.bank(0);
        serve(other);
        b.shell->setAutoReconnect(true);
        b.prompter.clear();
        b.shell->pollPorts();
        QVERIFY(b.shell->portOpen());
        QVERIFY(b.view.statusProblem);
        QVERIFY2(b.view.status.startsWith(u"Another device answers on %1: "_s.arg(name)),
                 qPrintable(b.view.status));
        QVERIFY(b.view.status.endsWith(u"Read its configuration before writing."_s));
        QCOMPARE(b.prompter.texts(), QStringList{b.view.status});
        // The editor's fields were the first device's: they are not written to this one.
        b.prompter.clear();
        QVERIFY(!b.shell->write());
        QCOMPARE(b.prompter.texts(), QStringList{b.state.texts.lang(69)});
        QCOMPARE(other.bank(0), memory);
        for (const QByteArray& command : other.commandLog())
            QVERIFY(!command.startsWith("$W"));
        b.shell->shutDown();
    }
#endif

    // Recording switches the trace on and keeps its last lines; not recording, the trace is off
    // as the rules leave it and nothing is kept.
    void traceLog() {
        QVERIFY(!lcLink().isDebugEnabled());
        {
            TraceLog log(3);
            QVERIFY(log.attached());
            TraceLog second;
            QVERIFY(!second.attached());
            QSignalSpy added(&log, &TraceLog::lineAdded);
            qCDebug(lcLink) << "not kept";
            QVERIFY(log.lines().isEmpty());
            log.setRecording(true);
            QVERIFY(lcLink().isDebugEnabled());
            for (int k = 1; k <= 5; ++k)
                qCDebug(lcLink).noquote() << "line" << k;
            qWarning("vantelso tests: a warning of another category passes by");
            QCOMPARE(log.lines(), (QStringList{u"line 3"_s, u"line 4"_s, u"line 5"_s}));
            QTRY_COMPARE(added.size(), 5);
            QCOMPARE(added.last().at(0).toString(), u"line 5"_s);

            // A failed save says why (the saved lines are checked through the window).
            QString why;
            QVERIFY(!log.saveTo(u"/no/such/folder/log.txt"_s, &why) && !why.isEmpty());

            log.setRecording(false);
            QVERIFY(!lcLink().isDebugEnabled());
            qCDebug(lcLink) << "not kept";
            QCOMPARE(log.lines().size(), 3);
            // Rules that switched the trace on keep it on when recording stops.
            QLoggingCategory::setFilterRules(u"vantelso.link.debug=true"_s);
            QVERIFY(lcLink().isDebugEnabled());
            log.setRecording(true);
            log.setRecording(false);
            QVERIFY(lcLink().isDebugEnabled());
            QLoggingCategory::setFilterRules({});
            QVERIFY(!lcLink().isDebugEnabled());
            log.clear();
            QVERIFY(log.lines().isEmpty());
        }
        // Gone with the log: the categories are as the rules say.
        QVERIFY(!lcLink().isDebugEnabled());
    }
};

QTEST_GUILESS_MAIN(TestPorts)
#include "tst_ports.moc"
