// The real serial transport on a pseudo-terminal served by the simulated device: port names,
// a raw round trip, a paced block write, and a device that vanishes while the program waits.
#include "devicelink.h"
#include "portnames.h"
#include "ptyserver.h"
#include "scriptedprompter.h"
#include "serialtransport.h"
#include "simdevice.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
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
        QCOMPARE(missing.problem().kind, PortProblem::Kind::Missing);
        QCOMPARE(missing.errorString(), QStringLiteral("Serial port /dev/vantelso-no-such-port "
                                                       "does not exist. Check the cable or "
                                                       "choose another port."));
        QVERIFY(!missing.write("PR\r"));
    }

    // Why a port failed to open, from the error the port reported and the device node: a
    // group is suggested only when joining it would open the port and it is not root's.
    void openFailures() {
        // The node: exists, accessible, group, group rw, mode.
        const auto row = [](const char*, OpenError e, const char* node, const char* message) {
            const QStringList f = QString::fromLatin1(node).split(u' ');
            PortNode n;
            n.exists = f[0] == u"1";
            n.accessible = f[1] == u"1";
            n.owner = QStringLiteral("root");
            n.group = f[2];
            n.groupIsSuperuser = f[2] == u"root";
            n.groupMayOpen = f[3] == u"1";
            n.mode = f[4];
            QCOMPARE(
                DescribePortProblem(ClassifyOpenFailure(QStringLiteral("/dev/ttyUSB0"), e,
                                                        QStringLiteral("Input/output error"), n)),
                QString::fromLatin1(message));
        };
        row("not found", OpenError::NotFound, "1 1 dialout 1 crw-rw----",
            "Serial port /dev/ttyUSB0 does not exist. Check the cable or choose another port.");
        row("node gone", OpenError::Other, "0 0 - 0 -",
            "Serial port /dev/ttyUSB0 does not exist. "
            "Check the cable or choose another port.");
        row("other", OpenError::Other, "1 1 dialout 1 crw-rw----",
            "Serial port /dev/ttyUSB0 cannot be opened: Input/output error");
        row("busy", OpenError::Permission, "1 1 dialout 1 crw-rw----",
            "Serial port /dev/ttyUSB0 is already in use by another program. Close that program "
            "or choose another port.");
        row("group", OpenError::Permission, "1 0 dialout 1 crw-rw----",
            "Permission denied on /dev/ttyUSB0. The port belongs to group \"dialout\"; add "
            "yourself to it with: sudo usermod -aG dialout $USER (then log out and in again).");
        row("root's group", OpenError::Permission, "1 0 root 1 crw-rw----",
            "Permission denied on /dev/ttyUSB0 (owner root:root, mode crw-rw----). Ask the "
            "administrator for access to the port.");
        row("owner only", OpenError::Permission, "1 0 dialout 0 crw-------",
            "Permission denied on /dev/ttyUSB0 (owner root:dialout, mode crw-------). Ask the "
            "administrator for access to the port.");
    }
#ifdef Q_OS_UNIX
    // What the file system tells about a node; root passes every permission check.
    void portNode() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("ttyFake"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner));
        const PortNode n = InspectPortNode(path);
        QVERIFY(n.exists && !n.groupMayOpen);
        QCOMPARE(n.mode, QStringLiteral("-rw-------"));
        QCOMPARE(n.accessible, true); // the owner may
        QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                    QFile::WriteGroup));
        QVERIFY(InspectPortNode(path).groupMayOpen);
        QVERIFY(!InspectPortNode(dir.filePath(QStringLiteral("none"))).exists);
    }
#endif

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
        // A block write at the protocol's pace loses nothing to the device's EEPROM write
        // time, whatever delays the pseudo-terminal adds.
        const QByteArray values("\x11\x22\x33\x44", 4);
        QVERIFY(device.bank(0).mid(30, 4) != values);
        link.WriteBlock(0, {{30, 0x11}, {31, 0x22}, {32, 0x33}, { 33, 0x44 }});
        QCOMPARE(link.CommError, 0);
        QCOMPARE(device.commandsIgnoredBusy(), 0);
        QCOMPARE(device.bank(0).mid(30, 4), values);

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
