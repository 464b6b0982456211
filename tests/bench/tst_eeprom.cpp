// The EEPROM tool's core against the simulated device: the ".dat" image (file bytes and every
// kind of bad file), the whole bank read, written and verified, single values in their three
// formats, and a device that does not answer.
#include "eepromtool.h"
#include "numberformat.h"
#include "simbench.h"
#include "testfiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace vantelso;
using namespace vantelso::bench;
using namespace Qt::StringLiterals;
using Kind = EepromOutcome::Kind;
// A file's text, the line refused (0: accepted) and what the refusal says.
using ImageRow = std::tuple<QByteArray, int, QString>;
// A value's format, the text typed, its address, the bytes written (empty: refused), as shown.
using ValueRow = std::tuple<int, QString, int, QByteArray, QString>;

namespace {
// The requests for the addresses from `first` on, one per value: "$", letter, bank, address,
// value, CR.
QByteArrayList requests(char letter, int bank, int first, const QByteArray& values) {
    QByteArrayList out;
    for (int k = 0; k < values.size(); ++k)
        out << QByteArray("$") + letter + char(bank) + char(first + k) + values[k] + '\r';
    return out;
}

QByteArray numbers(int count, int first = 0) {
    QByteArray text;
    for (int i = 0; i < count; ++i)
        text += QByteArray::number((first + i) % 256) + "\n";
    return text;
}

EepromImage pattern(int salt) {
    EepromImage image;
    for (int a = 0; a < EepromImage::Size; ++a)
        image.bytes[std::size_t(a)] = std::uint8_t((a * 7 + salt) & 0xFF);
    return image;
}

QList<QByteArray> commandsStarting(const SimBench& b, const char* prefix) {
    QList<QByteArray> out;
    for (const QByteArray& c : b.device.commandLog())
        if (c.startsWith(prefix))
            out << c;
    return out;
}

} // namespace

class TestEeprom : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void imageText_data() {
        QTest::addColumn<ImageRow>("row");
        QTest::newRow("CR LF") << ImageRow{numbers(256).replace("\n", "\r\n"), 0, ""};
        QTest::newRow("blanks around, blank lines at the end")
            << ImageRow{QByteArray("  7 \t\n" + numbers(255, 1) + "\n \n"), 0, ""};
        QTest::newRow("no final line end") << ImageRow{numbers(256).chopped(1), 0, ""};
        QTest::newRow("empty file") << ImageRow{QByteArray(), 1, "ends after 0 of 256"};
        QTest::newRow("255 numbers") << ImageRow{numbers(255), 256, "ends after 255 of 256"};
        QTest::newRow("257 numbers") << ImageRow{numbers(257), 257, "more than 256"};
        QTest::newRow("256") << ImageRow{numbers(10) + "256\n" + numbers(245), 11,
                                         "256 is outside 0..255"};
        QTest::newRow("-1") << ImageRow{numbers(255) + "-1\n", 256, "-1 is outside"};
        QTest::newRow("word") << ImageRow{"abc\n" + numbers(255), 1,
                                          "\"abc\" is not a whole number"};
        QTest::newRow("decimal") << ImageRow{numbers(3) + "12.5\n" + numbers(252), 4,
                                             "\"12.5\" is not a whole number"};
        QTest::newRow("two on a line")
            << ImageRow{numbers(3) + "1 2\n" + numbers(252), 4, "not a whole number"};
        QTest::newRow("hex") << ImageRow{"0x10\n" + numbers(255), 1, "not a whole number"};
        QTest::newRow("blank line inside")
            << ImageRow{numbers(100) + "\n" + numbers(156), 101, "empty line"};
        QTest::newRow("binary") << ImageRow{"\x01\x02\xff\n"_ba + numbers(255), 1,
                                            "\"???\" is not a whole number"};
    }
    void imageText() {
        QFETCH(ImageRow, row);
        const auto& [text, line, why] = row;
        EepromImage image = pattern(3);
        const EepromImage before = image;
        const ImageStatus status = ParseEepromImage(text, &image, 1);
        if (line == 0) {
            QVERIFY2(status.ok(), qPrintable(status.message));
            QCOMPARE(image.bytes[1], std::uint8_t(1));
            QCOMPARE(image.bytes[255], std::uint8_t(255));
            return;
        }
        QCOMPARE(status.kind, ImageStatus::Kind::BadContent);
        QVERIFY2(status.message.contains(u"line %1:"_s.arg(line)) && status.message.contains(why),
                 qPrintable(status.message));
        QVERIFY(image == before); // nothing taken from a bad file
        // The bench window says the same in Italian.
        QVERIFY(ParseEepromImage(text, &image, 0).message.contains(u"riga %1:"_s.arg(line)));
    }

    void fileBytesAndSafeSave() {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"EEprom.dat"_s);
        const EepromImage image = pattern(200);
        QVERIFY(SaveEepromImage(path, image, 0).ok());
        const QByteArray bytes = ReadTestFile(path);
        // One decimal number and CR LF per address, nothing else.
        QCOMPARE(bytes.left(15), QByteArray("200\r\n207\r\n214\r\n"));
        QCOMPARE(bytes.count("\r\n"), 256);
        QCOMPARE(bytes, FormatEepromImage(image));
        EepromImage back;
        QVERIFY(LoadEepromImage(path, &back, 0).ok() && back == image);

        // A save that cannot happen says so and leaves no file behind.
        const QString nowhere = dir.filePath(u"missing/EEprom.dat"_s);
        const ImageStatus failed = SaveEepromImage(nowhere, image, 1);
        QCOMPARE(failed.kind, ImageStatus::Kind::FileError);
        QVERIFY(failed.message.startsWith(u"Cannot write"_s) && !QFile::exists(nowhere));
        QCOMPARE(LoadEepromImage(nowhere, &back, 1).kind, ImageStatus::Kind::FileError);

        // A bad file loaded into the tool keeps the image it had.
        SimBench b(0);
        EepromTool tool(b.link, 1);
        QVERIFY(tool.loadFile(path).ok());
        QVERIFY(QFile::resize(path, 0)); // cut short
        const ImageStatus bad = tool.loadFile(path);
        QCOMPARE(bad.kind, ImageStatus::Kind::BadContent);
        QVERIFY(bad.message.contains(u"line 1:"_s) && tool.image() == image);
    }

    // Load, write and verify reproduce the image exactly, byte by byte on the wire. Everything
    // runs at a tenth of its real time, the device's EEPROM write time included: a pause after
    // each "$W" shorter than that write time loses bytes, and the verification counts them.
    void writeThenVerify_data() {
        QTest::addColumn<double>("pauseScale");
        QTest::addColumn<bool>("lost");
        QTest::newRow("protocol pause") << 0.1 << false;
        QTest::newRow("pause shortened to 20 ms") << 0.04 << true;
    }
    void writeThenVerify() {
        QFETCH(double, pauseScale);
        QFETCH(bool, lost);
        SimBench b(0);
        b.link.setDelayScale(pauseScale);
        b.device.setWriteTimeMs(sim::SimDevice::kDefaultWriteTimeMs * 0.1);
        EepromTool tool(b.link, 1);
        QVERIFY(tool.setBank(1));
        const EepromImage image = pattern(5);
        tool.setImage(image);
        const EepromOutcome out = tool.writeDevice();
        const QByteArray bytes(reinterpret_cast<const char*>(image.bytes.data()), 256);
        QCOMPARE(commandsStarting(b, "$W"), requests('W', 1, 0, bytes));
        if (lost) {
            QCOMPARE(out.kind, Kind::Differs);
            QVERIFY(!out.differences.isEmpty());
            QCOMPARE(out.message, u"%1 errori"_s.arg(out.differences.size()));
            for (const Difference& d : out.differences) // lost: the erased byte is still there
                QCOMPARE(d.device, std::uint8_t(0xFF));
            return;
        }
        QVERIFY2(out.ok(), qPrintable(out.message));
        QCOMPARE(std::pair(out.message, b.device.bank(1)), std::pair(u"0 errori"_s, bytes));
        const QByteArray bank0 = b.device.bank(0);
        // The verification read the bank back, every address in order.
        QCOMPARE(commandsStarting(b, "$R"), requests('R', 1, 0, QByteArray(256, 0)));

        // The device's memory changes behind the tool's back: verify lists every address.
        b.device.setMemory(1, 0, 99);
        b.device.setMemory(1, 200, std::uint8_t(image.bytes[200] + 1));
        const EepromOutcome differs = tool.verify();
        QCOMPARE(std::pair(differs.kind, differs.message), std::pair(Kind::Differs, u"2 errori"_s));
        QCOMPARE(differs.differences,
                 (QList<Difference>{{0, 99, image.bytes[0]},
                                    {200, std::uint8_t(image.bytes[200] + 1), image.bytes[200]}}));
        QCOMPARE(b.device.bank(0), bank0); // the other bank was never touched

        // Read into a fresh tool: the same image.
        EepromTool reader(b.link, 1);
        reader.setBank(1);
        QVERIFY(reader.readDevice().ok());
        QCOMPARE(reader.image().bytes[0], std::uint8_t(99));
        QCOMPARE(reader.image().bytes[255], image.bytes[255]);
    }

    // Without an answer there is no count at all, let alone "0 errori".
    void silentDevice_data() {
        QTest::addColumn<bool>("readValue");
        QTest::newRow("verify") << false;
        QTest::newRow("read value") << true;
    }
    void silentDevice() {
        QFETCH(bool, readValue);
        SimBench b(0);
        b.device.injectFault({sim::Fault::Kind::NoReply, "$R", 0, -1, 0});
        EepromTool tool(b.link, 0);
        const EepromImage image = pattern(1);
        tool.setImage(image);
        MemoryValue value;
        const EepromOutcome out =
            readValue ? tool.readValue(ValueFormat::Float, 10, &value) : tool.verify();
        QCOMPARE(out.kind, Kind::CommFailed);
        QVERIFY(out.message.startsWith(u"Errore di comunicazione"_s));
        QVERIFY(!out.message.contains(u"errori"_s) && out.differences.isEmpty());
        QVERIFY(tool.image() == image); // a failed read leaves the image
        // The link asked once, after its own three attempts, and took Cancel.
        QCOMPARE(b.prompter.questions().size(), 1);
        QCOMPARE(b.prompter.questions().first().buttons, Prompter::Buttons::RetryCancel);
    }

    void nothingToWriteOrCompare() {
        SimBench b(0);
        EepromTool tool(b.link, 1);
        QCOMPARE(tool.writeDevice().kind, Kind::NoImage);
        QCOMPARE(tool.verify().kind, Kind::NoImage);
        QVERIFY(!tool.saveFile(u"x.dat"_s).ok() && b.device.commandLog().isEmpty());
        QVERIFY(!tool.setBank(256) && !tool.setBank(-1) && tool.bank() == 0);
    }

    // A value typed in one of the three formats: the bytes written (L, H, Exp as far as
    // used), read back and shown as typed; out of its format's reach, refused unsent.
    void writeValue_data() {
        QTest::addColumn<ValueRow>("row");
        auto row = [](int format, const char* typed, int address, const QByteArray& bytes,
                      const char* shown = "") {
            const char* const names[] = {"Byte", "Int", "Float"};
            QTest::addRow("%s '%s' at %d", names[format], typed, address)
                << ValueRow{format, typed, address, bytes, shown};
        };
        row(2, "1", 253, "\x00\x80\x3f"_ba, "1.0");
        row(2, " -2.5 ", 10, "\x00\x20\xc0"_ba, "-2.5");
        row(2, "0", 10, "\x00\x00\x00"_ba, "0.0");
        row(2, "0.1", 10, "\xcc\xcc\x3d"_ba, "0.1");
        row(1, "-2", 254, "\xfe\xff"_ba, "-2");
        row(1, "32767", 0, "\xff\x7f"_ba, "32767");
        row(1, "-32768", 0, "\x00\x80"_ba, "-32768");
        row(0, "200", 255, "\xc8"_ba, "200");
        // Refused: "32768".."65535" would read back as negative numbers; the last two would
        // run past address 255.
        for (const char* typed : {"32768", "40000", "65535", "65536", "-32769"})
            row(1, typed, 0, {});
        for (const char* typed : {"256", "-1", "1.5", ""})
            row(0, typed, 0, {});
        for (const char* typed : {"1,5", "abc", "1e40", "1e-40"})
            row(2, typed, 0, {});
        row(2, "1", 254, {});
        row(1, "1", 255, {});
    }
    void writeValue() {
        QFETCH(ValueRow, row);
        const auto& [format, typed, address, bytes, shown] = row;
        SimBench b(0);
        EepromTool tool(b.link, 1);
        QString why;
        const auto value = tool.encode(ValueFormat(format), typed, &why);
        EepromOutcome out;
        if (value)
            out = tool.writeValue(address, *value);
        if (bytes.isEmpty()) {
            // Refused by the encoding with a reason, or by the write with a message.
            QVERIFY((!value && !why.isEmpty()) ||
                    (out.kind == Kind::BadInput && !out.message.isEmpty()));
            QVERIFY(b.device.commandLog().isEmpty()); // nothing went to the device
            return;
        }
        QVERIFY2(out.ok(), qPrintable(out.message));
        QCOMPARE(commandsStarting(b, "$W"), requests('W', 0, address, bytes));
        QCOMPARE(b.device.bank(0).mid(address, bytes.size()), bytes);
        // Read back after the write, and read again from the address: the number typed, shown
        // as typed.
        const QByteArrayList reads = requests('R', 0, address, QByteArray(bytes.size(), 0));
        QCOMPARE(commandsStarting(b, "$R"), reads);
        b.device.clearCommandLog();
        MemoryValue back;
        QVERIFY(tool.readValue(ValueFormat(format), address, &back).ok());
        QVERIFY(qAbs(back.value - Val(typed)) <= 1e-4 * qMax(1.0, qAbs(Val(typed))));
        QCOMPARE(EepromTool::FormatValue(back), shown);
        const char got[] = {char(back.l), char(back.h), char(back.exp)};
        QCOMPARE(QByteArray(got, bytes.size()), bytes);
        QCOMPARE(commandsStarting(b, "$R"), reads);
    }

    // A device that takes the "$W" but keeps its old bytes: the write is not reported done.
    void droppedWritesAreCaught() {
        SimBench b(0);
        b.device.setMemory(0, 30, 0);
        b.device.injectFault({sim::Fault::Kind::DropWrites, "$W", 0, -1, 0});
        EepromTool tool(b.link, 1);
        QString why;
        const EepromOutcome out =
            tool.writeValue(30, *tool.encode(ValueFormat::Byte, u"77"_s, &why));
        QCOMPARE(std::pair(out.kind, out.message), std::pair(Kind::Differs, u"1 errori"_s));
        QCOMPARE(out.differences, (QList<Difference>{{30, 0, 77}}));
    }
};

QTEST_MAIN(TestEeprom)
#include "tst_eeprom.moc"
