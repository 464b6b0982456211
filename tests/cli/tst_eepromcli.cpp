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

// `vantelso-cli eeprom ...` on the device given: its exit code and standard output as one
// text, "0: 0 errori\n".
QString eeprom(const QStringList& device, const QStringList& args) {
    const CliRun r = cli(device + QStringList{u"eeprom"_s} + args);
    return u"%1: %2"_s.arg(r.exitCode).arg(r.out);
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
        const QStringList demo{u"--demo"_s, u"RSX7030"_s};
        QVERIFY(eeprom(demo, {"read", path}).startsWith(u"0: "_s));
        const QByteArray bank = sim::SimDevice(0).bank(0);
        QCOMPARE(ReadTestFile(path), image(bank));
        QCOMPARE(eeprom(demo, {"verify", path}), u"0: 0 errori\n"_s);

        QByteArray changed = bank;
        changed[4] = char(quint8(bank[4]) ^ 0x01);
        changed[255] = char(quint8(bank[255]) ^ 0x80);
        QVERIFY(WriteTestFile(path, image(changed)));
        QCOMPARE(
            eeprom(demo, {"verify", path}),
            u"3: address\tdevice\tfile\n4\t%1\t%2\n255\t%3\t%4\n2 errori\n"_s.arg(quint8(bank[4]))
                .arg(quint8(changed[4]))
                .arg(quint8(bank[255]))
                .arg(quint8(changed[255])));
        // Another bank: the simulated device's bank 1 is erased.
        const QString other = eeprom(demo, {"verify", path, "--bank", "1"});
        QVERIFY(other.startsWith(u"3: "_s));
        QVERIFY(other.contains(u"0\t255\t%1\n"_s.arg(quint8(bank[0]))));
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
        const QStringList port{u"-p"_s, sim.port};
        QCOMPARE(eeprom(port, {"write", path, "--bank", "2"}), u"0: 0 errori\n"_s);
        QCOMPARE(eeprom(port, {"verify", path, "--bank", "2"}), u"0: 0 errori\n"_s);
        const QString back = dir.filePath(u"back.dat"_s);
        QVERIFY(eeprom(port, {"read", back, "--bank", "2"}).startsWith(u"0: "_s));
        QCOMPARE(ReadTestFile(back), image(wanted));
    }

    // A bad image is refused with the line named, before a single byte reaches the port; a
    // port with nothing behind it is a communication failure, never "0 errori".
    void refused_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("says");
        QByteArray good;
        for (int a = 0; a < 256; ++a)
            good += QByteArray::number(a) + "\n";
        const QByteArray bad = good.left(good.lastIndexOf("255\n"));
        QTest::newRow("255 numbers") << bad << 3 << "line 256";
        QTest::newRow("257 numbers") << QByteArray(good + "0\n") << 3 << "line 257: more than 256";
        QTest::newRow("300") << QByteArray(good).replace("\n20\n", "\n300\n") << 3
                             << "line 21: 300 is outside 0..255";
        QTest::newRow("negative") << QByteArray(good).replace("\n20\n", "\n-5\n") << 3 << "line 21";
        QTest::newRow("not a number") << QByteArray(good).replace("\n20\n", "\nventi\n") << 3
                                      << "line 21: \"venti\" is not a whole number";
        QTest::newRow("empty") << QByteArray() << 3 << "line 1";
        QTest::newRow("silent device")
            << image(QByteArray(256, '\0')) << 1 << "Communication error: nothing was verified";
    }
    void refused() {
        QFETCH(QByteArray, text);
        QFETCH(int, exitCode);
        QFETCH(QString, says);
        sim::PtyLine line;
        QString why;
        QVERIFY2(line.start(&why), qPrintable(why));
        QSignalSpy received(&line, &sim::PtyLine::received);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"bad.dat"_s);
        QVERIFY(WriteTestFile(path, text));
        for (const char* action : {"write", "verify"}) {
            if (exitCode == 1 && action[0] == 'w')
                continue; // the silent device is asked to verify only
            const CliRun r = cli({"-p", line.slavePath(), "eeprom", action, path});
            QCOMPARE(r.exitCode, exitCode);
            QVERIFY2(r.err.contains(says), qPrintable(r.err));
            QVERIFY(!r.out.contains(u"errori"_s));
        }
        QTest::qWait(50);
        if (exitCode == 3)
            QCOMPARE(received.count(), 0);
    }
#endif
};

QTEST_GUILESS_MAIN(TestEepromCli)
#include "tst_eepromcli.moc"
