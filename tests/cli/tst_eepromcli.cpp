// vantelso-cli eeprom read|write|verify: a ".dat" image to and from a simulated device served
// on a pseudo-terminal, bad images refused before the port sees a byte, and a device that
// does not answer.
#include "clirun.h"
#include "ptyline.h"
#include "simdevice.h"
#include "testfiles.h"

#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace vantelso;

namespace {

QByteArray image(const QByteArray& bank) {
    QByteArray text;
    for (char c : bank)
        text += QByteArray::number(quint8(c)) + "\r\n";
    return text;
}

} // namespace

class TestEepromCli : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // read writes the device's bank as the file; verify against it finds nothing; a changed
    // file is listed address by address with the device's and the file's value.
    void readAndVerify() {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"EEprom.dat"_s);
        CliRun r = cli({"--demo", "RSX7030", "eeprom", "read", path});
        QCOMPARE(r.exitCode, 0);
        const QByteArray bank = sim::SimDevice(0).bank(0);
        QCOMPARE(ReadTestFile(path), image(bank));

        r = cli({"--demo", "RSX7030", "eeprom", "verify", path});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, u"0 errori\n"_s);

        QByteArray changed = bank;
        changed[4] = char(quint8(bank[4]) ^ 0x01);
        changed[255] = char(quint8(bank[255]) ^ 0x80);
        QVERIFY(WriteTestFile(path, image(changed)));
        r = cli({"--demo", "RSX7030", "eeprom", "verify", path});
        QCOMPARE(r.exitCode, 3);
        QCOMPARE(r.out,
                 u"address\tdevice\tfile\n4\t%1\t%2\n255\t%3\t%4\n2 errori\n"_s.arg(quint8(bank[4]))
                     .arg(quint8(changed[4]))
                     .arg(quint8(bank[255]))
                     .arg(quint8(changed[255])));

        // Another bank: the simulated device's bank 1 is erased.
        r = cli({"--demo", "RSX7030", "eeprom", "verify", path, "--bank", "1"});
        QCOMPARE(r.exitCode, 3);
        QVERIFY(r.out.contains(u"0\t255\t%1\n"_s.arg(quint8(bank[0]))));
    }

#ifdef Q_OS_UNIX
    // Load -> write -> verify -> read on one device: the memory is the file, exactly.
    void writeVerifyRead() {
        CliSim sim(u"RSX7030"_s);
        QVERIFY(!sim.port.isEmpty());
        QTemporaryDir dir;
        const QString path = dir.filePath(u"in.dat"_s);
        QByteArray wanted(256, '\0');
        for (int a = 0; a < 256; ++a)
            wanted[a] = char((a * 13 + 7) & 0xFF);
        QByteArray text = image(wanted);
        text.replace("\r\n", "\n"); // a file edited on Linux
        QVERIFY(WriteTestFile(path, text));

        CliRun r = cli({"-p", sim.port, "eeprom", "write", path, "--bank", "2"});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QCOMPARE(r.out, u"0 errori\n"_s);
        r = cli({"-p", sim.port, "eeprom", "verify", path, "--bank", "2"});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, u"0 errori\n"_s);
        const QString back = dir.filePath(u"back.dat"_s);
        r = cli({"-p", sim.port, "eeprom", "read", back, "--bank", "2"});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(ReadTestFile(back), image(wanted));
    }

    // A bad image is refused with the line named, before a single byte reaches the port.
    void badImageRefused_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("says");
        QByteArray good;
        for (int a = 0; a < 256; ++a)
            good += QByteArray::number(a) + "\n";
        QTest::newRow("255 numbers") << good.left(good.lastIndexOf("255\n")) << "line 256";
        QTest::newRow("257 numbers") << QByteArray(good + "0\n") << "line 257: more than 256";
        QTest::newRow("300") << QByteArray(good).replace("\n20\n", "\n300\n")
                             << "line 21: 300 is outside 0..255";
        QTest::newRow("negative") << QByteArray(good).replace("\n20\n", "\n-5\n") << "line 21";
        QTest::newRow("not a number") << QByteArray(good).replace("\n20\n", "\nventi\n")
                                      << "line 21: \"venti\" is not a whole number";
        QTest::newRow("empty") << QByteArray() << "line 1";
    }
    void badImageRefused() {
        QFETCH(QByteArray, text);
        QFETCH(QString, says);
        sim::PtyLine line;
        QString why;
        QVERIFY2(line.start(&why), qPrintable(why));
        QSignalSpy received(&line, &sim::PtyLine::received);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"bad.dat"_s);
        QVERIFY(WriteTestFile(path, text));
        for (const char* action : {"write", "verify"}) {
            const CliRun r = cli({"-p", line.slavePath(), "eeprom", action, path});
            QCOMPARE(r.exitCode, 3);
            QVERIFY2(r.err.contains(says), qPrintable(r.err));
            QVERIFY(!r.out.contains(u"errori"_s));
        }
        QTest::qWait(50);
        QCOMPARE(received.count(), 0);
    }

    // A port with nothing behind it: a communication failure, never "0 errori".
    void verifySilentDevice() {
        sim::PtyLine line;
        QString why;
        QVERIFY2(line.start(&why), qPrintable(why));
        QTemporaryDir dir;
        const QString path = dir.filePath(u"EEprom.dat"_s);
        QVERIFY(WriteTestFile(path, image(QByteArray(256, '\0'))));
        const CliRun r = cli({"-p", line.slavePath(), "eeprom", "verify", path});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains(u"Communication error: nothing was verified"_s), qPrintable(r.err));
        QVERIFY(!r.out.contains(u"errori"_s));
    }
#endif
};

QTEST_GUILESS_MAIN(TestEepromCli)
#include "tst_eepromcli.moc"
