#include "frmlang.h"

#include "hideuntilexit.h"
#include "icons.h"

#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace vantelso::gui {

FrmLang::FrmLang(std::function<bool()> exiting, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frm_Lang"));
    HideUntilExit(this, std::move(exiting));
    auto* layout = new QVBoxLayout(this);
    const Picture flags[] = {Picture::FlagItalian, Picture::FlagEnglish};
    for (int i = 0; i < 2; ++i) {
        auto* option = new QRadioButton(this);
        option->setObjectName(QStringLiteral("opt_lang_%1").arg(i));
        option->setIcon(Icon(flags[i]));
        option->setIconSize({36, 24});
        // clicked, not toggled: only the user's choice counts, and choosing the language
        // already shown still closes the dialog.
        connect(option, &QRadioButton::clicked, this, [this, i] {
            Q_EMIT languageChosen(i);
            hide();
        });
        layout->addWidget(option);
        opt_lang[std::size_t(i)] = option;
    }
    setMinimumWidth(220);
}

void FrmLang::showLanguage(int langIndex) {
    for (std::size_t i = 0; i < opt_lang.size(); ++i) {
        const QSignalBlocker block(opt_lang[i]);
        opt_lang[i]->setChecked(int(i) == langIndex);
    }
}

} // namespace vantelso::gui
