// Configuration files: the ".VNT" record at its offsets, opening and saving through the
// editor, files that must change nothing, a save killed midway, and files between devices.
#include "catalogue.h"
#include "configdiff.h"
#include "configeditor.h"
#include "configfilerecord.h"
#include "configfiles.h"
#include "editormodel.h"
#include "limitchecks.h"
#include "record.h"
#include "simbench.h"
#include "testfiles.h"
#include "texts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <cmath>

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
                       : (kind == 'i' ? qFromLittleEndian<qint16>(p) : double(quint8(*p)));
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

// Distinct values in the fields around every boundary, so a field written at the wrong
// offset shows up as a wrong value somewhere.
ConfigFileRecord sample() {
    ConfigFileRecord r;
    r.version = 2.7;
    r.idByte4 = 0x44, r.deviceCode = 12, r.modelByte = 3, r.idByte3 = 0x33;
    r.inputType = {18, 20}, r.inputEnd = {150.0, 185.0}, r.inputStart = {-50.0, -200.0};
    r.outputType = {1, 2}, r.outputEnd = {20.0, 10.0}, r.outputStart = {4.0, 0.0};
    r.cjcInternal = {0, -1}, r.offset = {1.5, -2.5}, r.wires4 = {-1, 0};
    r.functionTank = {0, -1}, r.breakDown = {0, -1}, r.overRange = {2.5, 10.0};
    r.tripHigh = {800.0, 0}, r.tripLow = {780.0, 0}, r.tripMax = {-1, 0}, r.reserved = {7.0, 0};
    r.physicalInputEndA = 1.25, r.physicalOutputStartB = 8.25;
    r.mathOperator = {2, 7}, r.optionValue = {12.0, 200.0}, r.highSpeed = 2, r.doubler = 1;
    return r;
}

QString writeFile(const QTemporaryDir& dir, const QByteArray& content,
                  const QString& name = QStringLiteral("f.VNT")) {
    WriteTestFile(dir.filePath(name), content);
    return dir.filePath(name);
}

ConfigFileRecord record(int which) {
    ConfigFileRecord r;
    r.version = 2.7;
    r.deviceCode = 12;
    r.modelByte = quint8(which);
    r.inputEnd = {100.0 + which, 200.0 + which};
    r.tripHigh = {800.0 * (which + 1), 0};
    return r;
}

int saveLoop(const QString& path) {
    const Texts texts;
    QString error;
    std::printf("ready\n");
    std::fflush(stdout);
    for (quint64 n = 0;; ++n)
        if (!record(int(n % 2)).save(path, texts, &error))
            return 1;
}

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

    // The ".VNT" record: fields at their offsets, little-endian, and files that are not records
    // refused whole.
    void offsets() {
        // Offset, d double / i int16 / b byte, value: every field around a boundary.
        const std::tuple<int, char, double> rows[] = {
            {0, 'd', 2.7},   {8, 'b', 68},    {9, 'b', 12},   {11, 'b', 51},    {13, 'b', 20},
            {14, 'd', 150},  {38, 'd', -200}, {47, 'b', 2},   {64, 'd', 4},     {86, 'i', -1},
            {96, 'd', -2.5}, {108, 'i', -1},  {122, 'i', -1}, {134, 'i', -1},   {144, 'd', 10},
            {168, 'd', 780}, {184, 'i', -1},  {192, 'd', 7},  {208, 'd', 1.25}, {264, 'd', 8.25},
            {273, 'b', 7},   {282, 'd', 200}, {290, 'b', 2},  {291, 'b', 1}};
        const QByteArray b = sample().toBytes();
        QCOMPARE(b.size(), 292);
        for (const auto& [offset, kind, value] : rows)
            QVERIFY2(at(b, offset, kind) == value, qPrintable(QString::number(offset)));
    }

    void roundTripThroughFile() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.VNT"));
        QString error;
        const Texts texts;
        QVERIFY(sample().save(path, texts, &error));
        QVERIFY(sample().save(path, texts, &error)); // saving again replaces, never appends
        QCOMPARE(QFileInfo(path).size(), 292);
        QCOMPARE(*ConfigFileRecord::load(path, texts, &error), sample());
        // Any 292 bytes are a record: NaN, huge doubles and odd flags load field by field.
        const QByteArray hostile(292, '\xff');
        const auto r = ConfigFileRecord::fromBytes(hostile);
        QVERIFY(r && std::isnan(r->version));
        QCOMPARE(r->toBytes(), hostile);
    }

    // The reasons are in the language of the interface.
    void refusesWhatIsNotARecord() {
        const std::tuple<Texts::Language, QByteArray, QString> rows[] = {
            {Texts::English, QByteArray(),
             "f.VNT is not a configuration file: it holds 0 bytes instead of 292."},
            {Texts::English, QByteArray(291, 'x'), "holds 291 bytes"},
            {Texts::English, QByteArray(5000, 'x'), "holds 5000 bytes"},
            {Texts::Italian, QByteArray(291, 'x'),
             QString::fromUtf8("f.VNT non \xc3\xa8 un file di configurazione: contiene 291 byte "
                               "invece di 292.")}};
        for (const auto& [language, content, message] : rows) {
            Texts texts;
            texts.setLanguage(language);
            const bool en = language == Texts::English;
            QTemporaryDir dir;
            QString error;
            QVERIFY(!ConfigFileRecord::load(writeFile(dir, content), texts, &error));
            QVERIFY2(error.contains(message), qPrintable(error));
            QVERIFY(!ConfigFileRecord::load(QStringLiteral("/nonexistent/x.VNT"), texts, &error));
            QVERIFY2(error.startsWith(QString(en ? "Cannot open" : "Impossibile aprire") +
                                      " /nonexistent/x.VNT: "),
                     qPrintable(error));
            // A name that looks like a placeholder is still the name.
            QVERIFY(!ConfigFileRecord::load(writeFile(dir, content, QStringLiteral("50%2%1.VNT")),
                                            texts, &error));
            QVERIFY2(error.startsWith(QStringLiteral("50%2%1.VNT ")), qPrintable(error));
        }
    }

    void failedSaveReports() {
        for (Texts::Language language : {Texts::English, Texts::Italian}) {
            Texts texts;
            texts.setLanguage(language);
            QTemporaryDir dir;
            QString error;
            const QString missing = dir.filePath(QStringLiteral("no/such/folder/c.VNT"));
            QVERIFY(!sample().save(missing, texts, &error));
            QVERIFY2(
                error.startsWith(QString(language == Texts::English ? "Cannot write "
                                                                    : "Impossibile scrivere ") +
                                 missing + u':'),
                qPrintable(error));
            // A directory in the way of the file: the save fails and the directory stays.
            const QString blocked = dir.filePath(QStringLiteral("d.VNT"));
            QVERIFY(QDir().mkpath(blocked));
            QVERIFY(!sample().save(blocked, texts, &error));
            QVERIFY(QFileInfo(blocked).isDir());
        }
    }

    // A program killed while it saves a ".VNT" file leaves the previous file or the new one, whole:
    // never an empty, short or mixed one. A child process (this test started with --save-loop PATH)
    // saves two different records over the same file as fast as it can and is killed outright at
    // random moments.
    void killedWhileSaving() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("kill.VNT"));
        const QByteArray whole[] = {record(0).toBytes(), record(1).toBytes()};
        QString error;
        QVERIFY(record(0).save(path, Texts(), &error));
        QRandomGenerator random(16);
        for (int round = 0; round < 40; ++round) {
            QProcess child;
            child.start(QCoreApplication::applicationFilePath(),
                        {QStringLiteral("--save-loop"), path});
            QVERIFY(child.waitForStarted(5000));
            QVERIFY(child.waitForReadyRead(5000));
            QTest::qSleep(int(random.bounded(1, 25))); // somewhere inside some save
            child.kill();                              // SIGKILL: no chance to tidy up
            QVERIFY(child.waitForFinished(5000));
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadOnly));
            const QByteArray bytes = f.readAll();
            QVERIFY2(bytes == whole[0] || bytes == whole[1],
                     qPrintable(QStringLiteral("round %1: %2 bytes").arg(round).arg(bytes.size())));
        }
        // The file opens as a record afterwards; what a kill leaves besides it is at most the
        // unfinished temporary copy next to it.
        QVERIFY(ConfigFileRecord::load(path, Texts(), &error).has_value());
    }

    // A configuration saved from one simulated device and loaded into another of the same model
    // leaves the second one configured like the first.
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

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc > 2 && QByteArray(argv[1]) == "--save-loop")
        return saveLoop(QString::fromLocal8Bit(argv[2]));
    TestConfigFiles test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_configfiles.moc"
