// Configuration read and write against the simulated device: refusals, Cancel, the checks
// before a write, numbers as users type them, a swapped device, and the read-back that
// catches a device ignoring writes.
#include "configeditor.h"
#include "editormodel.h"
#include "failingrow.h"
#include "simbench.h"
#include "texts.h"

#include <QSignalSpy>
#include <QTest>

using namespace vantelso;
using namespace vantelso::sim;
using namespace Qt::StringLiterals;
using Answer = Prompter::Answer;

namespace {

struct Bench : SimBench {
    explicit Bench(int modelByte, int variant = 0)
        : SimBench(std::uint8_t(modelByte), std::uint8_t(variant)), model(catalogue, texts),
          editor(model, link, catalogue, texts) {
        texts.setLanguage(Texts::English);
    }
    // Every control's text and enabled state.
    QStringList snapshot() const {
        QStringList out;
        for (const QString& n : model.controlNames())
            for (int e = 0; e < model.elementCount(n); ++e)
                out << n + QString::number(e) + model.text(n, e) + (model.enabled(n, e) ? "+" : "");
        return out;
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
    // A read that fails half-way, a read of another family and a write to another family are
    // refused and leave the editor as it was; so is a write after the device was swapped for
    // another model byte, or for the same one with another variant letter family. A write
    // after a read refused for another family compares with the family that answered then,
    // so it is refused as incompatible, not as a swapped device. On this switch-configured
    // model the read takes the switch banks too: their "$D" failing fails the read as well.
    void refusals() {
        // The family answering, whether it is a write, the command that then fails.
        const std::tuple<int, int, const char*> rows[] = {
            {12, 0, "$R"}, {13, 0, "$R"}, {11, 1, "$R"}, {13, 1, "$R"}, {12, 0, "$D"}};
        for (const auto& [family, write, failing] : rows) {
            const FailingRow row(
                u"family %1, %2, %3 failing"_s.arg(family).arg(write ? "write" : "read", failing));
            Bench b(3);
            DeviceIdentity id = b.device.identity();
            id.DeviceCode = std::uint8_t(family);
            b.device.setIdentity(id);
            b.model.setText("txt_Input_max", 0, u"123"_s);
            const QStringList before = b.snapshot();
            if (write) {
                QCOMPARE(b.editor.ReadEprom(), EditorOutcome::Incompatible);
                b.prompter.clear();
                b.device.clearCommandLog();
            }
            b.device.injectFault({.kind = Fault::Kind::NoReply, .match = failing, .count = -1});
            b.prompter.setFallback(Answer::Cancel);
            const EditorOutcome outcome = write ? b.editor.WriteEprom() : b.editor.ReadEprom();
            if (family == 12) {
                QCOMPARE(outcome, EditorOutcome::CommFailed);
            } else {
                QCOMPARE(outcome, EditorOutcome::Incompatible);
                QCOMPARE(b.prompter.texts(),
                         QStringList{"Device not compatible with this software version"});
                QCOMPARE(b.prompter.questions().first().icon, Prompter::Icon::Critical);
                QCOMPARE(b.count("$R") + b.count("$W"), 0);
            }
            QCOMPARE(b.snapshot(), before);
            QCOMPARE(b.model.identity().ModelByte, std::uint8_t(0));
        }
    }
    // Also when the new device identified itself to a read whose record then failed: the
    // editor still shows the old device's fields.
    void swappedDeviceWritesNothing() {
        for (const auto& [modelByte, variant, halfRead] :
             {std::tuple{4, 0x20, false}, {3, 0x60, false}, {4, 0x20, true}}) {
            const FailingRow row(u"swapped to model %1 variant 0x%2%3"_s.arg(modelByte)
                                     .arg(variant, 0, 16)
                                     .arg(halfRead ? " after a failed read" : ""));
            Bench b(3, 0x20);
            QCOMPARE(b.editor.ReadEprom(), EditorOutcome::Done);
            b.device.swapTo(std::uint8_t(modelByte), std::uint8_t(variant));
            if (halfRead) {
                b.device.injectFault({.kind = Fault::Kind::NoReply, .match = "$R", .count = -1});
                QCOMPARE(b.editor.ReadEprom(), EditorOutcome::CommFailed);
                b.prompter.clear();
            }
            const DeviceIdentity before = b.link.identity;
            b.device.clearCommandLog();
            QSignalSpy finished(&b.editor, &ConfigEditor::writeFinished);
            QCOMPARE(b.editor.WriteEprom(), EditorOutcome::DeviceChanged);
            QCOMPARE(finished.count(), 1);
            QCOMPARE(b.prompter.texts(), QStringList{"Device Changed"});
            QCOMPARE(b.count("$W"), 0);
            QCOMPARE(b.link.identity, before);
        }
    }

    // An edit after the read, the outcome and the prompt; every question is answered OK but
    // where the outcome is Cancelled.
    void writeChecks() {
        using O = EditorOutcome;
        // The edit ("opt_": a choice), the outcome and the prompt.
        const std::tuple<const char*, int, const char*, int, const char*, O, const char*> rows[] = {
            {"cancel input", 3, "txt_Input_max", 0, "900", O::Cancelled,
             "Channel A: input value (MAX) exceeds limits"},
            {"OK writes as typed", 2, "txt_Input_max", 1, "1250", O::Done,
             "Channel B: input value (MAX) exceeds limits"},
            {"overflow", 3, "txt_Output_max", 0, "1e999", O::DataError,
             "Error: check configuration data"},
            {"wrong CJC", 2, "opt_CJC", 0, "0", O::WrongCjc,
             "Wrong configuration: Channel A input must be a Thermocouple with Internal CJC"}};
        for (const auto& [name, modelByte, control, element, text, outcome, prompt] : rows) {
            const FailingRow row(name);
            Bench b(modelByte);
            QSignalSpy identified(&b.editor, &ConfigEditor::deviceIdentified);
            QCOMPARE(b.editor.ReadEprom(), O::Done);
            QCOMPARE(identified.count(), 1);
            QCOMPARE(b.editor.modelIdentifier(), b.device.modelIdentifier());
            const QByteArray image = b.device.bank(0);
            b.device.clearCommandLog();
            if (QByteArray(control).startsWith("opt_"))
                b.model.choose(control, element, QByteArray(text).toInt());
            else
                b.model.setText(control, element, text);
            b.prompter.setFallback(outcome == O::Cancelled ? Answer::Cancel : Answer::Ok);
            QCOMPARE(b.editor.WriteEprom(), outcome);
            QCOMPARE(b.prompter.texts(), QStringList{prompt});
            if (outcome == O::Done) {
                QCOMPARE(quint8(b.device.memory(0, 12)) | b.device.memory(0, 13) << 8, 12500);
            } else {
                QCOMPARE(b.count("$W"), 0);
                QCOMPARE(b.device.bank(0), image);
            }
            if (outcome == O::Cancelled)
                QCOMPARE(b.prompter.questions().first().buttons, Prompter::Buttons::OkCancel);
        }
    }

    // Numbers as users type them: "," and "." are both decimal marks; anything else that is no
    // number is refused, naming the field, before the device is asked anything.
    void typedNumbers() {
        const QString hintEn = u"Type numbers with \",\" or \".\" as the decimal mark. Nothing "
                               u"was written to the device."_s;
        const QString hintIt = u"Scrivere i numeri con \",\" o \".\" come separatore decimale. "
                               u"Nulla è stato scritto nel dispositivo."_s;
        // Italian or not, the field, the text typed, the prompt (empty: written).
        const std::tuple<bool, const char*, const char*, QString> rows[] = {
            {true, "txt_Input_max", "125,5", QString()},
            {false, "txt_Input_max", "abc",
             u"Channel A, Input Max: \"abc\" is not a number.\n"_s + hintEn},
            {true, "txt_Output_min", "1.234,5",
             u"Canale A, Uscita Min: \"1.234,5\" non è un numero.\n"_s + hintIt},
            {false, "txt_filter", "4 s", u"Smooth: \"4 s\" is not a number.\n"_s + hintEn},
            {true, "txt_offset", "", u"Canale A, Offset CJC è vuoto.\n"_s + hintIt}};
        for (const auto& [italian, field, typed, prompt] : rows) {
            const FailingRow row(u"%1 \"%2\""_s.arg(field, typed));
            Bench b(3);
            b.texts.setLanguage(italian ? Texts::Italian : Texts::English);
            // A refusal needs no device (nothing is asked of it), but a field is emptied only
            // after a read filled it.
            if (prompt.isEmpty() || !*typed)
                QCOMPARE(b.editor.ReadEprom(), EditorOutcome::Done);
            b.device.clearCommandLog();
            b.model.setText(field, 0, typed);
            b.prompter.setFallback(Answer::Ok);
            QCOMPARE(b.editor.WriteEprom(),
                     prompt.isEmpty() ? EditorOutcome::Done : EditorOutcome::DataError);
            QCOMPARE(b.prompter.texts(), prompt.isEmpty() ? QStringList() : QStringList{prompt});
            if (prompt.isEmpty())
                QCOMPARE(quint8(b.device.memory(0, 20)) | b.device.memory(0, 21) << 8, 1255);
            else
                QCOMPARE(b.device.commandLog().size(), 0);
        }
    }

    void verifyCatchesDroppedWrites() {
        Bench b(3);
        QCOMPARE(b.editor.ReadEprom(), EditorOutcome::Done);
        b.model.setText("txt_Input_max", 0, u"140"_s);
        b.device.injectFault({.kind = Fault::Kind::DropWrites, .match = "$W", .count = -1});
        QSignalSpy finished(&b.editor, &ConfigEditor::writeFinished);
        QCOMPARE(b.editor.WriteEprom(), EditorOutcome::VerifyFailed);
        QCOMPARE(finished.count(), 1);
        QCOMPARE(finished.first().at(0).value<EditorOutcome>(), EditorOutcome::VerifyFailed);
        // The box names the addresses that differ: only the low byte of 1400 changed.
        QCOMPARE(b.prompter.texts(),
                 QStringList{"Communication error\nVerify failed: the device does not hold what "
                             "was written at addresses 20."});
        QCOMPARE(b.prompter.questions().first().icon, Prompter::Icon::Critical);
        QCOMPARE(b.editor.verifyDifferences(), QList<int>{20});
        QCOMPARE(AddressRanges({13, 12, 20, 13}), u"12-13, 20"_s);
        QCOMPARE(AddressRanges({}), QString());
        QCOMPARE(AddressRanges({130, 129, 128, 140, 141}), u"128-130, 140-141"_s);
    }
};

QTEST_GUILESS_MAIN(TestEditorFlow)
#include "tst_editorflow.moc"
