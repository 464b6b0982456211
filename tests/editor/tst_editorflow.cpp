// Configuration read and write against the simulated device: refusals, Cancel, a swapped
// device, and the read-back that catches a device ignoring writes.
#include "catalogue.h"
#include "configeditor.h"
#include "devicelink.h"
#include "editormodel.h"
#include "scriptedprompter.h"
#include "simbench.h"
#include "simdevice.h"
#include "simtransport.h"
#include "texts.h"

#include <QSignalSpy>
#include <QTest>

using namespace vantelso;
using namespace vantelso::sim;
using Answer = Prompter::Answer;

namespace {

struct Bench : SimBench {
    explicit Bench(std::uint8_t modelByte, std::uint8_t variant = 0)
        : SimBench(modelByte, variant), model(catalogue, texts),
          editor(model, link, catalogue, texts) {
        texts.setLanguage(Texts::English);
    }
    int writes() const { return count("$W"); }
    void set(const char* name, int element, const QString& text) {
        model.setText(QString::fromLatin1(name), element, text);
    }
    Catalogue catalogue;
    Texts texts;
    EditorModel model;
    ConfigEditor editor;
};

} // namespace

class TestEditorFlow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void readShowsRecord() {
        Bench b(0);
        QSignalSpy identified(&b.editor, &ConfigEditor::deviceIdentified);
        QCOMPARE(b.editor.ReadEprom(), EditorOutcome::Done);
        QCOMPARE(identified.count(), 1);
        QCOMPARE(b.model.text(QStringLiteral("cmb_Prog_In"), 0), QStringLiteral("Tc K"));
        QCOMPARE(b.model.text(QStringLiteral("cmb_Prog_Out"), 0), QStringLiteral("4-20 mA"));
        QCOMPARE(b.model.text(QStringLiteral("txt_Input_max"), 0), QStringLiteral("1000"));
        QCOMPARE(b.model.text(QStringLiteral("txt_Output_min"), 0), QStringLiteral("4"));
        QCOMPARE(b.model.text(QStringLiteral("txt_soglia_H"), 0), QStringLiteral("800"));
        QCOMPARE(b.model.text(QStringLiteral("txt_soglia_Delay"), 0), QStringLiteral("2"));
        QCOMPARE(b.model.text(QStringLiteral("cmb_OverRange"), 1), QStringLiteral("±2.5%"));
        QCOMPARE(b.model.text(QStringLiteral("lbl_limite_in"), 0),
                 QStringLiteral("-200 ÷ 1300 °C"));
        QCOMPARE(b.model.choice(QStringLiteral("opt_CJC"), 0), 1);
        QCOMPARE(b.editor.modelIdentifier(), QStringLiteral("RSX7030"));
        QVERIFY(b.prompter.questions().isEmpty());
    }

    // A read that fails half-way, or a device of another family, leaves the editor as it was.
    void failedReadChangesNothing() {
        Bench b(3);
        b.set("txt_Input_max", 0, QStringLiteral("typed"));
        QStringList before;
        for (const QString& n : b.model.controlNames())
            for (int e = 0; e < b.model.elementCount(n); ++e)
                before << n + QString::number(e) + b.model.text(n, e) +
                              QString::number(b.model.enabled(n, e));
        Fault f;
        f.kind = Fault::Kind::NoReply;
        f.match = "$R";
        f.count = -1;
        b.device.injectFault(f);
        b.prompter.setFallback(Answer::Cancel);
        QCOMPARE(b.editor.ReadEprom(), EditorOutcome::CommFailed);
        QStringList after;
        for (const QString& n : b.model.controlNames())
            for (int e = 0; e < b.model.elementCount(n); ++e)
                after << n + QString::number(e) + b.model.text(n, e) +
                             QString::number(b.model.enabled(n, e));
        QCOMPARE(after, before);
        QCOMPARE(b.model.identity().ModelByte, std::uint8_t(0));
    }

    void otherFamilyRefusedOnRead() {
        Bench b(2);
        DeviceIdentity id = b.device.identity();
        id.DeviceCode = 13;
        b.device.setIdentity(id);
        QCOMPARE(b.editor.ReadEprom(), EditorOutcome::Incompatible);
        QCOMPARE(b.prompter.texts(),
                 QStringList{"Device not compatible with this software version"});
        QCOMPARE(b.prompter.questions().first().icon, Prompter::Icon::Critical);
        for (const QByteArray& c : b.device.commandLog())
            QVERIFY(!c.startsWith("$R"));
        QCOMPARE(b.model.text(QStringLiteral("cmb_Prog_In"), 0), QString());
    }

    // Family 11 is refused on write; any other family the editor was read from is written.
    void family11RefusedOnWrite() {
        Bench b(4);
        DeviceIdentity id = b.device.identity();
        id.DeviceCode = 11;
        b.device.setIdentity(id);
        DeviceIdentity shown;
        shown.DeviceCode = 11;
        shown.ModelByte = 4;
        b.model.setIdentity(shown);
        QCOMPARE(b.editor.WriteEprom(), EditorOutcome::Incompatible);
        QCOMPARE(b.prompter.texts(),
                 QStringList{"Device not compatible with this software version"});
        QCOMPARE(b.writes(), 0);
    }

    void swappedDeviceWritesNothing() {
        Bench b(3, 0x20);
        QCOMPARE(b.editor.ReadEprom(), EditorOutcome::Done);
        const DeviceIdentity before = b.link.identity;
        b.device.swapTo(4, 0x20);
        b.device.clearCommandLog();
        QSignalSpy finished(&b.editor, &ConfigEditor::writeFinished);
        QCOMPARE(b.editor.WriteEprom(), EditorOutcome::DeviceChanged);
        QCOMPARE(finished.count(), 1);
        QCOMPARE(b.prompter.texts(), QStringList{"Device Changed"});
        QCOMPARE(b.writes(), 0);
        QCOMPARE(b.link.identity, before);
    }

    // Same model byte, other variant letter family: still another device.
    void swappedVariantWritesNothing() {
        Bench b(3, 0x20);
        QCOMPARE(b.editor.ReadEprom(), EditorOutcome::Done);
        b.device.swapTo(3, 0x60);
        b.device.clearCommandLog();
        QCOMPARE(b.editor.WriteEprom(), EditorOutcome::DeviceChanged);
        QCOMPARE(b.writes(), 0);
    }

    void cancelWritesNothing_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("question");
        QTest::newRow("input") << "txt_Input_max"
                               << "900"
                               << "Channel A: input value (MAX) exceeds limits";
        QTest::newRow("output") << "txt_Output_max"
                                << "21"
                                << "Channel A: output value (MAX) exceeds limits";
        QTest::newRow("offset") << "txt_offset"
                                << "12.6"
                                << "Channel A: CJC Offset exceeds limits";
    }
    void cancelWritesNothing() {
        QFETCH(QString, field);
        QFETCH(QString, value);
        QFETCH(QString, question);
        Bench b(3);
        QCOMPARE(b.editor.ReadEprom(), EditorOutcome::Done);
        const QByteArray image = b.device.bank(0);
        b.device.clearCommandLog();
        b.model.setText(field, 0, value);
        b.prompter.push(Answer::Cancel);
        QCOMPARE(b.editor.WriteEprom(), EditorOutcome::Cancelled);
        QCOMPARE(b.prompter.texts(), QStringList{question});
        QCOMPARE(b.prompter.questions().first().buttons, Prompter::Buttons::OkCancel);
        QCOMPARE(b.writes(), 0);
        QCOMPARE(b.device.bank(0), image);
    }

    void wrongCjcWritesNothing() {
        Bench b(2);
        QCOMPARE(b.editor.ReadEprom(), EditorOutcome::Done);
        b.model.choose(QStringLiteral("opt_CJC"), 0, 0);
        b.device.clearCommandLog();
        QCOMPARE(b.editor.WriteEprom(), EditorOutcome::WrongCjc);
        QCOMPARE(b.prompter.texts(),
                 QStringList{"Wrong configuration: Channel A input must be a Thermocouple with "
                             "Internal CJC"});
        QCOMPARE(b.writes(), 0);
    }

    // OK on a limit question writes the value as typed.
    void okWritesAsTyped() {
        Bench b(2);
        QCOMPARE(b.editor.ReadEprom(), EditorOutcome::Done);
        b.set("txt_Input_max", 1, QStringLiteral("1250"));
        b.prompter.push(Answer::Ok);
        QCOMPARE(b.editor.WriteEprom(), EditorOutcome::Done);
        QCOMPARE(b.prompter.texts(), QStringList{"Channel B: input value (MAX) exceeds limits"});
        QCOMPARE(int(b.device.memory(0, 12)) | (int(b.device.memory(0, 13)) << 8), 12500);
    }

    void overflowingNumberWritesNothing() {
        Bench b(3);
        QCOMPARE(b.editor.ReadEprom(), EditorOutcome::Done);
        b.set("txt_Output_max", 0, QStringLiteral("1e999"));
        b.prompter.setFallback(Answer::Ok);
        b.device.clearCommandLog();
        QCOMPARE(b.editor.WriteEprom(), EditorOutcome::DataError);
        QCOMPARE(b.prompter.texts().last(), QStringLiteral("Error: check configuration data"));
        QCOMPARE(b.writes(), 0);
    }

    void verifyCatchesDroppedWrites() {
        Bench b(3);
        QCOMPARE(b.editor.ReadEprom(), EditorOutcome::Done);
        b.set("txt_Input_max", 0, QStringLiteral("140"));
        Fault f;
        f.kind = Fault::Kind::DropWrites;
        f.match = "$W";
        f.count = -1;
        b.device.injectFault(f);
        QSignalSpy finished(&b.editor, &ConfigEditor::writeFinished);
        QCOMPARE(b.editor.WriteEprom(), EditorOutcome::VerifyFailed);
        QCOMPARE(finished.count(), 1);
        QCOMPARE(finished.first().at(0).value<EditorOutcome>(), EditorOutcome::VerifyFailed);
        QCOMPARE(b.prompter.texts(), QStringList{"Communication error"});
        QCOMPARE(b.prompter.questions().first().icon, Prompter::Icon::Critical);
    }
};

QTEST_GUILESS_MAIN(TestEditorFlow)
#include "tst_editorflow.moc"
