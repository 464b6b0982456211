#include "frm5035.h"

#include "calibrationrun.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace vantelso::gui {

Frm5035::Frm5035(bench::CalibrationRun* run, QWidget* parent) : QWidget(parent), m_run(run) {
    setObjectName(QStringLiteral("Frm_5035"));
    setWindowTitle(QStringLiteral("RSX5035"));
    auto* top = new QVBoxLayout(this);
    const char* titles[] = {"Taratura", "Programmazione dopo taratura"};
    for (int frame = 0; frame < 2; ++frame) {
        auto* box = new QGroupBox(QString::fromUtf8(titles[frame]));
        box->setObjectName(frame == 0 ? QStringLiteral("fra_taratura")
                                      : QStringLiteral("fra_programmazione"));
        auto* grid = new QGridLayout(box);
        for (int position : {1, 2}) {
            Row& row = m_rows[std::size_t(frame)][std::size_t(position - 1)];
            const QString n = QString::number(position);
            row.box = new QCheckBox;
            // The box mirrors the flag; only the buttons change it.
            row.box->setAttribute(Qt::WA_TransparentForMouseEvents);
            row.box->setFocusPolicy(Qt::NoFocus);
            row.enable = new QPushButton(QStringLiteral("Abilita dispositivo ") + n);
            row.disable = new QPushButton(QStringLiteral("Disabilita dispositivo ") + n);
            const QString suffix = QStringLiteral("_%1_%2").arg(frame).arg(position);
            row.box->setObjectName(QStringLiteral("chk_abilita") + suffix);
            row.enable->setObjectName(QStringLiteral("cmd_abilita") + suffix);
            row.disable->setObjectName(QStringLiteral("cmd_disabilita") + suffix);
            grid->addWidget(row.box, position - 1, 0);
            grid->addWidget(row.enable, position - 1, 1);
            grid->addWidget(row.disable, position - 1, 2);
            connect(row.enable, &QPushButton::clicked, this,
                    [this, frame, position] { setFlag(frame, position, true); });
            connect(row.disable, &QPushButton::clicked, this,
                    [this, frame, position] { setFlag(frame, position, false); });
        }
        m_frames[std::size_t(frame)] = box;
        top->addWidget(box);
    }
    auto* wired = new QHBoxLayout;
    for (int position : {1, 2}) {
        auto* label = new QLabel(QStringLiteral("Dispositivo %1").arg(position));
        label->setObjectName(QStringLiteral("lbl_posizione_%1").arg(position));
        label->setAlignment(Qt::AlignCenter);
        label->setMinimumHeight(24);
        m_positions[std::size_t(position - 1)] = label;
        wired->addWidget(label);
    }
    top->addLayout(wired);
    m_menuButton = new QPushButton(QString::fromUtf8("Imposta Menù  Programmazione"));
    m_menuButton->setObjectName(QStringLiteral("cmd_menu"));
    connect(m_menuButton, &QPushButton::clicked, this, &Frm5035::programmingMenuRequested);
    top->addWidget(m_menuButton);

    connect(m_run, &bench::CalibrationRun::positionsChanged, this, &Frm5035::refresh);
    // While a run works on the wired position, which positions it calibrates is settled.
    connect(m_run, &bench::CalibrationRun::runningChanged, this,
            [this](bool running) { m_frames[0]->setEnabled(!running); });
    refresh();
}

QPushButton* Frm5035::enableButton(int frame, int position) const {
    return m_rows[std::size_t(frame)][std::size_t(position - 1)].enable;
}

QPushButton* Frm5035::disableButton(int frame, int position) const {
    return m_rows[std::size_t(frame)][std::size_t(position - 1)].disable;
}

QCheckBox* Frm5035::flagBox(int frame, int position) const {
    return m_rows[std::size_t(frame)][std::size_t(position - 1)].box;
}

QLabel* Frm5035::positionLabel(int position) const {
    return m_positions[std::size_t(position - 1)];
}

void Frm5035::setFlag(int frame, int position, bool on) {
    if (frame == 0)
        m_run->positions.setCalibrate(position, on);
    else
        m_run->positions.setProgram(position, on);
    refresh();
}

void Frm5035::refresh() {
    const bench::SingleModelTool& t = m_run->positions;
    for (std::size_t frame = 0; frame < 2; ++frame) {
        for (std::size_t p = 0; p < 2; ++p) {
            const bool on = frame == 0 ? t.calibrate[p] : t.program[p];
            const Row& row = m_rows[frame][p];
            row.box->setChecked(on);
            row.enable->setEnabled(!on);
            row.disable->setEnabled(on);
        }
    }
    for (int position : {1, 2}) {
        m_positions[std::size_t(position - 1)]->setStyleSheet(
            t.wired == position ? QStringLiteral("background:#00ff00;")
                                : QStringLiteral("background:#ffffff;"));
    }
}

} // namespace vantelso::gui
