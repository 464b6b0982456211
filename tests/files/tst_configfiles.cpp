// Opening and saving configuration files through the editor: bytes at their offsets, the
// round trip, the version and device checks, and files that must change nothing.
#include "catalogue.h"
#include "configfiles.h"
#include "editormodel.h"
#include "scriptedprompter.h"
#include "testfiles.h"
#include "texts.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

using namespace vantelso;
using Answer = Prompter::Answer;

namespace {

struct Bench {
    explicit Bench(std::uint8_t modelByte)
        : editor(catalogue, texts), files(editor, identity, texts, prompter) {
        texts.setLanguage(Texts::English);
        identity.ModelByte = modelByte;
        identity.IdByte3 = 4;
        catalogue.Init(identity);
        catalogue.UpdateAfterRead(identity);
        editor.setIdentity(identity);
    }
    QString path(const char* name) const { return dir.filePath(QLatin1String(name)); }
    QByteArray bytes(const char* name) const { return ReadTestFile(path(name)); }
    // Every control's state, to prove that something changed nothing.
    QList<ControlState> snapshot() const {
        QList<ControlState> out;
        for (const QString& n : editor.controlNames())
            for (int e = 0; e < editor.elementCount(n); ++e)
                out << editor.control(n, e);
        return out;
    }

    QTemporaryDir dir;
    DeviceIdentity identity;
    Texts texts;
    Catalogue catalogue;
    ScriptedPrompter prompter;
    EditorModel editor;
    ConfigFiles files;
};

// The value at an offset of a file: 'd' a double, 'i' an int16, 'b' a byte.
double at(const QByteArray& f, int offset, char kind = 'd') {
    const char* p = f.constData() + offset;
    return kind == 'd' ? qFromLittleEndian<double>(p)
                       : (kind == 'i' ? qFromLittleEndian<qint16>(p) : double(*p));
}

// A two-channel RTD configuration typed into the editor.
void typeRtdConfiguration(EditorModel& e) {
    const struct {
        const char* name;
        int element;
        const char* text;
    } edits[] = {
        {"cmb_Prog_In", 0, "Pt 100"},   {"txt_Input_min", 0, "-50"},   {"txt_Input_max", 0, "150"},
        {"cmb_Prog_Out", 0, "4-20 mA"}, {"cmb_Prog_In", 1, "Ni 100"},  {"txt_Input_min", 1, "0"},
        {"txt_Input_max", 1, "100"},    {"cmb_Prog_Out", 1, "0-10 V"}, {"txt_offset", 0, "1.5"},
        {"txt_offset", 1, "-2.5"},      {"cmb_OverRange", 1, "±10%"}};
    for (const auto& edit : edits)
        e.setText(QString::fromLatin1(edit.name), edit.element, QString::fromUtf8(edit.text));
    e.choose(QStringLiteral("opt_Fili"), 0, 2);
    e.choose(QStringLiteral("opt_Fili"), 1, 1);
}

// The RTD configuration saved from `source`, then changed field by field in the file.
template <typename F> QString patchedFile(Bench& source, F&& change, const char* edit = nullptr) {
    typeRtdConfiguration(source.editor);
    if (edit)
        source.editor.setText(QStringLiteral("txt_Output_max"), 1, QLatin1String(edit));
    const QString path = source.path("p.VNT");
    if (source.files.saveTo(path) != ConfigFiles::Outcome::Done)
        return {};
    auto rec = *ConfigFileRecord::fromBytes(source.bytes("p.VNT"));
    change(rec);
    QString error;
    return rec.save(path, source.texts, &error) ? path : QString();
}

} // namespace

class TestConfigFiles : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void savedBytes() {
        Bench b(3);
        typeRtdConfiguration(b.editor);
        QSignalSpy caption(&b.files, &ConfigFiles::captionChanged);
        QCOMPARE(b.files.saveTo(b.path("rtd.VNT")), ConfigFiles::Outcome::Done);
        const QByteArray f = b.bytes("rtd.VNT");
        QCOMPARE(f.size(), 292);
        // Channel A 3 wires at 112, channel B 4 wires at 110.
        for (const auto& [offset, kind, value] : {std::tuple{0, 'd', 2.7},
                                                  {10, 'b', 3.0},
                                                  {12, 'b', 18.0},
                                                  {13, 'b', 19.0},
                                                  {30, 'd', -50.0},
                                                  {47, 'b', 2.0},
                                                  {96, 'd', -2.5},
                                                  {112, 'i', -1.0},
                                                  {110, 'i', -1.0},
                                                  {144, 'd', 10.0}})
            QVERIFY2(at(f, offset, kind) == value, qPrintable(QString::number(offset)));
        QVERIFY(caption.first().at(0).toString().startsWith(QStringLiteral("VANTELSO v.2.7 - /")));
        QVERIFY(b.files.saveEnabled());
        // Opened into another editor and saved again: the same bytes.
        Bench other(3);
        QCOMPARE(other.files.openFrom(b.path("rtd.VNT")), ConfigFiles::Outcome::Done);
        QVERIFY(other.prompter.questions().isEmpty());
        QCOMPARE(other.editor.text(QStringLiteral("txt_offset"), 1), QStringLiteral("-2.5"));
        QCOMPARE(other.editor.text(QStringLiteral("cmb_Prog_In"), 1), QStringLiteral("Ni 100"));
        QCOMPARE(other.files.saveTo(b.path("b.VNT")), ConfigFiles::Outcome::Done);
        QCOMPARE(b.bytes("b.VNT"), f);
    }

    void tripsOnlyInSlotA() {
        Bench b(7);
        for (int c = 0; c < 2; ++c) {
            b.editor.setText(QStringLiteral("txt_soglia_H"), c, QStringLiteral("900"));
            b.editor.setText(QStringLiteral("txt_soglia_L"), c, QStringLiteral("100"));
        }
        b.editor.choose(QStringLiteral("optTrip"), 0, 1);
        QCOMPARE(b.files.saveTo(b.path("t.VNT")), ConfigFiles::Outcome::Done);
        const QByteArray f = b.bytes("t.VNT");
        QCOMPARE(at(f, 152), 900.0);
        QCOMPARE(at(f, 168), 100.0);
        QCOMPARE(at(f, 188, 'i'), -1.0);
        QCOMPARE(at(f, 160) + at(f, 176) + at(f, 200), 0.0);
        QCOMPARE(int(at(f, 186, 'i')) | int(at(f, 190, 'i')), 0);
    }

    void checksOnOpen() {
        const QString v = QStringLiteral("Attention: the file has been saved with a different "
                                         "version of the software");
        const QString d = QStringLiteral("File not compatible with the device connected");
        const auto ok = Answer::Ok, cancel = Answer::Cancel;
        // The file's model, version and IdByte3, the answers, the questions, loaded or not.
        const struct {
            int model;
            double version;
            int idByte3;
            QList<Answer> answers;
            QStringList asked;
            bool loaded;
        } rows[] = {{3, 2.7, 9, {}, {}, true}, // other IdByte3, no question
                    {3, 2.5, 4, {ok}, {v}, true},
                    {3, 2.5, 4, {cancel}, {v}, false},
                    {2, 2.7, 4, {cancel}, {d}, false},
                    {2, 2.5, 4, {ok, cancel}, {v, d}, false}};
        for (const auto& row : rows) {
            Bench source(3);
            const QString path = patchedFile(source, [&](ConfigFileRecord& rec) {
                rec.modelByte = std::uint8_t(row.model);
                rec.version = row.version;
                rec.idByte3 = std::uint8_t(row.idByte3);
            });
            QVERIFY(!path.isEmpty());
            Bench b(3);
            for (Answer a : row.answers)
                b.prompter.push(a);
            const auto before = b.snapshot();
            const auto outcome = b.files.openFrom(path);
            QCOMPARE(b.prompter.texts(), row.asked);
            QCOMPARE(outcome,
                     row.loaded ? ConfigFiles::Outcome::Done : ConfigFiles::Outcome::Cancelled);
            if (row.loaded)
                QCOMPARE(b.editor.text(QStringLiteral("cmb_Prog_In"), 0), QStringLiteral("Pt 100"));
            else
                QVERIFY(b.snapshot() == before);
        }
    }

    // What a file may set of channel B and of the doubler: on a single-channel model only the
    // doubler's output, on a lettered model no doubler at all (its bit is the model letter).
    void channelBAndDoublerOnOpen() {
        // Model, doubler, channel B's input list, input end, output list, output end.
        for (const auto& [model, doubler, channelB] : {std::tuple{0, 0, "|||"},
                                                       {0, 1, "DOUBLER||0-10 V|9"},
                                                       {8, 1, "DOUBLER||4-20 mA|9"},
                                                       {3, 1, "Ni 100|100|0-10 V|9"}}) {
            Bench source(3);
            const QString path = patchedFile(
                source,
                [&, model = model, doubler = doubler](ConfigFileRecord& rec) {
                    rec.modelByte = std::uint8_t(model);
                    rec.doubler = std::uint8_t(doubler);
                    if (model == 8)
                        rec.outputType = {1, 1}; // the only output this model offers
                },
                "9");
            Bench b(model);
            QCOMPARE(b.files.openFrom(path), ConfigFiles::Outcome::Done);
            QStringList shown;
            for (const char* name :
                 {"cmb_Prog_In", "txt_Input_max", "cmb_Prog_Out", "txt_Output_max"})
                shown << b.editor.text(QLatin1String(name), 1);
            QCOMPARE(shown.join(u'|'), QLatin1String(channelB));
            QCOMPARE(b.editor.checked(QStringLiteral("chk_Doubler")), doubler && model != 3);
            // Saved again: channel B's input code is 0 under the doubler, and the lettered
            // model's doubler byte is 0.
            QCOMPARE(b.files.saveTo(b.path("c.VNT")), ConfigFiles::Outcome::Done);
            const QByteArray f = b.bytes("c.VNT");
            QCOMPARE(int(f.at(13)), model == 3 ? 19 : 0);
            QCOMPARE(int(f.at(291)), model == 3 ? 0 : doubler);
        }
    }

    void badFilesChangeNothing() {
        // Empty, truncated, oversized.
        for (const QByteArray& content :
             {QByteArray(), QByteArray(200, '\0'), QByteArray(300, '\0')}) {
            Bench b(3);
            typeRtdConfiguration(b.editor);
            const auto before = b.snapshot();
            QVERIFY(WriteTestFile(b.path("bad.VNT"), content));
            QCOMPARE(b.files.openFrom(b.path("bad.VNT")), ConfigFiles::Outcome::Failed);
            QVERIFY(b.snapshot() == before);
            QCOMPARE(b.prompter.questions().size(), 1);
            QCOMPARE(b.prompter.questions().first().icon, Prompter::Icon::Critical);
        }
    }

    void hostileValuesLoadFieldByField() {
        Bench b(3);
        // Codes with no row, a NaN, an absurd double, an over-range with no step, an odd flag,
        // a grey check box and states or operators that do not exist.
        const QString path = patchedFile(b, [](ConfigFileRecord& rec) {
            rec.inputType[0] = 200, rec.outputType[1] = 9, rec.overRange[1] = 3.3;
            rec.inputEnd[0] = std::numeric_limits<double>::quiet_NaN(), rec.inputStart[0] = 1e300;
            rec.cjcExternal[0] = 77, rec.highSpeed = 2, rec.doubler = 9;
            rec.mathOperator[0] = 42, rec.optionValue[0] = -1e9;
        });
        Bench fresh(3);
        typeRtdConfiguration(fresh.editor);
        QCOMPARE(fresh.files.openFrom(path), ConfigFiles::Outcome::Done);
        QCOMPARE(fresh.editor.text(QStringLiteral("cmb_Prog_In"), 0), QStringLiteral("Pt 100"));
        QCOMPARE(fresh.editor.text(QStringLiteral("cmb_Prog_Out"), 1), QStringLiteral("0-10 V"));
        QCOMPARE(fresh.editor.text(QStringLiteral("txt_Input_max"), 0), QStringLiteral("150"));
        QCOMPARE(fresh.editor.text(QStringLiteral("cmb_OverRange"), 1), QStringLiteral("±10%"));
        QCOMPARE(fresh.editor.operatorCode(0), 0);
        // The grey check box comes back grey and is saved as 2 again.
        QCOMPARE(fresh.editor.checkBoxState(QStringLiteral("chk_HS")), 2);
        QCOMPARE(fresh.files.saveTo(b.path("g.VNT")), ConfigFiles::Outcome::Done);
        QCOMPARE(int(b.bytes("g.VNT").at(290)), 2);
    }

    void fahrenheitChannelsShowConvertedValues() {
        Bench b(3);
        typeRtdConfiguration(b.editor);
        QCOMPARE(b.files.saveTo(b.path("f.VNT")), ConfigFiles::Outcome::Done);
        Bench other(3);
        other.editor.setText(QStringLiteral("cmb_Prog_In"), 0, QStringLiteral("Pt 100"));
        other.editor.click(QStringLiteral("opt_gradi_far"), 0);
        QVERIFY(other.editor.showsFahrenheit(0));
        QCOMPARE(other.files.openFrom(b.path("f.VNT")), ConfigFiles::Outcome::Done);
        QCOMPARE(other.editor.text(QStringLiteral("txt_Input_max"), 0), QStringLiteral("302"));
        QCOMPARE(other.editor.text(QStringLiteral("txt_Input_min"), 0), QStringLiteral("-58"));
        QCOMPARE(other.editor.text(QStringLiteral("txt_offset"), 0), QStringLiteral("2.7"));
        // Saved again, the file holds Celsius as before.
        QCOMPARE(other.files.saveTo(b.path("f2.VNT")), ConfigFiles::Outcome::Done);
        QCOMPARE(at(b.bytes("f2.VNT"), 14), 150.0);
        QCOMPARE(at(b.bytes("f2.VNT"), 88), 1.5);
    }

    void dialogs() {
        Bench b(3);
        // Save without a current file and with the dialog cancelled writes nothing.
        QCOMPARE(b.files.SaveConfigFile(false), ConfigFiles::Outcome::Cancelled);
        QCOMPARE(b.files.SaveConfigFile(true), ConfigFiles::Outcome::Cancelled);
        QVERIFY(!b.files.saveEnabled());
        QCOMPARE(b.prompter.fileDialogs.size(), 1);
        QCOMPARE(b.prompter.fileDialogs.first().filter,
                 QStringLiteral("Configuration (*.VNT);;(*.*)"));
        QCOMPARE(b.prompter.fileDialogs.first().defaultSuffix, QStringLiteral("VNT"));

        b.prompter.pushFile(b.path("d.VNT"));
        QCOMPARE(b.files.SaveConfigFile(true), ConfigFiles::Outcome::Done);
        QVERIFY(b.files.saveEnabled());
        QCOMPARE(b.files.SaveConfigFile(false), ConfigFiles::Outcome::Done);
        QCOMPARE(b.bytes("d.VNT").size(), 292);

        b.prompter.pushFile(b.path("d.VNT"));
        QCOMPARE(b.files.OpenConfigFile(), ConfigFiles::Outcome::Done);
        QCOMPARE(b.prompter.fileDialogs.last().filter,
                 QStringLiteral("Configuration (*.VNT);;  (*.*)"));
        QCOMPARE(b.files.OpenConfigFile(), ConfigFiles::Outcome::Cancelled);
        QVERIFY(b.prompter.questions().isEmpty());
        // A save that cannot be written says so.
        QVERIFY(QDir().mkpath(b.path("locked.VNT")));
        QCOMPARE(b.files.saveTo(b.path("locked.VNT")), ConfigFiles::Outcome::Failed);
        QCOMPARE(b.prompter.questions().size(), 1);
        QVERIFY(b.prompter.questions().first().text.contains(QLatin1String("not saved")));
    }
};

QTEST_GUILESS_MAIN(TestConfigFiles)
#include "tst_configfiles.moc"
