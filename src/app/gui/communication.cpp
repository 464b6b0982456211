#include "communication.h"

#include "icons.h"
#include "lamp.h"
#include "shellview.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace vantelso::gui {

namespace {
QToolButton* pictureButton(QWidget* parent, const char* name, Picture picture) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setIcon(Icon(picture));
    b->setIconSize({32, 32});
    b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    b->setAutoRaise(false);
    b->setMinimumWidth(72);
    b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    return b;
}
} // namespace

Communication::Communication(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("communication"));
    setWindowIcon(Icon(Picture::App));

    auto* top = new QVBoxLayout(this);
    auto* menuBar = new QMenuBar(this);
    menuBar->setObjectName(QStringLiteral("communication_menu"));
    menu = BuildShellMenu(menuBar, ShellMenu::Kind::Panel);
    m_menuBar = menuBar;
    top->setMenuBar(menuBar);

    m_portFrame = new QGroupBox(this);
    m_portFrame->setObjectName(QStringLiteral("fra_port"));
    auto* port = new QHBoxLayout(m_portFrame);
    cmb_Porta = new QComboBox(m_portFrame);
    cmb_Porta->setObjectName(QStringLiteral("cmb_Porta"));
    cmb_Porta->setEditable(true);
    cmb_Porta->setInsertPolicy(QComboBox::NoInsert);
    cmb_Porta->setMinimumContentsLength(20);
    cmb_Porta->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cmb_Porta->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    cmb_Porta->lineEdit()->setPlaceholderText(QStringLiteral("COM1, /dev/ttyUSB0 ..."));
    port->addWidget(cmb_Porta, 1);
    Check1 = new QCheckBox(m_portFrame);
    Check1->setObjectName(QStringLiteral("Check1"));
    port->addWidget(Check1);
    Spia = new Lamp(m_portFrame);
    Spia->setObjectName(QStringLiteral("Spia"));
    Spia->setColourValue(app::lamp::Green);
    port->addWidget(Spia);
    top->addWidget(m_portFrame);

    bar = new QProgressBar(this);
    bar->setObjectName(QStringLiteral("bar"));
    bar->setTextVisible(false);
    bar->setMaximumHeight(10);
    bar->setRange(0, 1000);
    bar->setValue(0);
    top->addWidget(bar);

    auto* deviceFrame = new QGroupBox(this);
    deviceFrame->setObjectName(QStringLiteral("fra_device"));
    auto* device = new QHBoxLayout(deviceFrame);
    lbl_device = new QLabel(deviceFrame);
    lbl_device->setObjectName(QStringLiteral("lbl_device"));
    lbl_device_1 = new QLabel(deviceFrame);
    lbl_device_1->setObjectName(QStringLiteral("lbl_device_1"));
    QFont bold = lbl_device_1->font();
    bold.setBold(true);
    lbl_device_1->setFont(bold);
    lbl_device_1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    device->addWidget(lbl_device);
    device->addStretch(1);
    device->addWidget(lbl_device_1);
    top->addWidget(deviceFrame);

    auto* buttons = new QGridLayout;
    cmd_read = pictureButton(this, "cmd_read", Picture::Read);
    cmd_write = pictureButton(this, "cmd_write", Picture::Write);
    cmd_start = pictureButton(this, "cmd_start", Picture::Start);
    cmd_modo[0] = pictureButton(this, "cmd_modo_0", Picture::ViewProgram);
    cmd_modo[1] = pictureButton(this, "cmd_modo_1", Picture::ViewMeasure);
    cmd_modo[2] = pictureButton(this, "cmd_modo_2", Picture::ViewSwitch);
    buttons->addWidget(cmd_read, 0, 0);
    buttons->addWidget(cmd_write, 0, 1);
    buttons->addWidget(cmd_start, 0, 2);
    buttons->addWidget(cmd_modo[0], 1, 0);
    buttons->addWidget(cmd_modo[1], 1, 1);
    buttons->addWidget(cmd_modo[2], 1, 2);
    top->addLayout(buttons);

    auto* bottom = new QHBoxLayout;
    lbl_status = new QLabel(this);
    lbl_status->setObjectName(QStringLiteral("lbl_status"));
    lbl_status->setWordWrap(true);
    bottom->addWidget(lbl_status, 1);
    auto* reconnect = new QVBoxLayout;
    cmd_reconnect = new QPushButton(this);
    cmd_reconnect->setObjectName(QStringLiteral("cmd_reconnect"));
    chk_autoreconnect = new QCheckBox(this);
    chk_autoreconnect->setObjectName(QStringLiteral("chk_autoreconnect"));
    reconnect->addWidget(cmd_reconnect);
    reconnect->addWidget(chk_autoreconnect);
    bottom->addLayout(reconnect);
    showReconnect(app::ReconnectOffer::None);
    cmd_Lang = new QToolButton(this);
    cmd_Lang->setObjectName(QStringLiteral("cmd_Lang"));
    cmd_Lang->setIconSize({27, 18});
    cmd_Lang->setToolTip(QStringLiteral("Lingua / Language"));
    bottom->addWidget(cmd_Lang, 0, Qt::AlignRight | Qt::AlignBottom);
    top->addLayout(bottom);

    setLanguageFlag(0);
}

void Communication::setPortEntries(const QList<app::PortEntry>& entries, int selected) {
    // Without an entry to choose, the field keeps what the user typed.
    const QString typed = cmb_Porta->currentText();
    cmb_Porta->clear();
    for (const app::PortEntry& e : entries) {
        cmb_Porta->addItem(e.label, e.port);
        if (!e.description.isEmpty())
            cmb_Porta->setItemData(cmb_Porta->count() - 1, e.description, Qt::ToolTipRole);
    }
    cmb_Porta->setCurrentIndex(selected);
    if (selected < 0)
        cmb_Porta->setEditText(typed);
    // The open list is as wide as its longest entry: adapters are told apart by their ends
    // (maker, serial number).
    QAbstractItemView* view = cmb_Porta->view();
    view->setMinimumWidth(view->sizeHintForColumn(0) +
                          view->verticalScrollBar()->sizeHint().width() + 2 * view->frameWidth());
    // Long entries show their beginning, where the port name is.
    cmb_Porta->lineEdit()->setCursorPosition(0);
}

void Communication::setProgress(int done, int total) {
    bar->setValue(total > 0 ? int(qint64(done) * bar->maximum() / total) : 0);
}

void Communication::setStatus(const QString& text, bool problem) {
    lbl_status->setText(text);
    lbl_status->setStyleSheet(problem ? QStringLiteral("color: #b00020;") : QString());
}

void Communication::showReconnect(app::ReconnectOffer offer) {
    const bool lost = offer != app::ReconnectOffer::None;
    cmd_reconnect->setVisible(lost);
    cmd_reconnect->setEnabled(offer == app::ReconnectOffer::Ready);
    chk_autoreconnect->setVisible(lost);
}

void Communication::setLanguageFlag(int langIndex) {
    cmd_Lang->setIcon(Icon(langIndex == 1 ? Picture::FlagEnglish : Picture::FlagItalian));
}

} // namespace vantelso::gui
