// A configuration saved from one simulated device and loaded into another of the same model
// leaves the second one configured like the first.
#include "catalogue.h"
#include "configeditor.h"
#include "configfiles.h"
#include "devicelink.h"
#include "editormodel.h"
#include "record.h"
#include "scriptedprompter.h"
#include "simbench.h"
#include "simdevice.h"
#include "simtransport.h"
#include "texts.h"

#include <QTemporaryDir>
#include <QTest>

using namespace vantelso;

namespace {

// One device on its own link, with the editor and the file functions the program has.
struct Station : SimBench {
    explicit Station(std::uint8_t model)
        : SimBench(model), editor(catalogue, texts), config(editor, link, catalogue, texts),
          files(editor, link.identity, texts, prompter) {
        texts.setLanguage(Texts::English);
    }
    Texts texts;
    Catalogue catalogue;
    EditorModel editor;
    ConfigEditor config;
    ConfigFiles files;
};

} // namespace

class TestFileDevice : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void saveThenLoadIntoAnotherDevice() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("rtd.VNT"));

        Station a(3);
        QCOMPARE(a.config.ReadEprom(), EditorOutcome::Done);
        a.editor.setText(QStringLiteral("cmb_Prog_In"), 0, QStringLiteral("Pt 1K"));
        a.editor.setText(QStringLiteral("txt_Input_min"), 0, QStringLiteral("-20"));
        a.editor.setText(QStringLiteral("txt_Input_max"), 0, QStringLiteral("120"));
        a.editor.setText(QStringLiteral("txt_offset"), 1, QStringLiteral("-1.2"));
        a.editor.choose(QStringLiteral("opt_Break"), 1, 1);
        a.prompter.setFallback(Prompter::Answer::Ok);
        QCOMPARE(a.config.WriteEprom(), EditorOutcome::Done);
        QCOMPARE(a.files.saveTo(path), ConfigFiles::Outcome::Done);

        Station b(3);
        QCOMPARE(b.config.ReadEprom(), EditorOutcome::Done);
        QVERIFY(b.device.bank(0).left(MainBlockSize) != a.device.bank(0).left(MainBlockSize));
        QCOMPARE(b.files.openFrom(path), ConfigFiles::Outcome::Done);
        b.prompter.setFallback(Prompter::Answer::Ok);
        QCOMPARE(b.config.WriteEprom(), EditorOutcome::Done);

        // The record the file carries is now the second device's record too.
        QCOMPARE(b.device.bank(0).left(MainBlockSize), a.device.bank(0).left(MainBlockSize));
        QCOMPARE(b.files.saveTo(dir.filePath(QStringLiteral("b.VNT"))), ConfigFiles::Outcome::Done);
        QString error;
        QCOMPARE(ConfigFileRecord::load(dir.filePath(QStringLiteral("b.VNT")), &error)->toBytes(),
                 ConfigFileRecord::load(path, &error)->toBytes());
    }
};

QTEST_GUILESS_MAIN(TestFileDevice)
#include "tst_filedevice.moc"
