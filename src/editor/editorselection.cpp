// Type selections and the sections they make available: the model's lists, the input, output,
// frequency and over-range choices, the doubler and channel B.

#include "editormodel.h"

#include "editorcontrolnames.h"
#include "numberformat.h"
#include "texts.h"

namespace vantelso {

using namespace editorcontrols;

void EditorModel::setIdentity(const DeviceIdentity& identity) {
    // Switch banks read from another device say nothing about this one.
    const bool otherDevice =
        identity.DeviceCode != m_identity.DeviceCode || identity.ModelByte != m_identity.ModelByte;
    m_identity = identity;
    if (otherDevice && m_switchBytes) {
        m_switchBytes.reset();
        showSwitchNotes();
    }
    fillLists();
    if (m_identity.ModelByte == 7) {
        // The frequency model has one input type, whatever its lists show.
        for (int c = 0; c < ChannelCount; ++c)
            setInputCode(c, input_code::Freq);
    }
    putEnabled(kDoubler, 0, hasDoubler());
    if (!hasDoubler())
        putChecked(kDoubler, 0, false);
    for (int c = 0; c < ChannelCount; ++c) {
        applyInputLabels(c);
        EnableSections(c);
    }
    if (!usesChannelB())
        clearChannelB(true);
}

bool EditorModel::usesChannelB() const {
    return UsesChannelB(m_identity, checked(kDoubler));
}

void EditorModel::clearChannelB(bool outputSide) {
    for (const QString& n : {kInMax, kInMin, kOffset})
        put(n, 1, QString());
    // The doubler's entry and the labels of the input it repeats stay.
    if (!m_channel1Doubled) {
        for (const QString& n :
             {kIn, QStringLiteral("lbl_limite_in"), QStringLiteral("lbl_spanmin_in")})
            put(n, 1, QString());
        put(kUnitIn, 2, QString());
        put(kUnitIn, 3, QString());
    }
    if (!outputSide)
        return;
    for (const QString& n : {kOut, kOutMax, kOutMin, QStringLiteral("lbl_limite_out"),
                             QStringLiteral("lbl_spanmin_out")})
        put(n, 1, QString());
    put(kUnitOut, 2, QString());
    put(kUnitOut, 3, QString());
}

void EditorModel::showChannelBOutput() {
    if (!text(kOut, 1).isEmpty())
        return; // what the user typed there stays
    put(kOut, 1, m_catalogue.Output(m_base.raw.outputCode[1]).name);
    outputChanged(1); // the full range of the type, until a read says otherwise
    if (m_mainBlock.isEmpty())
        return;
    put(kOutMax, 1, FormatRange(m_base.channels[1].outputEnd));
    put(kOutMin, 1, FormatRange(m_base.channels[1].outputStart));
    // Unedited, they give back the values read.
    for (const QString& n : {kOutMax, kOutMin})
        m_baseline.insert(key(n, 1), text(n, 1));
}

void EditorModel::fillLists() {
    const TypeLists lists = m_catalogue.FillTypeLists(m_identity);
    for (int c = 0; c < ChannelCount; ++c) {
        putItems(kIn, c, lists.input);
        putItems(kOut, c, lists.output);
    }
    putItems(kFreq, 0, lists.freq);
    for (int i = 0; i < 2; ++i)
        putItems(kOverRange, i, lists.overRange);
}

QString EditorModel::doublerText() const {
    return m_texts.lang(31);
}

void EditorModel::onLanguageChanged() {
    const QString now = doublerText();
    if (m_channel1Doubled && text(kIn, 1) == m_shownDoublerText)
        put(kIn, 1, now);
    m_shownDoublerText = now;
    showSwitchNotes();
}

void EditorModel::inputChanged(int c) {
    const QString t = text(kIn, c);
    int code = 0;
    if (m_identity.ModelByte == 7) {
        code = input_code::Freq;
    } else if (c == 1 && !t.isEmpty() && t == doublerText()) {
        code = m_inputCode[0];
        m_channel1Doubled = true;
        m_shownDoublerText = t;
    } else {
        const std::optional<int> found = m_catalogue.FindInputType(t);
        if (!found)
            return; // no row of that name: the channel keeps its code
        code = *found;
        if (c == 1)
            m_channel1Doubled = false;
    }
    const auto apply = [this](int ch, int inputCode) {
        setInputCode(ch, inputCode);
        applyInputLabels(ch);
        EnableSections(ch);
    };
    apply(c, code);
    if (c == 0 && m_channel1Doubled)
        apply(1, code);
}

void EditorModel::freqChanged() {
    const std::optional<int> found = m_catalogue.FindFreqType(text(kFreq));
    if (!found)
        return;
    m_freqCode = *found;
    // Only the voltage sensor has an adjustable trigger and an auxiliary frequency.
    const bool volt = *found == 6;
    for (const char* n :
         {"lbl_aux", "txt_aux_freq", "lbl_uMisAux", "txt_Trig", "lbl_trig", "lbl_uMisTrig"})
        putVisible(QString::fromLatin1(n), 0, volt);
    const FreqType& row = m_catalogue.Freq(*found);
    put(kTrig, 0, QString::number(row.defaultTrigger));
    put(QStringLiteral("lbl_uMisTrig"), 0, row.triggerUnit);
}

void EditorModel::overRangeChanged(int end) {
    if (const std::optional<int> code = m_catalogue.FindOverRangeCode(text(kOverRange, end)))
        m_overRange[std::size_t(end)] = *code;
}

void EditorModel::doublerChanged() {
    const bool on = checked(kDoubler);
    if (on) {
        put(kIn, 1, doublerText());
        inputChanged(1);
        if (isSingleChannel())
            showChannelBOutput();
    } else if (m_channel1Doubled) {
        m_channel1Doubled = false;
        if (isSingleChannel()) {
            clearChannelB(true);
        } else {
            put(kIn, 1, m_catalogue.Input(m_inputCode[1]).name);
            inputChanged(1);
        }
    }
    EnableSections(1);
}

void EditorModel::EnableSections(int c) {
    const int model = m_identity.ModelByte;
    const QString cjc = QStringLiteral("frm_cjc");
    const QString fili = QStringLiteral("frm_fili");
    const QString brk = QStringLiteral("frm_break");
    const QString funz = QStringLiteral("frm_funz");
    if (c == 1 && !usesChannelB()) {
        // No channel B on this model: nothing of it is available, and whatever its record
        // part holds decides nothing (high speed follows channel A alone).
        for (const QString& n : {cjc, fili, brk, funz, kGradi, kGradiFar,
                                 QStringLiteral("frm_options"), QStringLiteral("frm_output")})
            putEnabled(n, 1, false);
        return;
    }

    bool cjcOn = false, filiOn = false, breakOn = false, funzOn = false;
    bool tankOn = true, mathOn = false, unitsOn = true;
    if (model == 0) {
        tankOn = false;
        breakOn = true;
    } else if (model == 4) {
        breakOn = true;
    } else if (model == 5) {
        breakOn = true;
        mathOn = true;
    } else if (model == 7) {
        unitsOn = false;
    }

    const int code = m_inputCode[std::size_t(c)];
    // Whether the type lets the converter run at high speed: the linearised and cold-junction
    // compensated types need the slow conversion. Unset for types not in the table.
    std::optional<bool> highSpeed;
    bool unitsByType = false;
    if (code >= 1 && code <= 3) {
        breakOn = true;
        highSpeed = true;
        funzOn = model == 5;
    } else if (code == 4 || code == 5) {
        highSpeed = true;
        funzOn = model == 5;
        select(kCjc, 2 * c + 1);
    } else if (IsThermocoupleType(code)) {
        cjcOn = code != 12; // "Tc B" needs no cold junction
        breakOn = true;
        unitsByType = true;
        highSpeed = false;
    } else if ((code >= 16 && code <= 21) || (code >= 24 && code <= 30)) {
        filiOn = true;
        breakOn = true;
        unitsByType = code >= 18 && code <= 28;
        highSpeed = false;
    } else if (code == 22 || code == 23) {
        breakOn = true;
        highSpeed = true;
    }

    putEnabled(cjc, c, cjcOn);
    putEnabled(fili, c, filiOn);
    putEnabled(brk, c, breakOn);
    putEnabled(funz, c, funzOn);
    putEnabled(kMath, 0, mathOn);
    putEnabled(kFunz, 1, tankOn);
    putEnabled(kFunz, 4, tankOn);
    putEnabled(kGradi, c, unitsOn && unitsByType);
    putEnabled(kGradiFar, c, unitsOn && unitsByType);
    if (highSpeed) {
        putEnabled(kHighSpeed, 0, *highSpeed);
        if (!*highSpeed)
            putChecked(kHighSpeed, 0, false);
    }

    const bool doubled = checked(kDoubler);
    if (doubled) {
        putEnabled(fili, 1, false);
        putEnabled(cjc, 1, false);
    }
    // On a single-channel model channel B's output is the doubler's; a model read after it
    // gets it back.
    putEnabled(QStringLiteral("frm_options"), 1, usesChannelB());
    putEnabled(QStringLiteral("frm_output"), 1, usesChannelB());
}

} // namespace vantelso
