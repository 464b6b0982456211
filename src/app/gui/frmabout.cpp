#include "frmabout.h"

#include "hideuntilexit.h"
#include "icons.h"
#include "owntexts.h"
#include "systeminfo.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QToolButton>

namespace vantelso::gui {

namespace {
QPushButton* linkButton(QWidget* parent, const QString& name) {
    auto* b = new QPushButton(parent);
    b->setObjectName(name);
    b->setFlat(true);
    b->setCursor(Qt::PointingHandCursor);
    b->setStyleSheet(QStringLiteral("QPushButton { color: #1a55a6; text-decoration: underline; "
                                    "border: none; text-align: left; padding: 2px; }"));
    return b;
}
QToolButton* pictureButton(QWidget* parent, const QString& name, const QIcon& icon) {
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setIcon(icon);
    b->setIconSize({48, 48});
    b->setAutoRaise(true);
    b->setCursor(Qt::PointingHandCursor);
    return b;
}
} // namespace

FrmAbout::FrmAbout(Prompter& prompter, const Texts& texts, std::function<bool()> exiting,
                   QWidget* parent)
    : QDialog(parent), m_prompter(prompter), m_texts(texts),
      m_open([](const QUrl& url) { return QDesktopServices::openUrl(url); }) {
    setObjectName(QStringLiteral("frm_About"));
    HideUntilExit(this, std::move(exiting));

    picIcon = pictureButton(this, QStringLiteral("picIcon"), BrandIcon(0));
    lblTitle = new QLabel(this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont big = lblTitle->font();
    big.setPointSizeF(big.pointSizeF() * 1.5);
    big.setBold(true);
    lblTitle->setFont(big);
    lblCompany = new QLabel(this);
    lblCompany->setObjectName(QStringLiteral("lblCompany"));
    lbl_Link[0] = linkButton(this, QStringLiteral("lbl_Link_0"));
    lbl_Link[1] = linkButton(this, QStringLiteral("lbl_Link_1"));
    picPDF = pictureButton(this, QStringLiteral("picPDF"), Icon(Picture::Manual));
    cmdOK = new QPushButton(this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdSysInfo = new QPushButton(this);
    cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(picIcon, 0, 0, 3, 1, Qt::AlignTop);
    grid->addWidget(lblTitle, 0, 1);
    grid->addWidget(lblCompany, 1, 1);
    grid->addWidget(lbl_Link[0], 2, 1);
    grid->addWidget(picPDF, 3, 0);
    grid->addWidget(lbl_Link[1], 3, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdSysInfo);
    buttons->addWidget(cmdOK);
    grid->addLayout(buttons, 4, 0, 1, 2);
    grid->setColumnStretch(1, 1);

    connect(picIcon, &QToolButton::clicked, this, &FrmAbout::openWebAddress);
    connect(lbl_Link[0], &QPushButton::clicked, this, &FrmAbout::openWebAddress);
    connect(picPDF, &QToolButton::clicked, this, &FrmAbout::openManual);
    connect(lbl_Link[1], &QPushButton::clicked, this, &FrmAbout::openManual);
    connect(cmdSysInfo, &QPushButton::clicked, this, &FrmAbout::startSystemInfo);
    connect(cmdOK, &QPushButton::clicked, this, &FrmAbout::hide);
}

void FrmAbout::applyDetails(const app::ShellCaptions& captions) {
    m_webAddress = captions.webAddress;
    m_manualFile = captions.manualFile;
    const QIcon brand = BrandIcon(captions.brandIcon);
    setWindowIcon(brand.isNull() ? Icon(Picture::App) : brand);
    picIcon->setIcon(brand);
    picIcon->setVisible(captions.showBrandPicture);
    lbl_Link[0]->setVisible(captions.showBrandPicture);
    lbl_Link[1]->setToolTip(m_manualFile);
    picPDF->setToolTip(m_manualFile);
}

// The texts become URLs here and go to the desktop as URLs: nothing is ever handed to a
// shell as a command line.
void FrmAbout::openWebAddress() {
    const QUrl url = app::WebAddressUrl(m_webAddress);
    if (url.isValid() && !url.isEmpty())
        m_open(url); // failure is not reported: there may simply be no browser
}

// A manual that is not there is told, not left to a line on the error output.
void FrmAbout::openManual() {
    if (m_manualFile.trimmed().isEmpty())
        return;
    const QStringList folders = app::ManualFolders();
    const QString path = app::LocateManual(m_manualFile, folders);
    if (path.isEmpty()) {
        m_prompter.ask(m_texts.lang(own::ManualNotFoundIn)
                           .arg(m_manualFile.trimmed(),
                                QDir::toNativeSeparators(folders.join(QStringLiteral(", ")))),
                       Prompter::Buttons::Ok, Prompter::Icon::Warning);
        return;
    }
    m_open(QUrl::fromLocalFile(path));
}

void FrmAbout::startSystemInfo() {
    const auto tool = app::FindSystemInfoTool(
        app::NativeRegistryReader(), [](const QString& path) { return QFileInfo::exists(path); });
    if (tool && QProcess::startDetached(*tool, {}))
        return;
    m_prompter.ask(app::SystemInfoUnavailableText(m_texts), Prompter::Buttons::Ok,
                   Prompter::Icon::None);
}

} // namespace vantelso::gui
