#include "configfiles.h"

#include "editormodel.h"
#include "numberformat.h"
#include "owntexts.h"
#include "prompter.h"
#include "texts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cmath>

namespace vantelso {

namespace {

const QString kInMax = QStringLiteral("txt_Input_max");
const QString kInMin = QStringLiteral("txt_Input_min");
const QString kOutMax = QStringLiteral("txt_Output_max");
const QString kOutMin = QStringLiteral("txt_Output_min");
const QString kOffset = QStringLiteral("txt_offset");
const QString kHigh = QStringLiteral("txt_soglia_H");
const QString kLow = QStringLiteral("txt_soglia_L");
const QString kPhysMax = QStringLiteral("txt_Fisico_max");
const QString kPhysMin = QStringLiteral("txt_Fisico_min");
const QString kPhysOutMax = QStringLiteral("txt_FisicoOut_max");
const QString kPhysOutMin = QStringLiteral("txt_FisicoOut_min");
const QString kOperDelay = QStringLiteral("txt_Opzione");

// The dialogs' filters and default extension; the open dialog starts in the program's own
// folder, the save dialog in the current one.
// The first entry names what the files are, in the user's language; the second takes any.
QString openFilter(const Texts& texts) {
    return texts.lang(own::ConfigFilter) + QStringLiteral(";;  (*.*)");
}
QString saveFilter(const Texts& texts) {
    return texts.lang(own::ConfigFilter) + QStringLiteral(";;(*.*)");
}
const QString kSuffix = QStringLiteral("VNT");

// Numbers go back into the fields in general format: up to 15 significant digits, integers
// without a decimal point.
QString general(double v) {
    return QString::number(v, 'g', 15);
}

double toFahrenheit(double c) {
    return c * 9.0 / 5.0 + 32.0;
}

// A file's type code the connected model does not offer (or no row names): what the user
// is told about the list that kept its entry.
QString keptType(const Texts& texts, int channel, bool output, int code, const QString& name) {
    const QString type = name.isEmpty() ? texts.lang(own::TypeCode).arg(code)
                                        : texts.lang(own::TypeNamed).arg(name).arg(code);
    return texts.lang(output ? own::KeptOutputType : own::KeptInputType)
        .arg(channel == 0 ? QStringLiteral("A") : QStringLiteral("B"), type);
}

} // namespace

ConfigFiles::ConfigFiles(EditorModel& editor, const DeviceIdentity& current, const Texts& texts,
                         Prompter& prompter, QObject* parent)
    : QObject(parent), m_editor(editor), m_current(current), m_texts(texts), m_prompter(prompter) {}

double ConfigFiles::programVersion() const {
    return Val(m_texts.lang(27));
}

void ConfigFiles::setSaveEnabled() {
    if (m_saveEnabled)
        return;
    m_saveEnabled = true;
    Q_EMIT saveEnabledChanged(true);
}

void ConfigFiles::announce(const QString& path) {
    Q_EMIT captionChanged(m_texts.productTitle() + QStringLiteral(" - ") +
                          QFileInfo(path).absoluteFilePath());
}

// ---------------------------------------------------------------- save

QByteArray ConfigFiles::snapshot() const {
    ConfigFileRecord r;
    fillRecord(r);
    r.version = 0;
    r.idByte4 = r.deviceCode = r.modelByte = r.idByte3 = 0;
    return r.toBytes();
}

void ConfigFiles::fillRecord(ConfigFileRecord& r) const {
    // The record the fields describe, in Celsius whatever the channels show: temperatures
    // travel in files as they do to the device.
    const ConfigRecord rec = m_editor.toRecord();
    r.version = programVersion();
    r.idByte4 = m_current.IdByte4;
    r.deviceCode = m_current.DeviceCode;
    r.modelByte = m_current.ModelByte;
    r.idByte3 = m_current.IdByte3;
    const Catalogue& cat = m_editor.catalogue();
    const DeviceIdentity& shown = m_editor.identity();
    for (int c = 0; c < ChannelCount; ++c) {
        const auto i = std::size_t(c);
        const ChannelSettings& ch = rec.channels[i];
        // A single-channel model's channel B slots hold only what the doubler uses of it,
        // and zeros for the rest.
        const bool used = c == 0 || m_editor.usesChannelB();
        const bool ownInput = c == 0 || !m_editor.isSingleChannel();
        const auto choice = [&](const char* group, bool on) {
            return on ? m_editor.choice(QLatin1String(group), c) : -1;
        };
        // Codes by list text: a text with no row (the doubler's entry) is stored as 0.
        const QString inputText = m_editor.text(QStringLiteral("cmb_Prog_In"), c);
        r.inputType[i] =
            std::uint8_t(!used                     ? 0
                         : IsFrequencyModel(shown) ? input_code::Freq
                                                   : cat.FindInputType(inputText).value_or(0));
        r.inputEnd[i] = ownInput ? ch.inputEnd : 0;
        r.inputStart[i] = ownInput ? ch.inputStart : 0;
        r.outputType[i] = std::uint8_t(
            used ? cat.FindOutputType(m_editor.text(QStringLiteral("cmb_Prog_Out"), c)).value_or(0)
                 : 0);
        r.outputEnd[i] = used ? ch.outputEnd : 0;
        r.outputStart[i] = used ? ch.outputStart : 0;
        const int cjc = choice("opt_CJC", ownInput);
        r.cjcExternal[i] = FileFlag(cjc == 0);
        r.cjcInternal[i] = FileFlag(cjc == 1);
        r.offset[i] = ownInput ? rec.offset[i] : 0;
        const int wires = WireCount(choice("opt_Fili", ownInput));
        r.wires2[i] = FileFlag(wires == 2);
        r.wires4[i] = FileFlag(wires == 4);
        r.wires3[i] = FileFlag(wires == 3);
        const int funz = choice("opt_funz", used);
        r.functionLinear[i] = FileFlag(funz == 0);
        r.functionTank[i] = FileFlag(funz == 1);
        r.functionSqrt[i] = FileFlag(funz == 2);
        const int brk = choice("opt_Break", used);
        r.breakUp[i] = FileFlag(brk == 0);
        r.breakDown[i] = FileFlag(brk == 1);
        r.overRange[i] =
            cat.FindOverRange(m_editor.text(QStringLiteral("cmb_OverRange"), c)).value_or(0.0);
        r.mathOperator[i] = std::uint8_t(m_editor.operatorCode(c));
        r.optionValue[i] = ch.operatorDelay;
    }
    r.highSpeed = std::uint8_t(m_editor.checkBoxState(QStringLiteral("chk_HS")));
    r.doubler = std::uint8_t(m_editor.checkBoxState(QStringLiteral("chk_Doubler")));
    // Only the first trip travels in files; slot B is always written as 0.
    r.tripHigh = {rec.trips[0].high, 0};
    r.tripLow = {rec.trips[0].low, 0};
    const int trip = m_editor.choice(QStringLiteral("optTrip"), 0);
    r.tripMax = {FileFlag(trip == 0), 0};
    r.tripMin = {FileFlag(trip == 1), 0};
    r.reserved[1] = 0;
    r.physicalInputEndA = rec.channels[0].physicalInputEnd;
    r.physicalInputStartA = rec.channels[0].physicalInputStart;
    r.physicalInputEndB = rec.channels[1].physicalInputEnd;
    r.physicalInputStartB = rec.channels[1].physicalInputStart;
    r.physicalOutputEndA = rec.channels[0].physicalOutputEnd;
    r.physicalOutputStartA = rec.channels[0].physicalOutputStart;
    r.physicalOutputEndB = rec.channels[1].physicalOutputEnd;
    r.physicalOutputStartB = rec.channels[1].physicalOutputStart;
}

ConfigFiles::Outcome ConfigFiles::write(const QString& path) {
    setSaveEnabled();
    ConfigFileRecord next = m_record;
    fillRecord(next);
    QString error;
    if (!next.save(path, m_texts, &error)) {
        // The previous file, if any, is untouched: say so rather than leave the user
        // believing the configuration is on disk.
        m_prompter.ask(error + u'\n' + m_texts.lang(own::ConfigNotSaved), Prompter::Buttons::Ok,
                       Prompter::Icon::Critical);
        return Outcome::Failed;
    }
    m_record = next;
    announce(path);
    Q_EMIT saved(path);
    return Outcome::Done;
}

void ConfigFiles::forgetFile() {
    if (m_fileName.isEmpty())
        return;
    m_fileName.clear();
    m_fileForgotten = true;
}

ConfigFiles::Outcome ConfigFiles::SaveConfigFile(bool saveAs) {
    if (saveAs || (m_fileName.isEmpty() && m_fileForgotten)) {
        Prompter::FileDialog d;
        d.filter = saveFilter(m_texts);
        d.defaultSuffix = kSuffix;
        // No folder: the dialog starts where the last one ended, else in the documents.
        const auto chosen = m_prompter.saveFile(d);
        if (chosen && !chosen->isEmpty()) {
            m_fileName = *chosen;
            m_fileForgotten = false;
            setSaveEnabled();
        } else {
            return Outcome::Cancelled;
        }
    }
    if (m_fileName.isEmpty())
        return Outcome::Cancelled;
    return write(m_fileName);
}

ConfigFiles::Outcome ConfigFiles::saveTo(const QString& path) {
    m_fileName = path;
    m_fileForgotten = false;
    return write(path);
}

// ---------------------------------------------------------------- open

void ConfigFiles::applyRecord(const ConfigFileRecord& r) {
    const Catalogue& cat = m_editor.catalogue();
    // A stored value that is no number leaves its field as it is.
    auto setNumber = [&](const QString& name, int element, double v) {
        if (std::isfinite(v))
            m_editor.setText(name, element, general(v));
    };
    // Temperatures are stored in Celsius; a channel showing Fahrenheit gets them converted.
    auto setTemperature = [&](const QString& name, int c, double v, bool span) {
        if (m_editor.showsFahrenheit(c))
            v = span ? v * 9.0 / 5.0 : toFahrenheit(v);
        setNumber(name, c, v);
    };
    auto chooseFlags = [&](const QString& group, int c, std::initializer_list<std::int16_t> f) {
        int k = 0;
        for (std::int16_t flag : f) {
            if (FileFlagSet(flag))
                m_editor.choose(group, c, k);
            ++k;
        }
    };
    // A type code the connected model does not offer is handled like one no row names: the
    // list keeps its entry, and with it the range that belongs to it; the user learns which.
    const DeviceIdentity& model = m_editor.identity();
    QStringList kept;
    const auto applyType = [&](int c, bool output) {
        const int code = output ? r.outputType[std::size_t(c)] : r.inputType[std::size_t(c)];
        const bool offered = output ? cat.OffersOutput(code, model) : cat.OffersInput(code, model);
        const QString name = output ? cat.Output(code).name : cat.Input(code).name;
        if (!offered) {
            kept << keptType(m_texts, c, output, code, name);
            return false;
        }
        m_editor.setText(output ? QStringLiteral("cmb_Prog_Out") : QStringLiteral("cmb_Prog_In"), c,
                         name);
        return true;
    };
    const auto applyOutput = [&](int c) {
        const auto i = std::size_t(c);
        if (applyType(c, true)) {
            setNumber(kOutMax, c, r.outputEnd[i]);
            setNumber(kOutMin, c, r.outputStart[i]);
        }
        chooseFlags(QStringLiteral("opt_funz"), c,
                    {r.functionLinear[i], r.functionTank[i], r.functionSqrt[i]});
        chooseFlags(QStringLiteral("opt_Break"), c, {r.breakUp[i], r.breakDown[i]});
    };
    // A file holds only what its own model has: a file of a single-channel model holds no
    // channel B input (its slot is zeros), and its channel B output only with the doubler on.
    // What the file does not hold keeps what the editor shows, the connected device's values,
    // so a file of another model never turns them into zeros.
    const DeviceIdentity fileModel{r.deviceCode, r.modelByte, 0, 0};
    const bool sameModel =
        fileModel.DeviceCode == model.DeviceCode && fileModel.ModelByte == model.ModelByte;
    const bool fileDoubler = r.doubler == 1 && HasDoubler(fileModel);
    const bool fileHasInputB = sameModel || !IsSingleChannel(fileModel);
    const bool fileHasOutputB = sameModel || UsesChannelB(fileModel, fileDoubler);
    const bool single = m_editor.isSingleChannel();
    for (int c = 0; c < ChannelCount; ++c) {
        const auto i = std::size_t(c);
        const auto applyOverRange = [&] {
            if (const auto code = cat.OverRangeFromPercent(r.overRange[i]))
                m_editor.setText(QStringLiteral("cmb_OverRange"), c, cat.OverRange(*code).name);
        };
        if (c == 1 && !fileHasInputB) {
            if (fileHasOutputB) {
                if (!single)
                    applyOutput(1);
                applyOverRange();
            }
            continue;
        }
        if (c == 0 || !single) {
            if (applyType(c, false)) {
                setTemperature(kInMax, c, r.inputEnd[i], false);
                setTemperature(kInMin, c, r.inputStart[i], false);
            }
            applyOutput(c);
            chooseFlags(QStringLiteral("opt_CJC"), c, {r.cjcExternal[i], r.cjcInternal[i]});
            setTemperature(kOffset, c, r.offset[i], true);
            // The flags stand in the order of the record's wire codes 0, 1, 2.
            chooseFlags(QStringLiteral("opt_Fili"), c, {r.wires2[i], r.wires4[i], r.wires3[i]});
        }
        applyOverRange();
    }
    m_editor.restoreCheckBoxState(QStringLiteral("chk_HS"), r.highSpeed);
    // On the lettered models the doubler's bit is the model letter: no file sets it there.
    if (m_editor.hasDoubler() && (sameModel || HasDoubler(fileModel)))
        m_editor.restoreCheckBoxState(QStringLiteral("chk_Doubler"), r.doubler);
    if (single && m_editor.usesChannelB() && fileHasOutputB)
        applyOutput(1);
    if (sameModel || HasTrips(fileModel)) {
        setTemperature(kHigh, 0, r.tripHigh[0], false);
        setTemperature(kLow, 0, r.tripLow[0], false);
        chooseFlags(QStringLiteral("optTrip"), 0, {r.tripMax[0], r.tripMin[0]});
    }
    // The physical scaling, the operators and their delay belong to the math model alone.
    if (!sameModel && !HasExtensionBlock(fileModel)) {
        if (!kept.isEmpty())
            m_prompter.ask(kept.join(u'\n'), Prompter::Buttons::Ok, Prompter::Icon::Warning);
        return;
    }
    setNumber(kPhysMax, 2, r.physicalInputEndA);
    setNumber(kPhysMin, 2, r.physicalInputStartA);
    setNumber(kPhysMax, 3, r.physicalInputEndB);
    setNumber(kPhysMin, 3, r.physicalInputStartB);
    setNumber(kPhysOutMax, 0, r.physicalOutputEndA);
    setNumber(kPhysOutMin, 0, r.physicalOutputStartA);
    setNumber(kPhysOutMax, 1, r.physicalOutputEndB);
    setNumber(kPhysOutMin, 1, r.physicalOutputStartB);
    for (int c = 0; c < ChannelCount; ++c)
        m_editor.restoreOperator(c, r.mathOperator[std::size_t(c)]);
    // One operator delay byte serves the device; the dialog shows channel A's.
    const double option = r.optionValue[0];
    if (std::isfinite(option) && option > -0.5 && option < 255.5)
        setNumber(kOperDelay, 0, OperatorDelaySeconds(int(std::lround(option))));
    if (!kept.isEmpty())
        m_prompter.ask(kept.join(u'\n'), Prompter::Buttons::Ok, Prompter::Icon::Warning);
}

ConfigFiles::Outcome ConfigFiles::openFrom(const QString& path) {
    setSaveEnabled();
    QString error;
    const auto loaded = ConfigFileRecord::load(path, m_texts, &error);
    if (!loaded) {
        // A file of the wrong size is not loaded in part: the editor stays as it was.
        m_prompter.ask(error, Prompter::Buttons::Ok, Prompter::Icon::Critical);
        return Outcome::Failed;
    }
    m_fileName = path;
    m_fileForgotten = false;
    m_record = *loaded;
    if (m_record.version != programVersion() &&
        m_prompter.ask(m_texts.lang(75), Prompter::Buttons::OkCancel, Prompter::Icon::Warning) !=
            Prompter::Answer::Ok)
        return Outcome::Cancelled;
    if ((m_record.deviceCode != m_current.DeviceCode ||
         m_record.modelByte != m_current.ModelByte) &&
        m_prompter.ask(m_texts.lang(61), Prompter::Buttons::OkCancel, Prompter::Icon::Warning) !=
            Prompter::Answer::Ok)
        return Outcome::Cancelled;
    applyRecord(m_record);
    announce(path);
    Q_EMIT opened(path);
    return Outcome::Done;
}

ConfigFiles::Outcome ConfigFiles::OpenConfigFile() {
    QDir::setCurrent(QCoreApplication::applicationDirPath());
    Prompter::FileDialog d;
    d.filter = openFilter(m_texts);
    d.defaultSuffix = kSuffix;
    // No folder: the dialog starts where the last one ended, else in the documents.
    const auto chosen = m_prompter.openFile(d);
    if (!chosen || chosen->isEmpty())
        return Outcome::Cancelled;
    return openFrom(*chosen);
}

} // namespace vantelso
