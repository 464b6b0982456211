// One simulated device seen through every view the program has of its configuration: the
// editor (with its captions), `read` (JSON and text), the bytes of the file saved from the
// editor and `show` of that file. The same field must say the same thing in all of them.
#include "captions.h"
#include "catalogue.h"
#include "configeditor.h"
#include "configfiles.h"
#include "editormodel.h"
#include "recordformat.h"
#include "simbench.h"
#include "texts.h"

#include <QJsonArray>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

using namespace Qt::StringLiterals;
using namespace vantelso;
using Patch = QList<QPair<int, int>>; // address, value

namespace {

// A device of one model, its memory patched, read into an editor and saved to a file.
struct Views : SimBench {
    Views(int model, int variant, const Patch& patch)
        : SimBench(std::uint8_t(model), std::uint8_t(variant)), editor(catalogue, texts),
          config(editor, link, catalogue, texts), files(editor, link.identity, texts, prompter) {
        texts.setLanguage(Texts::English);
        for (const auto& [address, value] : patch)
            device.setMemory(0, address, std::uint8_t(value));
        if (config.ReadEprom() != EditorOutcome::Done)
            return;
        // `read` decodes the same bytes the editor read, with a catalogue of its own.
        const DeviceIdentity id = device.identity();
        Catalogue readCatalogue;
        readCatalogue.UpdateAfterRead(id);
        const QByteArray ext = HasExtensionBlock(id)
                                   ? device.bank(0).mid(ExtensionBlockFirst, ExtensionBlockSize)
                                   : QByteArray();
        const auto r = DecodeRecord(device.bank(0).left(MainBlockSize), ext, id, readCatalogue);
        if (!r)
            return;
        read = RecordJson(*r, id, readCatalogue);
        readLines = RecordLines(*r, id, readCatalogue);
        const QString path = dir.filePath(u"v.VNT"_s);
        if (files.saveTo(path) != ConfigFiles::Outcome::Done)
            return;
        QString error;
        const auto rec = ConfigFileRecord::load(path, texts, &error);
        if (!rec)
            return;
        file = rec->toBytes();
        Catalogue showCatalogue;
        showCatalogue.Init(DeviceIdentity{rec->deviceCode, rec->modelByte, 0, 0});
        show = FileJson(*rec, showCatalogue);
        showLines = FileLines(show);
        ok = true;
    }
    QJsonObject readChannel(int c) const { return channel(read, c); }
    QJsonObject showChannel(int c) const { return channel(show, c); }
    static QJsonObject channel(const QJsonObject& o, int c) {
        return o.value(u"channels"_s).toArray().at(c).toObject();
    }
    int flagAt(int offset) const { return qFromLittleEndian<qint16>(file.constData() + offset); }
    QString caption(const QString& control) const {
        return app::BuildCaptions(app::Window::Program, texts, false).value(control);
    }

    Texts texts;
    Catalogue catalogue;
    EditorModel editor;
    ConfigEditor config;
    ConfigFiles files;
    QTemporaryDir dir;
    bool ok = false;
    QJsonObject read, show;
    QStringList readLines, showLines;
    QByteArray file;
};

} // namespace

class TestViews : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The wiring code of the record against the editor's caption, `read`, the file's three
    // flags (2 wires at 104, 4 at 108, 3 at 112) and `show`.
    void wires_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("fileOffset");
        QTest::newRow("default image: three-wire Pt 100") << -1 << 3 << 112;
        QTest::newRow("code 0") << 0 << 2 << 104;
        QTest::newRow("code 1") << 1 << 4 << 108;
        QTest::newRow("code 2") << 2 << 3 << 112;
    }
    void wires() {
        QFETCH(int, code);
        QFETCH(int, count);
        QFETCH(int, fileOffset);
        Patch patch;
        if (code >= 0) // Pt 100 and 4-20 mA on both channels, this wiring
            patch = {{4, 0x21 | code << 2}, {6, 0x01 | code << 2}};
        Views v(3, 0x20, patch); // RSX7131B
        QVERIFY(v.ok);
        for (int c = 0; c < 2; ++c) {
            const QString p = u"Channel %1 "_s.arg(c == 0 ? 'A' : 'B');
            const int chosen = v.editor.choice(u"opt_Fili"_s, c);
            QVERIFY(chosen >= 0);
            QCOMPARE(v.caption(u"opt_Fili_%1"_s.arg(3 * c + chosen)), QString::number(count));
            QCOMPARE(v.readChannel(c).value(u"wires"_s).toInt(-1), count);
            QVERIFY(v.readLines.contains(p + u"wires: %1"_s.arg(count)));
            for (int offset : {104, 108, 112})
                QCOMPARE(v.flagAt(offset + 2 * c), offset == fileOffset ? -1 : 0);
            QCOMPARE(v.showChannel(c).value(u"wires"_s).toInt(-1), count);
            QVERIFY(v.showLines.contains(p + u"wires: %1"_s.arg(count)));
        }
    }
    // The response time (a count of steps at 28/29) as the editor shows it in tenths of a
    // second, in `read` and its text; trips only where the model has them.
    void responseTimeAndTrips_data() {
        QTest::addColumn<int>("model");
        QTest::addColumn<int>("code");
        QTest::addColumn<bool>("trips");
        QTest::newRow("RSX7035, code 0") << 8 << 0 << false;
        QTest::newRow("RSX7035, code 7") << 8 << 7 << false;
        QTest::newRow("RSX7035, code 123") << 8 << 123 << false;
        QTest::newRow("RSX5035, code 49") << 9 << 49 << false;
        QTest::newRow("RSX7040") << 7 << -1 << true;
    }
    void responseTimeAndTrips() {
        QFETCH(int, model);
        QFETCH(int, code);
        QFETCH(bool, trips);
        Patch patch;
        if (code >= 0)
            patch = {{28, code & 0xFF}, {29, code >> 8}};
        Views v(model, 0, patch);
        QVERIFY(v.ok);
        if (code >= 0) {
            const QString shown = v.editor.text(u"txt_Delay"_s, 0);
            QVERIFY(!shown.isEmpty());
            QCOMPARE(v.read.value(u"response_time_s"_s).toDouble(), shown.toDouble());
            const QStringList line = v.readLines.filter(u"response_time_s: "_s);
            QCOMPARE(line.size(), 1);
            QCOMPARE(line[0].section(u": "_s, 1).toDouble(), shown.toDouble());
        }
        QCOMPARE(v.readChannel(0).contains(u"trip"_s), trips);
        QCOMPARE(v.showChannel(0).contains(u"trip"_s), trips);
        QCOMPARE(!v.showLines.filter(u" trip "_s).isEmpty(), trips);
        // Numbers read back as typed, without a float's tail.
        for (const QString& line : v.showLines)
            QVERIFY2(!line.contains(QRegularExpression(u"\\.\\d{4,}"_s)), qPrintable(line));
    }
    // The doubler (address 4 bit 5) and channel B. On the lettered models the bit is part of
    // the model letter: no view may call it a doubler. The single-channel models have no
    // channel B of their own: the editor leaves its fields empty and read and show leave it
    // out, except for the output the doubler gives model 0 (the file then stores channel B's
    // input code as 0, the doubler entry having no row).
    void doublerAndChannelB_data() {
        QTest::addColumn<int>("model");
        QTest::addColumn<int>("variant");
        QTest::addColumn<Patch>("patch");
        QTest::addColumn<int>("doubler"); // -1: the model has none
        QTest::addColumn<bool>("ownChannelB");
        // Channel B: 4-20 mA, 4..20 (bytes 6 and 16..19).
        const Patch outB{{6, 0x01}, {16, 0x20}, {17, 0x4E}, {18, 0xA0}, {19, 0x0F}};
        QTest::newRow("RSX7131A") << 2 << 0x20 << Patch{} << -1 << true;
        QTest::newRow("RSX7031C") << 6 << 0x60 << Patch{} << -1 << true;
        QTest::newRow("RSX7132D") << 5 << 0x40 << Patch{} << -1 << true;
        QTest::newRow("RSX7040") << 7 << 0 << Patch{{4, 0x25}} << -1 << true;
        QTest::newRow("RSX7030") << 0 << 0 << Patch{} << 0 << false;
        QTest::newRow("RSX7030, doubler") << 0 << 0 << Patch{{4, 0x31}} + outB << 1 << false;
        QTest::newRow("model byte 1") << 1 << 0 << Patch{{1, 9}, {12, 0x44}} << 0 << false;
        QTest::newRow("RSX7035") << 8 << 0 << Patch{{14, 0x43}, {15, 0x44}} << 0 << false;
        QTest::newRow("RSX5035") << 9 << 0 << Patch{} << 0 << false;
    }
    void doublerAndChannelB() {
        QFETCH(int, model);
        QFETCH(int, variant);
        QFETCH(Patch, patch);
        QFETCH(int, doubler);
        QFETCH(bool, ownChannelB);
        Views v(model, variant, patch);
        QVERIFY(v.ok);
        const bool on = doubler == 1;
        const QString doublerText = v.texts.lang(31);

        // The doubler itself.
        QCOMPARE(v.editor.enabled(u"chk_Doubler"_s), doubler >= 0);
        QCOMPARE(v.editor.checked(u"chk_Doubler"_s), on);
        QCOMPARE(v.read.contains(u"doubler"_s), doubler >= 0);
        QCOMPARE(v.read.value(u"doubler"_s).toBool(), on);
        QCOMPARE(v.readLines.contains(u"doubler: on"_s), on);
        QCOMPARE(int(v.file.at(291)), on ? 1 : 0);
        QCOMPARE(v.show.contains(u"doubler_state"_s), doubler >= 0);
        QCOMPARE(v.showLines.contains(u"doubler: 1"_s), on);

        // Channel B in every view.
        const bool channelB = ownChannelB || on;
        for (const QJsonObject& o : {v.read, v.show})
            QCOMPARE(o.value(u"channels"_s).toArray().size(), channelB ? 2 : 1);
        for (const QStringList& lines : {v.readLines, v.showLines})
            QCOMPARE(lines.filter(QRegularExpression(u"^Channel B "_s)).isEmpty(), !channelB);
        const QString inputB = v.editor.text(u"cmb_Prog_In"_s, 1);
        QCOMPARE(inputB.isEmpty(), !channelB);
        if (on) {
            QCOMPARE(inputB, doublerText);
            QCOMPARE(v.readChannel(1).value(u"input"_s).toString(), doublerText);
            QCOMPARE(v.showChannel(1).value(u"input"_s).toString(), doublerText);
            QCOMPARE(int(v.file.at(13)), 0);
        }
        // The input side of channel B belongs to channel B's own input only.
        for (const char* name : {"txt_Input_max", "txt_Input_min", "txt_offset"})
            QCOMPARE(v.editor.text(QLatin1String(name), 1).isEmpty(), !ownChannelB);
        for (const QJsonObject& ch : {v.readChannel(1), v.showChannel(1)})
            QCOMPARE(ch.contains(u"input_end"_s), ownChannelB);
        // Its output side also serves the doubler.
        const QString outEnd = v.editor.text(u"txt_Output_max"_s, 1);
        QCOMPARE(outEnd.isEmpty(), !channelB);
        QCOMPARE(v.editor.text(u"lbl_limite_out"_s, 1).isEmpty(), !channelB);
        for (const QJsonObject& ch : {v.readChannel(1), v.showChannel(1)})
            QVERIFY(!channelB || ch.value(u"output_end"_s).toDouble() == outEnd.toDouble());
        if (!channelB) {
            // Nothing of the unused channel reaches the file.
            QCOMPARE(int(v.file.at(13)) + int(v.file.at(47)), 0);
            for (int offset : {22, 38, 56, 72, 96})
                QCOMPARE(qFromLittleEndian<double>(v.file.constData() + offset), 0.0);
        }
    }
};

QTEST_GUILESS_MAIN(TestViews)
#include "tst_views.moc"
