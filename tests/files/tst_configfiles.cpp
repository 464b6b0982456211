// Configuration files: the ".VNT" record at its offsets, opening and saving through the
// editor, files that must change nothing, a save killed midway, files between devices, types
// a device does not offer, and every factory image saved and opened again.
#include "configdiff.h"
#include "configeditor.h"
#include "configfiles.h"
#include "failingrow.h"
#include "limitchecks.h"
#include "offlineeditor.h"
#include "simbench.h"
#include "testfiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <cmath>
#include <span>

using namespace vantelso;
using namespace Qt::StringLiterals;
using Answer = Prompter::Answer;
using Outcome = ConfigFiles::Outcome;

namespace {

// The texts of the controls "name" or "name:element", joined by '|'.
QString shown(const EditorModel& e, const QString& controls) {
    QStringList out;
    for (const QString& c : controls.split(u' '))
        out << e.text(c.section(u':', 0, 0), c.section(u':', 1).toInt());
    return out.join(u'|');
}

// The editor for one model byte with no device behind it, and its file functions.
struct Bench : OfflineEditor {
    explicit Bench(int modelByte)
        : OfflineEditor(modelByte), identity(m.identity()), files(m, identity, texts, prompter) {
        identity.IdByte3 = 4;
    }
    QString path(const char* name) const { return dir.filePath(QLatin1String(name)); }
    // Saved to `name` and read back; nothing when the save failed.
    QByteArray saved(const char* name) {
        return files.saveTo(path(name)) == Outcome::Done ? ReadTestFile(path(name)) : QByteArray();
    }
    // A changed record saved as a file, and its path.
    QString write(const ConfigFileRecord& rec) const {
        QString error;
        return rec.save(path("p.VNT"), texts, &error) ? path("p.VNT") : QString();
    }
    // Every control's state, to prove that something changed nothing.
    QList<ControlState> snapshot() const {
        QList<ControlState> out;
        for (const QString& n : m.controlNames())
            for (int e = 0; e < m.elementCount(n); ++e)
                out << m.control(n, e);
        return out;
    }

    QTemporaryDir dir;
    DeviceIdentity identity;
    ScriptedPrompter prompter;
    ConfigFiles files;
};

// The value at an offset of a file: 'd' a double, 'i' an int16, 'b' a byte.
double at(const QByteArray& f, int offset, char kind = 'd') {
    const char* p = f.constData() + offset;
    return kind == 'd' ? qFromLittleEndian<double>(p)
                       : (kind == 'i' ? qFromLittleEndian<qint16>(p) : double(quint8(*p)));
}

// The offsets of a whole file whose value is not the one listed: offset, kind, value.
using At = std::tuple<int, char, double>;
QList<int> wrongAt(const QByteArray& f, std::span<const At> want) {
    QList<int> out;
    for (const auto& [offset, kind, value] : want)
        if (f.size() != 292 || at(f, offset, kind) != value)
            out << offset;
    return out;
}

// A two-channel RTD configuration typed into the editor.
void typeRtdConfiguration(Bench& b) {
    b.type(u"cmb_Prog_In=Pt 100|txt_Input_min=-50|txt_Input_max=150|cmb_Prog_Out=4-20 mA|"
           u"cmb_Prog_In:1=Ni 100|txt_Input_min:1=0|txt_Input_max:1=100|cmb_Prog_Out:1=0-10 V|"
           u"txt_offset=1.5|txt_offset:1=-2.5|cmb_OverRange:1=±10%"_s);
    b.m.choose(u"opt_Fili"_s, 0, 2);
    b.m.choose(u"opt_Fili"_s, 1, 1);
}

// The RTD configuration saved from `source`, as a record to change field by field.
ConfigFileRecord rtdRecord(Bench& source, const char* outputEndB = nullptr) {
    typeRtdConfiguration(source);
    if (outputEndB)
        source.m.setText(u"txt_Output_max"_s, 1, QLatin1String(outputEndB));
    return *ConfigFileRecord::fromBytes(source.saved("p.VNT"));
}

// Distinct values in the fields around every boundary, so a field written at the wrong
// offset shows up as a wrong value somewhere. `which` gives two records that differ, for saves
// to alternate between.
ConfigFileRecord sample(int which = 0) {
    ConfigFileRecord r;
    r.version = 2.7;
    r.idByte4 = 0x44, r.deviceCode = 12, r.modelByte = 3, r.idByte3 = 0x33;
    r.inputType = {18, 20}, r.inputEnd = {150.0 + which, 185.0}, r.inputStart = {-50.0, -200.0};
    r.outputType = {1, 2}, r.outputEnd = {20.0, 10.0}, r.outputStart = {4.0, 0.0};
    r.cjcInternal = {0, -1}, r.offset = {1.5, -2.5}, r.wires4 = {-1, 0};
    r.functionTank = {0, -1}, r.breakDown = {0, -1}, r.overRange = {2.5, 10.0};
    r.tripHigh = {800.0, 0}, r.tripLow = {780.0, 0}, r.tripMax = {-1, 0}, r.reserved = {7.0, 0};
    r.physicalInputEndA = 1.25, r.physicalOutputStartB = 8.25;
    r.mathOperator = {2, 7}, r.optionValue = {12.0, 200.0}, r.highSpeed = 2, r.doubler = 1;
    return r;
}

int saveLoop(const QString& path) {
    const Texts texts;
    QString error;
    std::printf("ready\n");
    std::fflush(stdout);
    for (quint64 n = 0;; ++n)
        if (!sample(int(n % 2)).save(path, texts, &error))
            return 1;
}

// One device on its own link, with the editor and the file functions the program has.
struct Station : SimBench {
    explicit Station(int model)
        : SimBench(std::uint8_t(model)), editor(catalogue, texts),
          config(editor, link, catalogue, texts), files(editor, link.identity, texts, prompter) {
        texts.setLanguage(Texts::English);
    }
    QString path(const char* name) const { return dir.filePath(QLatin1String(name)); }
    QByteArray main() const { return device.bank(0).left(MainBlockSize); }
    // The device's record after a write of the editor's record: through the device (nothing
    // when the write asked anything or failed), or as the write's bytes would leave it.
    QByteArray written(bool throughDevice) {
        if (throughDevice)
            return config.WriteEprom() == EditorOutcome::Done && prompter.texts().isEmpty()
                       ? main()
                       : QByteArray();
        QByteArray m = main();
        ApplyWrites(EncodeRecord(editor.toRecord(), device.identity(), catalogue, m), &m, nullptr);
        return m;
    }
    QTemporaryDir dir;
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
        typeRtdConfiguration(b);
        const QByteArray f = b.saved("rtd.VNT");
        // Channel A 3 wires at 112, channel B 4 wires at 110.
        const At want[] = {{0, 'd', 2.7},  {10, 'b', 3},  {12, 'b', 18},   {13, 'b', 19},
                           {30, 'd', -50}, {47, 'b', 2},  {96, 'd', -2.5}, {112, 'i', -1},
                           {110, 'i', -1}, {144, 'd', 10}};
        QCOMPARE(wrongAt(f, want), QList<int>());
        QVERIFY(b.files.saveEnabled());
        // Opened into another editor and saved again: the same bytes.
        Bench other(3);
        QCOMPARE(other.files.openFrom(b.path("rtd.VNT")), Outcome::Done);
        QVERIFY(other.prompter.questions().isEmpty());
        QCOMPARE(other.shows(u"txt_offset:1 cmb_Prog_In:1"_s), u"-2.5|Ni 100"_s);
        QCOMPARE(other.saved("b.VNT"), f);
        // Opened into an editor showing °F: the values converted; saved again, Celsius as before.
        Bench far(3);
        far.set("cmb_Prog_In", 0, "Pt 100");
        far.m.click(u"opt_gradi_far"_s, 0);
        QVERIFY(far.m.showsFahrenheit(0));
        QCOMPARE(far.files.openFrom(b.path("rtd.VNT")), Outcome::Done);
        QCOMPARE(far.shows(u"txt_Input_max txt_Input_min txt_offset"_s), u"302|-58|2.7"_s);
        QCOMPARE(far.saved("f2.VNT"), f);
    }

    void tripsOnlyInSlotA() {
        Bench b(7);
        b.type(u"txt_soglia_H=900|txt_soglia_L=100|txt_soglia_H:1=900|txt_soglia_L:1=100"_s);
        b.m.choose(u"optTrip"_s, 0, 1);
        const At want[] = {{152, 'd', 900}, {168, 'd', 100}, {188, 'i', -1}, {160, 'd', 0},
                           {176, 'd', 0},   {200, 'd', 0},   {186, 'i', 0},  {190, 'i', 0}};
        QCOMPARE(wrongAt(b.saved("t.VNT"), want), QList<int>());
    }

    void checksOnOpen() {
        const QString v = u"Attention: the file has been saved with a different version of the "
                          u"software"_s;
        const QString d = u"File not compatible with the device connected"_s;
        const auto ok = Answer::Ok, cancel = Answer::Cancel;
        // The file's model, version and IdByte3, the answers, the questions, loaded or not.
        const std::tuple<int, double, int, QList<Answer>, QStringList, bool> rows[] = {
            {3, 2.7, 9, {}, {}, true}, // other IdByte3, no question
            {3, 2.5, 4, {ok}, {v}, true},
            {3, 2.5, 4, {cancel}, {v}, false},
            {2, 2.7, 4, {cancel}, {d}, false},
            {2, 2.5, 4, {ok, cancel}, {v, d}, false}};
        Bench source(3);
        const ConfigFileRecord rtd = rtdRecord(source);
        for (const auto& [model, version, idByte3, answers, asked, loaded] : rows) {
            const FailingRow row(
                u"model %1, version %2, IdByte3 %3, %4"_s.arg(model).arg(version).arg(idByte3).arg(
                    loaded ? "loaded" : "not loaded"));
            ConfigFileRecord rec = rtd;
            rec.modelByte = std::uint8_t(model);
            rec.version = version;
            rec.idByte3 = std::uint8_t(idByte3);
            const QString path = source.write(rec);
            Bench b(3);
            for (Answer a : answers)
                b.prompter.push(a);
            const auto before = b.snapshot();
            QCOMPARE(b.files.openFrom(path), loaded ? Outcome::Done : Outcome::Cancelled);
            QCOMPARE(b.prompter.texts(), asked);
            if (loaded)
                QCOMPARE(b.m.text(u"cmb_Prog_In"_s, 0), u"Pt 100"_s);
            else
                QVERIFY(b.snapshot() == before);
        }
    }

    // What a file may set of channel B and of the doubler: on a single-channel model only the
    // doubler's output, on a lettered model no doubler at all (its bit is the model letter).
    void channelBAndDoublerOnOpen() {
        Bench source(3);
        const ConfigFileRecord rtd = rtdRecord(source, "9");
        // Model, doubler, channel B's input list, input end, output list, output end.
        for (const auto& [model, doubler, channelB] : {std::tuple{0, 0, "|||"},
                                                       {0, 1, "DOUBLER||0-10 V|9"},
                                                       {8, 1, "DOUBLER||4-20 mA|9"},
                                                       {3, 1, "Ni 100|100|0-10 V|9"}}) {
            const FailingRow row(u"model %1, doubler %2"_s.arg(model).arg(doubler));
            ConfigFileRecord rec = rtd;
            rec.modelByte = std::uint8_t(model);
            rec.doubler = std::uint8_t(doubler);
            if (model == 8)
                rec.outputType = {1, 1}; // the only output this model offers
            const QString path = source.write(rec);
            Bench b(model);
            QCOMPARE(b.files.openFrom(path), Outcome::Done);
            QCOMPARE(b.shows(u"cmb_Prog_In:1 txt_Input_max:1 cmb_Prog_Out:1 txt_Output_max:1"_s),
                     QLatin1String(channelB));
            QCOMPARE(b.m.checked(u"chk_Doubler"_s), doubler && model != 3);
            // Saved again: channel B's input code is 0 under the doubler, and the lettered
            // model's doubler byte is 0.
            const QByteArray f = b.saved("c.VNT");
            QCOMPARE(std::pair(int(f.at(13)), int(f.at(291))),
                     std::pair(model == 3 ? 19 : 0, model == 3 ? 0 : doubler));
        }
    }

    void badFilesChangeNothing() {
        // Empty, truncated, oversized.
        for (const QByteArray& content :
             {QByteArray(), QByteArray(200, '\0'), QByteArray(300, '\0')}) {
            const FailingRow row(u"%1 bytes"_s.arg(content.size()));
            Bench b(3);
            typeRtdConfiguration(b);
            const auto before = b.snapshot();
            QVERIFY(WriteTestFile(b.path("bad.VNT"), content));
            QCOMPARE(b.files.openFrom(b.path("bad.VNT")), Outcome::Failed);
            QVERIFY(b.snapshot() == before);
            QCOMPARE(b.prompter.questions().size(), 1);
            QCOMPARE(b.prompter.questions().first().icon, Prompter::Icon::Critical);
        }
    }

    void hostileValuesLoadFieldByField() {
        Bench b(3);
        // Codes with no row, a NaN, an absurd double, an over-range with no step, an odd flag,
        // a grey check box and states or operators that do not exist.
        ConfigFileRecord rec = rtdRecord(b);
        rec.inputType[0] = 200, rec.outputType[1] = 9, rec.overRange[1] = 3.3;
        rec.inputEnd[0] = std::numeric_limits<double>::quiet_NaN(), rec.inputStart[0] = 1e300;
        rec.cjcExternal[0] = 77, rec.highSpeed = 2, rec.doubler = 9;
        rec.mathOperator[0] = 42, rec.optionValue[0] = -1e9;
        const QString path = b.write(rec);
        Bench fresh(3);
        typeRtdConfiguration(fresh);
        QCOMPARE(fresh.files.openFrom(path), Outcome::Done);
        QCOMPARE(fresh.shows(u"cmb_Prog_In cmb_Prog_Out:1 txt_Input_max cmb_OverRange:1"_s),
                 u"Pt 100|0-10 V|150|±10%"_s);
        QCOMPARE(fresh.m.operatorCode(0), 0);
        // The grey check box comes back grey and is saved as 2 again.
        QCOMPARE(fresh.m.checkBoxState(u"chk_HS"_s), 2);
        QCOMPARE(int(fresh.saved("g.VNT").at(290)), 2);
    }

    void dialogs() {
        Bench b(3);
        // Save As with the dialog cancelled writes nothing.
        QCOMPARE(b.files.SaveConfigFile(true), Outcome::Cancelled);
        QVERIFY(!b.files.saveEnabled());
        QCOMPARE(b.prompter.fileDialogs.size(), 1);
        QCOMPARE(b.prompter.fileDialogs.first().filter, u"Configuration (*.VNT);;(*.*)"_s);
        QCOMPARE(b.prompter.fileDialogs.first().defaultSuffix, u"VNT"_s);

        b.prompter.pushFile(b.path("d.VNT"));
        QCOMPARE(b.files.SaveConfigFile(true), Outcome::Done);
        QVERIFY(b.files.saveEnabled());
        QCOMPARE(b.files.SaveConfigFile(false), Outcome::Done);
        QCOMPARE(ReadTestFile(b.path("d.VNT")).size(), 292);

        b.prompter.pushFile(b.path("d.VNT"));
        QCOMPARE(b.files.OpenConfigFile(), Outcome::Done);
        QCOMPARE(b.prompter.fileDialogs.last().filter, u"Configuration (*.VNT);;  (*.*)"_s);
        QCOMPARE(b.files.OpenConfigFile(), Outcome::Cancelled);
        QVERIFY(b.prompter.questions().isEmpty());
        // A save that cannot be written says so.
        QVERIFY(QDir().mkpath(b.path("locked.VNT")));
        QCOMPARE(b.files.saveTo(b.path("locked.VNT")), Outcome::Failed);
        QCOMPARE(b.prompter.questions().size(), 1);
        QVERIFY(b.prompter.questions().first().text.contains(QLatin1String("not saved")));
    }

    // The ".VNT" record: fields at their offsets, little-endian, every field around a boundary;
    // the same record back from a file.
    void offsetsAndRoundTrip() {
        const At want[] = {{0, 'd', 2.7},  {8, 'b', 68},    {9, 'b', 12},     {11, 'b', 51},
                           {13, 'b', 20},  {14, 'd', 150},  {38, 'd', -200},  {47, 'b', 2},
                           {64, 'd', 4},   {86, 'i', -1},   {96, 'd', -2.5},  {108, 'i', -1},
                           {122, 'i', -1}, {134, 'i', -1},  {144, 'd', 10},   {168, 'd', 780},
                           {184, 'i', -1}, {192, 'd', 7},   {208, 'd', 1.25}, {264, 'd', 8.25},
                           {273, 'b', 7},  {282, 'd', 200}, {290, 'b', 2},    {291, 'b', 1}};
        QCOMPARE(wrongAt(sample().toBytes(), want), QList<int>());
        // Through a file and back.
        Bench b(3);
        const QString path = b.path("a.VNT");
        QString error;
        QVERIFY(sample().save(path, b.texts, &error));
        QVERIFY(sample().save(path, b.texts, &error)); // saving again replaces, never appends
        QCOMPARE(QFileInfo(path).size(), 292);
        QCOMPARE(*ConfigFileRecord::load(path, b.texts, &error), sample());
        // Any 292 bytes are a record: NaN, huge doubles and odd flags load field by field.
        const QByteArray hostile(292, '\xff');
        const auto r = ConfigFileRecord::fromBytes(hostile);
        QVERIFY(r && std::isnan(r->version));
        QCOMPARE(r->toBytes(), hostile);
    }

    // Files that are no record, cannot be opened or cannot be written: the reasons are in the
    // language of the interface.
    void refusalsSayWhy() {
        const std::tuple<Texts::Language, QByteArray, QString> rows[] = {
            {Texts::English, QByteArray(),
             "f.VNT is not a configuration file: it holds 0 bytes instead of 292."},
            {Texts::English, QByteArray(291, 'x'), "holds 291 bytes"},
            {Texts::English, QByteArray(5000, 'x'), "holds 5000 bytes"},
            {Texts::Italian, QByteArray(291, 'x'),
             u"f.VNT non è un file di configurazione: contiene 291 byte invece di 292."_s}};
        for (const auto& [language, content, message] : rows) {
            const bool en = language == Texts::English;
            const FailingRow row(
                u"%1, %2 bytes"_s.arg(en ? "English" : "Italian").arg(content.size()));
            Bench b(3);
            b.texts.setLanguage(language);
            QString error;
            // A name that looks like a placeholder is still the name.
            for (const QString& name : {u"f.VNT"_s, u"50%2%1.VNT"_s}) {
                const FailingRow file(name);
                QVERIFY(WriteTestFile(b.dir.filePath(name), content));
                QVERIFY(!ConfigFileRecord::load(b.dir.filePath(name), b.texts, &error));
                QVERIFY2(error.startsWith(name + u' ') &&
                             error.contains(QString(message).replace(u"f.VNT"_s, name)),
                         qPrintable(error));
            }
            QVERIFY(!ConfigFileRecord::load(u"/nonexistent/x.VNT"_s, b.texts, &error));
            QVERIFY2(error.startsWith(en ? "Cannot open /nonexistent/x.VNT: "
                                         : "Impossibile aprire /nonexistent/x.VNT: "),
                     qPrintable(error));
            const QString missing = b.dir.filePath(u"no/such/folder/c.VNT"_s);
            QVERIFY(!sample().save(missing, b.texts, &error));
            QVERIFY2(
                error.startsWith((en ? "Cannot write " : "Impossibile scrivere ") + missing + u':'),
                qPrintable(error));
            // A directory in the way of the file: the save fails and the directory stays.
            const QString blocked = b.dir.filePath(u"d.VNT"_s);
            QVERIFY(QDir().mkpath(blocked));
            QVERIFY(!sample().save(blocked, b.texts, &error));
            QVERIFY(QFileInfo(blocked).isDir());
        }
    }

    // A program killed while it saves a ".VNT" file leaves the previous file or the new one, whole:
    // never an empty, short or mixed one. A child process (this test started with --save-loop PATH)
    // saves two different records over the same file as fast as it can and is killed outright at
    // random moments.
    void killedWhileSaving() {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"kill.VNT"_s);
        const QByteArray whole[] = {sample(0).toBytes(), sample(1).toBytes()};
        QString error;
        QVERIFY(sample().save(path, Texts(), &error));
        QRandomGenerator random(16);
        for (int round = 0; round < 40; ++round) {
            QProcess child;
            child.start(QCoreApplication::applicationFilePath(), {u"--save-loop"_s, path});
            QVERIFY(child.waitForStarted(5000) && child.waitForReadyRead(5000));
            QTest::qSleep(int(random.bounded(1, 25))); // somewhere inside some save
            child.kill();                              // SIGKILL: no chance to tidy up
            QVERIFY(child.waitForFinished(5000));
            const QByteArray bytes = ReadTestFile(path);
            QVERIFY2(bytes == whole[0] || bytes == whole[1],
                     qPrintable(u"round %1: %2 bytes"_s.arg(round).arg(bytes.size())));
        }
        // The file opens as a record afterwards; what a kill leaves besides it is at most the
        // unfinished temporary copy next to it.
        QVERIFY(ConfigFileRecord::load(path, Texts(), &error).has_value());
    }

    // A configuration saved from one simulated device and loaded into another of the same model
    // leaves the second one configured like the first. A file of another model holds nothing
    // for what its model lacks: opened anyway (OK on "not compatible") and written, channel B
    // keeps the device's input, output and ranges.
    void fileIntoAnotherDevice() {
        const QString channelB = u"cmb_Prog_In:1 cmb_Prog_Out:1 txt_Input_max:1 txt_Input_min:1 "
                                 u"txt_Output_max:1 txt_Output_min:1"_s;
        // RSX7131 into another; RSX7030 file into a two-channel RSX7131, RSX7035 into
        // RSX7032D, RSX5035 into math.
        for (const auto& [fileModel, deviceModel] : {std::pair{3, 3}, {0, 3}, {8, 4}, {9, 5}}) {
            const FailingRow row(
                u"file of model %1 into model %2"_s.arg(fileModel).arg(deviceModel));
            const bool same = fileModel == deviceModel;
            Station a{fileModel};
            const QString path = a.path("a.VNT");
            QCOMPARE(a.config.ReadEprom(), EditorOutcome::Done);
            if (same) {
                a.editor.setText(u"cmb_Prog_In"_s, 0, u"Pt 1K"_s);
                a.editor.setText(u"txt_Input_min"_s, 0, u"-20"_s);
                a.editor.setText(u"txt_Input_max"_s, 0, u"120"_s);
                a.editor.setText(u"txt_offset"_s, 1, u"-1.2"_s);
                a.editor.choose(u"opt_Break"_s, 1, 1);
                a.prompter.setFallback(Answer::Ok);
                QCOMPARE(a.config.WriteEprom(), EditorOutcome::Done);
            }
            QCOMPARE(a.files.saveTo(path), Outcome::Done);
            Station b{deviceModel};
            QCOMPARE(b.config.ReadEprom(), EditorOutcome::Done);
            QVERIFY(b.main() != a.main());
            const QString before = shown(b.editor, channelB);
            b.prompter.setFallback(Answer::Ok);
            QCOMPARE(b.files.openFrom(path), Outcome::Done);
            QCOMPARE(b.prompter.texts().isEmpty(), same);
            if (!same)
                QCOMPARE(shown(b.editor, channelB), before);
            QCOMPARE(b.config.WriteEprom(), EditorOutcome::Done);
            if (same) {
                // The record the file carries is now the second device's record too.
                QCOMPARE(b.main(), a.main());
                QCOMPARE(b.files.saveTo(b.path("b.VNT")), Outcome::Done);
                QCOMPARE(ReadTestFile(b.path("b.VNT")), ReadTestFile(path));
            } else {
                QCOMPARE(b.config.ReadEprom(), EditorOutcome::Done);
                QCOMPARE(shown(b.editor, channelB), before);
            }
        }
    }
    // A type the connected model does not offer, met in a file and in the editor's list:
    // open keeps the list and says which field (in the user's language), and the limit checks
    // report it before a write.
    void typeNotOffered() {
        // The model, whether it is the output, the type's code and how a message names it.
        const std::tuple<int, bool, int, const char*> rows[] = {{8, true, 2, "\"0-10 V\""},
                                                                {9, false, 33, "\"Freq\""},
                                                                {9, false, 5, "\"20 mA\""},
                                                                {2, false, 18, "\"Pt 100\""},
                                                                {8, false, 6, "code 6"}};
        for (const auto& [model, output, code, named] : rows) {
            const FailingRow row(
                u"model %1, %2 code %3"_s.arg(model).arg(output ? "output" : "input").arg(code));
            const QString list = output ? u"cmb_Prog_Out"_s : u"cmb_Prog_In"_s;
            Station s{model};
            QCOMPARE(s.config.ReadEprom(), EditorOutcome::Done);
            const QString listed = s.editor.text(list, 0);
            const QByteArray before = s.main();

            const QString path = s.path("x.VNT");
            QCOMPARE(s.files.saveTo(path), Outcome::Done);
            QString error;
            auto rec = *ConfigFileRecord::load(path, s.texts, &error);
            (output ? rec.outputType : rec.inputType)[0] = std::uint8_t(code);
            QVERIFY(rec.save(path, s.texts, &error));
            // Per language: the field named, and the word for "code".
            const char* const said[2][3] = {
                {"Channel A input type", "Channel A output type", "code "},
                {"Canale A, tipo di ingresso", "Canale A, tipo di uscita", "codice "}};
            for (int it = 0; it < 2; ++it) {
                const FailingRow language(it ? "Italian" : "English");
                s.texts.setLanguage(it ? Texts::Italian : Texts::English);
                s.prompter.clear();
                QCOMPARE(s.files.openFrom(path), Outcome::Done);
                QCOMPARE(s.editor.text(list, 0), listed);
                QCOMPARE(s.prompter.questions().size(), 1);
                const QString text = s.prompter.questions().first().text;
                QVERIFY2(text.contains(QString(named).replace(u"code "_s, said[it][2])) &&
                             text.contains(QLatin1String(said[it][output])),
                         qPrintable(text));
            }
            // Written with nothing asked, the device keeps its type (one case goes through the
            // device; the others stop at the bytes the write would send).
            s.prompter.clear();
            QVERIFY(LimitChecks(s.editor, s.texts).findings().isEmpty());
            QCOMPARE(s.written(model == 8 && output), before);

            // Typed into the list anyway, the write's checks report it.
            s.texts.setLanguage(Texts::English);
            const QString name =
                output ? s.catalogue.Output(code).name : s.catalogue.Input(code).name;
            if (name.isEmpty())
                continue;
            s.editor.setText(list, 0, name);
            const QString messages = findings(s).join(u'\n');
            QVERIFY2(
                messages.contains(u"Channel A: %1 value (TYPE)"_s.arg(output ? "output" : "input")),
                qPrintable(messages));
            if (code > 31) { // answered OK, still refused: five bits cannot hold it
                s.prompter.setFallback(Answer::Ok);
                QCOMPARE(s.config.WriteEprom(), EditorOutcome::DataError);
                QCOMPARE(s.main(), before);
            }
        }
    }
    // Every simulated model as it leaves the factory passes every check of a write, and its
    // own saved file opens into it again without a question and changes no byte.
    void defaultImagesPassEveryCheck() {
        for (int model = 0; model <= 9; ++model) {
            const FailingRow row(u"model %1"_s.arg(model));
            Station s{model};
            QCOMPARE(s.config.ReadEprom(), EditorOutcome::Done);
            QCOMPARE(findings(s), QStringList());
            QCOMPARE(s.files.saveTo(s.path("own.VNT")), Outcome::Done);
            QCOMPARE(s.files.openFrom(s.path("own.VNT")), Outcome::Done);
            QCOMPARE(s.prompter.texts(), QStringList());
            QCOMPARE(findings(s), QStringList());
            const QByteArray before = s.main();
            // Model 7, whose trips once failed, is written through the device.
            QCOMPARE(s.written(model == 7), before);
        }
    }

    // A failed device read gives no record to compare with a file, and says why.
    void unreadableDevice() {
        SimBench b(0);
        b.transport.close();
        EditorOutcome outcome = EditorOutcome::Done;
        QVERIFY(!ReadDeviceAsFile(b.link, b.prompter, &outcome) && outcome != EditorOutcome::Done);
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
