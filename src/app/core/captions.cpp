#include "captions.h"

#include "identity.h"
#include "owntexts.h"
#include "record.h"

namespace vantelso::app {

namespace {

// The menus of the main window and of the connection panel carry the same items under the
// same names; each window looks its names up inside itself only.
const QList<LanguageCaption> kMenuCaptions = {
    {"mnu_open", 53},
    {"mnu_save", 54},
    {"mnu_saveas", 55},
    {"mnu_compare", own::MenuCompare},
    {"mnu_report", own::MenuReport},
    {"mnu_program", 35},
    {"mnu_measure", 36},
    {"mnu_switch", 37},
    {"mnu_act_program", 35},
    {"mnu_read", 46},
    {"mnu_write", 47},
    {"mnu_act_measure", 36},
    {"mnu_about", 51},
    {"mnu_exit", 52},
    {"mnu_view", own::MenuView},
    {"mnu_action", own::MenuAction},
    {"mnu_help", own::MenuHelp},
    {"mnu_start", own::Start},
    {"mnu_stop", own::Stop},
    {"mnu_commlog", own::CommLogTitle},
};

// "File" reads the same in both languages; the factory items stay Italian like the factory
// windows themselves.
const QList<FixedCaption> kMenuFixed = {
    {"mnu_file", "File"},         {"mnu_collaudo", "Collaudo"},
    {"mnu_eeprom", "EEprom"},     {"mnu_taratura", "Taratura"},
    {"mnu_test", "Test"},         {"mnu_language", "Lingua / Language"},
    {"mnu_registro", "Registro"},
};

QList<LanguageCaption> panelCaptions() {
    QList<LanguageCaption> out = kMenuCaptions;
    out += {
        {"cmd_read", 46},
        {"cmd_write", 47},
        {"cmd_modo_0", 35},
        {"cmd_modo_1", 36},
        {"cmd_modo_2", 37},
        {"fra_device", 73},
        {"cmd_start", own::Start},
        {"cmd_reconnect", own::Reconnect},
        {"chk_autoreconnect", own::AutoReconnect},
    };
    return out;
}

QList<FixedCaption> panelFixed() {
    QList<FixedCaption> out = kMenuFixed;
    out += {{"fra_port", "COM"}};
    return out;
}

// The editor window, control names with their element as the window numbers them.
const QList<LanguageCaption> kProgramCaptions = {
    {"frm_input_0", 48},
    {"frm_input_1", 48},
    {"lbl_tipo_in_0", 40},
    {"lbl_tipo_in_1", 40},
    {"lbl_tipo_out_0", 40},
    {"lbl_tipo_out_1", 40},
    {"lbl_offset_0", 66},
    {"lbl_offset_1", 66},
    {"opt_CJC_0", 42},
    {"opt_CJC_1", 43},
    {"opt_CJC_2", 42},
    {"opt_CJC_3", 43},
    {"frm_fili_0", 60},
    {"frm_fili_1", 60},
    {"opt_Break_0", 44},
    {"opt_Break_1", 45},
    {"opt_Break_2", 44},
    {"opt_Break_3", 45},
    {"frm_funz_0", 41},
    {"frm_funz_1", 41},
    {"opt_funz_0", 32},
    {"opt_funz_1", 33},
    {"opt_funz_2", 34},
    {"opt_funz_3", 32},
    {"opt_funz_4", 33},
    {"opt_funz_5", 34},
    {"frm_output_0", 49},
    {"frm_output_1", 49},
    {"frm_soglie_0", 50},
    {"frm_soglie_1", 50},
    {"optTrip_0", 44},
    {"optTrip_1", 45},
    {"optTrip_2", 44},
    {"optTrip_3", 45},
    {"optRele_0", 58},
    {"optRele_1", 59},
    {"optRele_2", 58},
    {"optRele_3", 59},
    {"frm_modo_1", 57},
    {"chk_Doubler_0", 31},
    {"lbl_filter", 82},
    {"lbl_trig_0", 81},
    {"lbl_aux_0", 83},
    {"lbl_freq_type", 40},
    {"cmd_math_0", 84},
    {"frm_modo_3", 86},
    {"lbl_col_analog", 79},
    {"lbl_col_fisico", 86},
    {"frm_fis_out", 49},
    {"frm_operatore", 85},
    // Captions the table has no string for, from the program's own texts.
    {"frm_options_0", own::OverRange},
    {"frm_options_1", own::OverRange},
    {"lbl_soglia_Delay_0", own::TripDelay},
    {"lbl_soglia_Delay_1", own::TripDelay},
    {"lbl_trip_dir_0", own::TripDirection},
    {"lbl_trip_dir_1", own::TripDirection},
    {"lbl_rele_0", own::Relay},
    {"lbl_rele_1", own::Relay},
    {"chk_HS_0", own::HighSpeed},
    {"lbl_response", own::ResponseTime},
};

// Captions without a string of their own: units, markers and technical terms that read the
// same in both languages.
const QList<FixedCaption> kProgramFixed = {
    // Wires in the order of the record's codes 0, 1, 2 (WireCount): 2, 4, 3.
    {"frm_cjc_0", "CJC"},        {"frm_cjc_1", "CJC"},      {"frm_break_0", "Burn-out"},
    {"frm_break_1", "Burn-out"}, {"lbl_max_in_0", "Max"},   {"lbl_min_in_0", "Min"},
    {"lbl_max_in_1", "Max"},     {"lbl_min_in_1", "Min"},   {"lbl_max_out_0", "Max"},
    {"lbl_min_out_0", "Min"},    {"lbl_max_out_1", "Max"},  {"lbl_min_out_1", "Min"},
    {"opt_gradi_0", "°C"},       {"opt_gradi_far_0", "°F"}, {"opt_gradi_1", "°C"},
    {"opt_gradi_far_1", "°F"},   {"opt_Fili_0", "2"},       {"opt_Fili_1", "4"},
    {"opt_Fili_2", "3"},         {"opt_Fili_3", "2"},       {"opt_Fili_4", "4"},
    {"opt_Fili_5", "3"},         {"lbl_soglia_H_0", "Hi"},  {"lbl_soglia_L_0", "Lo"},
    {"lbl_soglia_H_1", "Hi"},    {"lbl_soglia_L_1", "Lo"},  {"lbl_soglia_s_0", "s"},
    {"lbl_soglia_s_1", "s"},     {"lbl_response_s", "s"},   {"frm_freq", "Freq"},
    {"chk_50hz_0", "50 Hz"},     {"cmd_OperOk_0", "OK"},    {"lbl_oper_0", "A"},
    {"lbl_oper_1", "B"},         {"lbl_fis_max", "Max"},    {"lbl_fis_min", "Min"},
};

const QList<LanguageCaption> kOperatorCaptions = {
    {"fra_Oper", 41}, {"Frame1_0", 57}, {"lbl_oper_delay", own::TripDelay}};

const QList<FixedCaption> kOperatorFixed = {
    {"opt_Oper_0", "= A"},    {"opt_Oper_1", "= B"}, {"opt_Oper_2", "A+B"}, {"opt_Oper_3", "A-B"},
    {"opt_Oper_4", "A*B"},    {"opt_Oper_5", "A/B"}, {"opt_Oper_6", "MAX"}, {"opt_Oper_7", "MIN"},
    {"lbl_oper_sec", "sec."}, {"Cmd_ok_0", "OK"},
};

constexpr int kProgram = 35;
constexpr int kChannel = 72;
constexpr int kAlgebraicFunction = 85;
constexpr int kOpenCom = 38;
constexpr int kCloseCom = 39;
constexpr int kAbout = 51;
constexpr int kUserGuide = 74;
constexpr int kUnbrandedBlock = 1;

} // namespace

const QList<LanguageCaption>& LanguageCaptions(Window window) {
    static const QList<LanguageCaption> principale = kMenuCaptions;
    static const QList<LanguageCaption> panel = panelCaptions();
    static const QList<LanguageCaption> about = {{"lbl_Link_1", kUserGuide},
                                                 {"cmdSysInfo", own::SystemInfo}};
    static const QList<LanguageCaption> none;
    switch (window) {
    case Window::Principale:
        return principale;
    case Window::Communication:
        return panel;
    case Window::About:
        return about;
    case Window::Program:
        return kProgramCaptions;
    case Window::Operator:
        return kOperatorCaptions;
    case Window::Language:
        break;
    }
    return none;
}

const QList<FixedCaption>& FixedCaptions(Window window) {
    static const QList<FixedCaption> principale = kMenuFixed;
    static const QList<FixedCaption> panel = panelFixed();
    static const QList<FixedCaption> language = {{"opt_lang_0", "Italiano"},
                                                 {"opt_lang_1", "English"}};
    static const QList<FixedCaption> about = {{"cmdOK", "OK"}};
    switch (window) {
    case Window::Principale:
        return principale;
    case Window::Communication:
        return panel;
    case Window::Language:
        return language;
    case Window::About:
        return about;
    case Window::Program:
        return kProgramFixed;
    case Window::Operator:
        return kOperatorFixed;
    }
    return principale;
}

CaptionMap BuildCaptions(Window window, const Texts& texts, bool portSwitchTicked) {
    CaptionMap out;
    for (const FixedCaption& c : FixedCaptions(window))
        out.insert(QLatin1String(c.control), QString::fromUtf8(c.text));
    for (const LanguageCaption& c : LanguageCaptions(window))
        out.insert(QLatin1String(c.control), texts.lang(c.baseId));
    if (window == Window::Communication)
        out.insert(QStringLiteral("Check1"), texts.lang(portSwitchTicked ? kCloseCom : kOpenCom));
    if (window == Window::Program) {
        // The channel frames carry the channel letter after the word.
        for (const char* name : {"frm_channel_0", "frm_input_2"})
            out.insert(QLatin1String(name), texts.lang(kChannel) + QStringLiteral(" A"));
        for (const char* name : {"frm_channel_1", "frm_input_3"})
            out.insert(QLatin1String(name), texts.lang(kChannel) + QStringLiteral(" B"));
    }
    if (window == Window::About) {
        out.insert(QStringLiteral("lblTitle"), texts.productTitle());
        out.insert(QStringLiteral("lblCompany"), texts.brand(0).trimmed());
        out.insert(QStringLiteral("lbl_Link_0"), texts.webAddress().trimmed());
    }
    return out;
}

QString WindowTitle(Window window, const Texts& texts) {
    switch (window) {
    case Window::Principale:
    case Window::Communication:
        return texts.productTitle();
    case Window::Language:
        return QStringLiteral("Lingua / Language");
    case Window::About:
        return texts.lang(kAbout) + u' ' + texts.productTitle();
    case Window::Program:
        return texts.lang(kProgram);
    case Window::Operator:
        return texts.lang(kAlgebraicFunction);
    }
    return {};
}

DeviceLabels UpdateDeviceLabels(const DeviceLabels& previous, const Texts& texts,
                                const DeviceIdentity& identity,
                                std::optional<std::uint8_t> variantByte) {
    DeviceLabels out = previous;
    out.idLabel = IdentificationLabel(identity);
    out.variantByte = variantByte;
    out.modelIdentifier.clear();
    if (ModelNeedsVariantByte(identity.ModelByte)) {
        if (!variantByte)
            return out; // the letter is unknown: keep whatever name was shown
        const QString family = texts.familyDisplayName(*variantByte);
        if (!family.isEmpty())
            out.displayName = family;
        out.modelIdentifier = ModelIdentifier(identity.ModelByte, *variantByte);
    } else {
        out.modelIdentifier = ModelIdentifier(identity.ModelByte, 0);
    }
    const QString name = texts.modelDisplayName(out.modelIdentifier);
    if (!name.isEmpty())
        out.displayName = name;
    return out;
}

ProgramLayout BuildProgramLayout(const DeviceIdentity& identity) {
    ProgramLayout out;
    const int trips = TripChannelCount(identity);
    for (int c = 0; c < 2; ++c)
        out.trips[std::size_t(c)] = c < trips;
    out.frequency = IsFrequencyModel(identity);
    out.physical = HasExtensionBlock(identity);
    const int m = identity.ModelByte;
    out.channelBInput = !(m == 0 || m == 1 || m == 8 || m == 9);
    out.responseTime = HasResponseTime(identity);
    return out;
}

bool SwitchViewAvailable(std::uint8_t modelByte) {
    return modelByte != 9;
}

ShellCaptions BuildShellCaptions(const Texts& texts, const DeviceLabels& device,
                                 std::uint8_t modelByte, bool portSwitchTicked) {
    ShellCaptions out;
    for (Window w : {Window::Principale, Window::Communication, Window::Language, Window::About,
                     Window::Program, Window::Operator}) {
        out.controls.insert(w, BuildCaptions(w, texts, portSwitchTicked));
        out.titles.insert(w, WindowTitle(w, texts));
    }
    out.device = device;
    out.switchViewAvailable = SwitchViewAvailable(modelByte);
    out.showBrandPicture = texts.brandIndex() != kUnbrandedBlock;
    out.webAddress = out.showBrandPicture ? texts.webAddress().trimmed() : QString();
    out.manualFile = texts.manualFileName().trimmed();
    out.brandIcon = out.showBrandPicture ? texts.brandIndex() : -1;
    return out;
}

} // namespace vantelso::app
