// A configuration saved from one simulated device and loaded into another of the same model
// leaves the second one configured like the first.
#include "catalogue.h"
#include "configdiff.h"
#include "configeditor.h"
#include "configfiles.h"
#include "devicelink.h"
#include "editormodel.h"
#include "limitchecks.h"
#include "record.h"
#include "scriptedprompter.h"
#include "simbench.h"
#include "simdevice.h"
#include "simtransport.h"
#include "testfiles.h"
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

// What the checks before a write report, the cold-junction rule first.
QStringList findings(const Station& s) {
    const LimitChecks checks(s.editor, s.texts);
    QStringList out;
    if (checks.cjcRuleViolated())
        out << checks.cjcRuleMessage();
    for (const LimitFinding& f : checks.findings())
        out << f.message;
    return out;
}

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
        QCOMPARE(ReadTestFile(dir.filePath(QStringLiteral("b.VNT"))), ReadTestFile(path));
    }
    // A file of another model holds nothing for what its model lacks: opened anyway (OK on
    // "not compatible") and written, channel B keeps the device's input, output and ranges.
    void otherModelKeepsChannelB() {
        // RSX7030 file into a two-channel RSX7131, RSX7035 into RSX7032D, RSX5035 into math.
        for (const auto& [fileModel, deviceModel] : {std::pair{0, 3}, {8, 4}, {9, 5}}) {
            QTemporaryDir dir;
            const QString path = dir.filePath(QStringLiteral("other.VNT"));
            Station a{std::uint8_t(fileModel)};
            QCOMPARE(a.config.ReadEprom(), EditorOutcome::Done);
            QCOMPARE(a.files.saveTo(path), ConfigFiles::Outcome::Done);
            Station b{std::uint8_t(deviceModel)};
            QCOMPARE(b.config.ReadEprom(), EditorOutcome::Done);
            const auto channelB = [&b] {
                QStringList out;
                for (const char* f : {"cmb_Prog_In", "cmb_Prog_Out", "txt_Input_max",
                                      "txt_Input_min", "txt_Output_max", "txt_Output_min"})
                    out << QLatin1String(f) + u'=' + b.editor.text(QLatin1String(f), 1);
                return out;
            };
            const QStringList before = channelB();
            b.prompter.setFallback(Prompter::Answer::Ok);
            QCOMPARE(b.files.openFrom(path), ConfigFiles::Outcome::Done);
            QCOMPARE(channelB(), before);
            QCOMPARE(b.config.WriteEprom(), EditorOutcome::Done);
            QCOMPARE(b.config.ReadEprom(), EditorOutcome::Done);
            QCOMPARE(channelB(), before);
        }
    }
    // A type the connected model does not offer, met in a file and in the editor's list:
    // open keeps the list and says which
    // field (in the user's language), and the limit checks report it before a write.
    void typeNotOffered_data() {
        QTest::addColumn<int>("model");
        QTest::addColumn<bool>("output");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("named");
        QTest::newRow("RSX7035, 0-10 V out") << 8 << true << 2 << "\"0-10 V\"";
        QTest::newRow("RSX5035, Freq in") << 9 << false << 33 << "\"Freq\"";
        QTest::newRow("RSX5035, 20 mA in") << 9 << false << 5 << "\"20 mA\"";
        QTest::newRow("RSX7032A, Pt 100 in") << 2 << false << 18 << "\"Pt 100\"";
        QTest::newRow("RSX7035, unnamed row") << 8 << false << 6 << "code 6";
    }
    void typeNotOffered() {
        QFETCH(int, model);
        QFETCH(bool, output);
        QFETCH(int, code);
        QFETCH(QString, named);
        const QString list =
            output ? QStringLiteral("cmb_Prog_Out") : QStringLiteral("cmb_Prog_In");
        Station s{std::uint8_t(model)};
        QCOMPARE(s.config.ReadEprom(), EditorOutcome::Done);
        const QString shown = s.editor.text(list, 0);
        const QByteArray before = s.device.bank(0);

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("x.VNT"));
        QCOMPARE(s.files.saveTo(path), ConfigFiles::Outcome::Done);
        QString error;
        auto rec = *ConfigFileRecord::load(path, s.texts, &error);
        (output ? rec.outputType : rec.inputType)[0] = std::uint8_t(code);
        QVERIFY(rec.save(path, s.texts, &error));
        for (Texts::Language language : {Texts::English, Texts::Italian}) {
            s.texts.setLanguage(language);
            s.prompter.clear();
            QCOMPARE(s.files.openFrom(path), ConfigFiles::Outcome::Done);
            QCOMPARE(s.editor.text(list, 0), shown);
            QCOMPARE(s.prompter.questions().size(), 1);
            const QString said = s.prompter.questions().first().text;
            QString type = named;
            if (language == Texts::Italian)
                type.replace(QLatin1String("code "), QLatin1String("codice "));
            QVERIFY2(said.contains(type), qPrintable(said));
            const char* field =
                language == Texts::English
                    ? (output ? "Channel A output type" : "Channel A input type")
                    : (output ? "Canale A, tipo di uscita" : "Canale A, tipo di ingresso");
            QVERIFY2(said.contains(QLatin1String(field)), qPrintable(said));
        }
        // Written with nothing asked, the device keeps its type (one case goes through the
        // device; the others stop at the bytes the write would send).
        s.prompter.clear();
        QVERIFY(LimitChecks(s.editor, s.texts).findings().isEmpty());
        if (model == 8 && output) {
            QCOMPARE(s.config.WriteEprom(), EditorOutcome::Done);
            QVERIFY(s.prompter.questions().isEmpty());
        } else {
            QByteArray main = before.left(MainBlockSize);
            ApplyWrites(EncodeRecord(s.editor.toRecord(), s.device.identity(), s.catalogue, main),
                        &main, nullptr);
            for (int a = 0; a < MainBlockSize; ++a)
                s.device.setMemory(0, a, quint8(main.at(a)));
        }
        QCOMPARE(s.device.bank(0).left(MainBlockSize), before.left(MainBlockSize));

        // Typed into the list anyway, the write's checks report it.
        s.texts.setLanguage(Texts::English);
        const Catalogue& cat = s.catalogue;
        const QString name = output ? cat.Output(code).name : cat.Input(code).name;
        if (!name.isEmpty()) {
            s.editor.setText(list, 0, name);
            const QStringList messages = findings(s);
            const QString what =
                output ? QStringLiteral("output value") : QStringLiteral("input value");
            QVERIFY2(!messages.filter(QStringLiteral("Channel A: %1 (TYPE)").arg(what)).isEmpty(),
                     qPrintable(messages.join(u'\n')));
            if (code > 31) { // answered OK, still refused: five bits cannot hold it
                s.prompter.setFallback(Prompter::Answer::Ok);
                QCOMPARE(s.config.WriteEprom(), EditorOutcome::DataError);
                QCOMPARE(s.device.bank(0).left(MainBlockSize), before.left(MainBlockSize));
            }
        }
    }
    // Every simulated model as it leaves the factory passes every check of a write, and its
    // own saved file opens into it again without a question and changes no byte.
    void defaultImagesPassEveryCheck() {
        for (int model = 0; model <= 9; ++model) {
            Station s{std::uint8_t(model)};
            QCOMPARE(s.config.ReadEprom(), EditorOutcome::Done);
            QCOMPARE(findings(s), QStringList());

            QTemporaryDir dir;
            const QString path = dir.filePath(QStringLiteral("own.VNT"));
            QCOMPARE(s.files.saveTo(path), ConfigFiles::Outcome::Done);
            QCOMPARE(s.files.openFrom(path), ConfigFiles::Outcome::Done);
            QCOMPARE(s.prompter.texts(), QStringList());
            QCOMPARE(findings(s), QStringList());
            const QByteArray before = s.device.bank(0).left(MainBlockSize);
            if (model == 7) { // the one whose trips once failed: through the device
                QCOMPARE(s.config.WriteEprom(), EditorOutcome::Done);
                QCOMPARE(s.prompter.texts(), QStringList());
                QCOMPARE(s.device.bank(0).left(MainBlockSize), before);
            } else {
                QByteArray main = before;
                ApplyWrites(
                    EncodeRecord(s.editor.toRecord(), s.device.identity(), s.catalogue, main),
                    &main, nullptr);
                QCOMPARE(main, before);
            }
        }
    }

    // A failed device read gives no record to compare with a file, and says why.
    void unreadableDevice() {
        SimBench b(0);
        b.transport.close();
        EditorOutcome outcome = EditorOutcome::Done;
        QVERIFY(!ReadDeviceAsFile(b.link, b.prompter, &outcome));
        QVERIFY(outcome != EditorOutcome::Done);
    }
};

QTEST_GUILESS_MAIN(TestFileDevice)
#include "tst_filedevice.moc"
