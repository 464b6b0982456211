// The real serial transport on a pseudo-terminal served by the simulated device: port names,
// a raw round trip, and a device that vanishes while the program waits for it.
#include "devicelink.h"
#include "portnames.h"
#include "ptyserver.h"
#include "scriptedprompter.h"
#include "serialtransport.h"
#include "simdevice.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

using namespace vantelso;

class TestSerialTransport : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void portNames() {
        const QStringList standard = StandardPortEntries();
        QCOMPARE(standard.size(), 16);
        QCOMPARE(standard.first(), QStringLiteral("COM1"));
        QCOMPARE(standard.last(), QStringLiteral("COM16"));
#ifdef Q_OS_WIN
        QCOMPARE(SystemPortName(QStringLiteral("COM16")), QStringLiteral("COM16"));
#else
        const std::pair<const char*, const char*> rows[] = {{"COM1", "/dev/ttyS0"},
                                                            {"COM16", "/dev/ttyS15"},
                                                            {"com3", "/dev/ttyS2"},
                                                            {"/dev/ttyUSB0", "/dev/ttyUSB0"},
                                                            {"COMX", "COMX"}};
        for (const auto& [entry, system] : rows)
            QCOMPARE(SystemPortName(QString::fromLatin1(entry)), QString::fromLatin1(system));
#endif
        SerialTransport missing(QStringLiteral("/dev/vantelso-no-such-port"));
        QVERIFY(!missing.open());
        QVERIFY(missing.errorString().contains(QLatin1String("does not exist")));
        QVERIFY(!missing.write("PR\r"));
    }

#ifdef Q_OS_UNIX
    void overPty() {
        sim::SimDevice device(7);
        sim::PtyServer server;
        QString why;
        QVERIFY2(server.start(&device, &why), qPrintable(why));
        SerialTransport port(server.slavePath());
        QVERIFY(port.open());
        ScriptedPrompter prompter;
        DeviceLink link(&prompter);
        link.setTransport(&port);
        link.ReadIdentity();
        QCOMPARE(link.identity, device.identity());
        // Address and value 13 travel unchanged: the line is raw in both directions.
        device.setMemory(0, 13, 13);
        QCOMPARE(link.ReadBlock(0, 12, 2).left(2), device.bank(0).mid(12, 2));

        QSignalSpy failed(&port, &Transport::failed);
        device.injectFault({sim::Fault::Kind::Vanish, "$R", 10});
        QElapsedTimer clock;
        clock.start();
        const QByteArray r = link.ReadBlock(0, 0, 65);
        QCOMPARE(link.CommError, 1);
        QCOMPARE(int(r.at(0)), 1);
        // Well inside the time-outs: the failure ends the read at once.
        QVERIFY(clock.elapsed() < 5000);
        // A vanished device is reported once, as a disconnection, and the port is closed
        // however many errors the port raises.
        QTRY_VERIFY(!port.isOpen());
        QTest::qWait(100);
        QCOMPARE(failed.count(), 1);
        QVERIFY(failed.first().at(0).toString().contains(QLatin1String("disconnected")));
        QVERIFY(!port.write("SM\r"));
        QVERIFY(prompter.questions().isEmpty());
    }
#endif
};

QTEST_GUILESS_MAIN(TestSerialTransport)
#include "tst_serialtransport.moc"
