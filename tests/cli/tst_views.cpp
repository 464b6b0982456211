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
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

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
        const QString path = dir.filePath(QStringLiteral("v.VNT"));
        if (files.saveTo(path) != ConfigFiles::Outcome::Done)
            return;
        QString error;
        const auto rec = ConfigFileRecord::load(path, &error);
        if (!rec)
            return;
        file = rec->toBytes();
        Catalogue showCatalogue;
        showCatalogue.Init(DeviceIdentity{rec->deviceCode, rec->modelByte, 0, 0});
        show = FileJson(*rec, showCatalogue);
        showLines = FileLines(show);
        ok = true;
    }
    QJsonObject readChannel(int c) const {
        return read.value(QStringLiteral("channels")).toArray().at(c).toObject();
    }
    QJsonObject showChannel(int c) const {
        return show.value(QStringLiteral("channels")).toArray().at(c).toObject();
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
            const QString p = QStringLiteral("Channel %1 ").arg(c == 0 ? 'A' : 'B');
            const int chosen = v.editor.choice(QStringLiteral("opt_Fili"), c);
            QVERIFY(chosen >= 0);
            QCOMPARE(v.caption(QStringLiteral("opt_Fili_%1").arg(3 * c + chosen)),
                     QString::number(count));
            QCOMPARE(v.readChannel(c).value(QStringLiteral("wires")).toInt(-1), count);
            QVERIFY(v.readLines.contains(p + QStringLiteral("wires: %1").arg(count)));
            for (int offset : {104, 108, 112})
                QCOMPARE(v.flagAt(offset + 2 * c), offset == fileOffset ? -1 : 0);
            QCOMPARE(v.showChannel(c).value(QStringLiteral("wires")).toInt(-1), count);
            QVERIFY(v.showLines.contains(p + QStringLiteral("wires: %1").arg(count)));
        }
    }
};

QTEST_GUILESS_MAIN(TestViews)
#include "tst_views.moc"
