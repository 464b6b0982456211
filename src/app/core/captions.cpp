#include "captions.h"

#include "identity.h"

namespace vantelso::app {

namespace {

// The menus of the main window and of the connection panel carry the same items under the
// same names; each window looks its names up inside itself only.
const QList<LanguageCaption> kMenuCaptions = {
    {"mnu_open", 53},    {"mnu_save", 54},        {"mnu_saveas", 55},      {"mnu_program", 35},
    {"mnu_measure", 36}, {"mnu_switch", 37},      {"mnu_act_program", 35}, {"mnu_read", 46},
    {"mnu_write", 47},   {"mnu_act_measure", 36}, {"mnu_about", 51},       {"mnu_exit", 52},
};

// Menu titles have no string in the table; the factory items stay Italian like the factory
// windows themselves.
const QList<FixedCaption> kMenuFixed = {
    {"mnu_file", "File"},
    {"mnu_view", "View"},
    {"mnu_action", "Action"},
    {"mnu_start", "Start"},
    {"mnu_stop", "Stop"},
    {"mnu_collaudo", "Collaudo"},
    {"mnu_eeprom", "EEprom"},
    {"mnu_taratura", "Taratura"},
    {"mnu_test", "Test"},
    {"mnu_help", "Help"},
    {"mnu_language", "Lingua / Language"},
};

QList<LanguageCaption> panelCaptions() {
    QList<LanguageCaption> out = kMenuCaptions;
    out += {
        {"cmd_read", 46},   {"cmd_write", 47},  {"cmd_modo_0", 35},
        {"cmd_modo_1", 36}, {"cmd_modo_2", 37}, {"fra_device", 73},
    };
    return out;
}

QList<FixedCaption> panelFixed() {
    QList<FixedCaption> out = kMenuFixed;
    out += {{"fra_port", "COM"}, {"cmd_start", "Start"}};
    return out;
}

constexpr int kOpenCom = 38;
constexpr int kCloseCom = 39;
constexpr int kAbout = 51;
constexpr int kUserGuide = 74;
constexpr int kUnbrandedBlock = 1;

} // namespace

const QList<LanguageCaption>& LanguageCaptions(Window window) {
    static const QList<LanguageCaption> principale = kMenuCaptions;
    static const QList<LanguageCaption> panel = panelCaptions();
    static const QList<LanguageCaption> about = {{"lbl_Link_1", kUserGuide}};
    static const QList<LanguageCaption> none;
    switch (window) {
    case Window::Principale:
        return principale;
    case Window::Communication:
        return panel;
    case Window::About:
        return about;
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
    static const QList<FixedCaption> about = {{"cmdOK", "OK"}, {"cmdSysInfo", "System Info..."}};
    switch (window) {
    case Window::Principale:
        return principale;
    case Window::Communication:
        return panel;
    case Window::Language:
        return language;
    case Window::About:
        return about;
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

bool SwitchViewAvailable(std::uint8_t modelByte) {
    return modelByte != 9;
}

ShellCaptions BuildShellCaptions(const Texts& texts, const DeviceLabels& device,
                                 std::uint8_t modelByte, bool portSwitchTicked) {
    ShellCaptions out;
    for (Window w : {Window::Principale, Window::Communication, Window::Language, Window::About}) {
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
