#pragma once

#include "captions.h"
#include "prompter.h"
#include "texts.h"

#include <QDialog>
#include <QUrl>
#include <array>
#include <functional>

class QLabel;
class QPushButton;
class QToolButton;

namespace vantelso::gui {

// The About box: product title, company, links to the brand's web address and the user
// manual, and the operating system's system-information tool. Closing only hides it until
// the program exits.
class FrmAbout : public QDialog {
    Q_OBJECT
public:
    // Opens a web address or a file with the desktop's default handler.
    using UrlOpener = std::function<bool(const QUrl&)>;

    FrmAbout(Prompter& prompter, const Texts& texts, std::function<bool()> exiting,
             QWidget* parent = nullptr);

    QToolButton* picIcon = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblCompany = nullptr;
    std::array<QPushButton*, 2> lbl_Link{};
    QToolButton* picPDF = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdSysInfo = nullptr;

    // What the caption routine keeps for the box.
    void applyDetails(const app::ShellCaptions& captions);
    void setUrlOpener(UrlOpener opener) { m_open = std::move(opener); }

    void openWebAddress();
    void openManual();
    void startSystemInfo();

private:
    Prompter& m_prompter;
    const Texts& m_texts;
    UrlOpener m_open;
    QString m_webAddress;
    QString m_manualFile;
};

} // namespace vantelso::gui
