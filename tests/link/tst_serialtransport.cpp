// The real serial transport on a pseudo-terminal served by the simulated device: settings,
// stale input, and a device that vanishes while the program waits for it.
#include "devicelink.h"
#include "portnames.h"
#include "ptyserver.h"
#include "scriptedprompter.h"
#include "serialtransport.h"
#include "simdevice.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <memory>

using namespace vantelso;

namespace {

// A simulated device served on a pseudo-terminal, and the serial port opened on it.
struct PtyBench {
    explicit PtyBench(std::uint8_t model) : device(model), link(&prompter) {
        QString why;
        started = server.start(&device, &why);
        if (!started)
            qWarning("%s", qPrintable(why));
        port = std::make_unique<SerialTransport>(server.slavePath());
        opened = started && port->open();
        link.setTransport(port.get());
    }
    sim::SimDevice device;
    sim::PtyServer server;
    std::unique_ptr<SerialTransport> port;
    ScriptedPrompter prompter;
    DeviceLink link;
    bool started = false;
    bool opened = false;
};

} // namespace

class TestSerialTransport : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
#ifndef Q_OS_UNIX
        QSKIP("pseudo-terminals are a Unix feature");
#endif
    }

    void portNames_data() {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("system");
#ifdef Q_OS_WIN
        QTest::newRow("COM16") << "COM16"
                               << "COM16";
#else
        QTest::newRow("COM1") << "COM1"
                              << "/dev/ttyS0";
        QTest::newRow("COM16") << "COM16"
                               << "/dev/ttyS15";
        QTest::newRow("lower case") << "com3"
                                    << "/dev/ttyS2";
        QTest::newRow("device path") << "/dev/ttyUSB0"
                                     << "/dev/ttyUSB0";
        QTest::newRow("not a number") << "COMX"
                                      << "COMX";
#endif
    }
    void portNames() {
        QFETCH(QString, entry);
        QFETCH(QString, system);
        QCOMPARE(SystemPortName(entry), system);
        const QStringList standard = StandardPortEntries();
        QCOMPARE(standard.size(), 16);
        QCOMPARE(standard.first(), QStringLiteral("COM1"));
        QCOMPARE(standard.last(), QStringLiteral("COM16"));
    }

    void missingPort() {
        SerialTransport t(QStringLiteral("/dev/vantelso-no-such-port"));
        QVERIFY(!t.open());
        QVERIFY(t.errorString().contains(QLatin1String("does not exist")));
        QVERIFY(!t.isOpen());
        QVERIFY(!t.write("PR\r"));
    }

    void identifyOverPty() {
        PtyBench b(7);
        QVERIFY(b.opened);
        b.link.ReadIdentity();
        QCOMPARE(b.link.CommError, 0);
        QCOMPARE(b.link.identity, b.device.identity());
    }

    void vanishingDevice() {
        PtyBench b(0);
        QVERIFY(b.opened);
        SerialTransport& t = *b.port;
        QSignalSpy failed(&t, &Transport::failed);
        sim::Fault vanish;
        vanish.kind = sim::Fault::Kind::Vanish;
        vanish.match = "$R";
        vanish.skip = 10;
        b.device.injectFault(vanish);

        QElapsedTimer clock;
        clock.start();
        const QByteArray r = b.link.ReadBlock(0, 0, 65);
        QCOMPARE(b.link.CommError, 1);
        QCOMPARE(int(r.at(0)), 1);
        // A vanished device is reported once, as a disconnection, and the port is closed
        // however many errors the port raises.
        QTRY_VERIFY(!t.isOpen());
        QTest::qWait(100);
        QCOMPARE(failed.count(), 1);
        QVERIFY(failed.first().at(0).toString().contains(QLatin1String("disconnected")));
        QVERIFY(!t.write("SM\r"));
        QVERIFY(b.prompter.questions().isEmpty());
        // Well inside the time-outs: the failure ends the read at once.
        QVERIFY(clock.elapsed() < 5000);
    }

    void staleInputClearedOnOpen() {
        sim::SimDevice device(0);
        sim::PtyServer server;
        QString why;
        QVERIFY2(server.start(&device, &why), qPrintable(why));
        {
            // Something else left a reply waiting on the line.
            SerialTransport first(server.slavePath());
            QVERIFY(first.open());
            QVERIFY(first.write("PR\r"));
            QTest::qWait(50);
            first.close();
        }
        QTest::qWait(50);
        SerialTransport t(server.slavePath());
        QVERIFY(t.open());
        QCOMPARE(t.bytesAvailable(), 0);
        QTest::qWait(50);
        QVERIFY(!t.readAll().contains("OK"));
    }
};

QTEST_GUILESS_MAIN(TestSerialTransport)
#include "tst_serialtransport.moc"
