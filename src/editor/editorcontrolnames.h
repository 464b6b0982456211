#pragma once

// Names of the editor window's controls and the key of a field's remembered text, shared by the
// files of EditorModel. Not part of the editor library's interface.

#include <QString>

namespace vantelso::editorcontrols {

inline const QString kIn = QStringLiteral("cmb_Prog_In");
inline const QString kOut = QStringLiteral("cmb_Prog_Out");
inline const QString kInMax = QStringLiteral("txt_Input_max");
inline const QString kInMin = QStringLiteral("txt_Input_min");
inline const QString kOutMax = QStringLiteral("txt_Output_max");
inline const QString kOutMin = QStringLiteral("txt_Output_min");
inline const QString kCjc = QStringLiteral("opt_CJC");
inline const QString kFili = QStringLiteral("opt_Fili");
inline const QString kBreak = QStringLiteral("opt_Break");
inline const QString kFunz = QStringLiteral("opt_funz");
inline const QString kGradi = QStringLiteral("opt_gradi");
inline const QString kGradiFar = QStringLiteral("opt_gradi_far");
inline const QString kOffset = QStringLiteral("txt_offset");
inline const QString kUnitIn = QStringLiteral("lbl_uMisIn");
inline const QString kUnitOut = QStringLiteral("lbl_uMisOut");
inline const QString kUnitTrip = QStringLiteral("lbl_uMisS");
inline const QString kDoubler = QStringLiteral("chk_Doubler");
inline const QString kHighSpeed = QStringLiteral("chk_HS");
inline const QString kOverRange = QStringLiteral("cmb_OverRange");
inline const QString kFreq = QStringLiteral("cmb_Freq_Type");
inline const QString k50Hz = QStringLiteral("chk_50hz");
inline const QString kTrig = QStringLiteral("txt_Trig");
inline const QString kAux = QStringLiteral("txt_aux_freq");
inline const QString kFilter = QStringLiteral("txt_filter");
inline const QString kResponse = QStringLiteral("txt_Delay");
inline const QString kHigh = QStringLiteral("txt_soglia_H");
inline const QString kLow = QStringLiteral("txt_soglia_L");
inline const QString kTripDelay = QStringLiteral("txt_soglia_Delay");
inline const QString kTrip = QStringLiteral("optTrip");
inline const QString kRele = QStringLiteral("optRele");
inline const QString kMath = QStringLiteral("cmd_math");
inline const QString kOperOk = QStringLiteral("cmd_OperOk");
inline const QString kOperButton = QStringLiteral("cmd_Operatore");
inline const QString kModo = QStringLiteral("frm_modo");
inline const QString kFrmInput = QStringLiteral("frm_input");
inline const QString kPhysMax = QStringLiteral("txt_Fisico_max");
inline const QString kPhysMin = QStringLiteral("txt_Fisico_min");
inline const QString kPhysOutMax = QStringLiteral("txt_FisicoOut_max");
inline const QString kPhysOutMin = QStringLiteral("txt_FisicoOut_min");
inline const QString kOperDialog = QStringLiteral("frm_Oper");
inline const QString kOper = QStringLiteral("opt_Oper");
inline const QString kOperDelay = QStringLiteral("txt_Opzione");
inline const QString kOperDelayFrame = QStringLiteral("Frame1");
inline const QString kOperDialogOk = QStringLiteral("Cmd_ok");
inline const QString kSwitchNote = QStringLiteral("lbl_switch_note");

// Key of a field element in the baseline of remembered texts.
inline QString key(const QString& name, int element) {
    return name + u'/' + QString::number(element);
}

} // namespace vantelso::editorcontrols
