#pragma once

#include "switchcodec.h"

#include <QWidget>

namespace vantelso::gui {

// The picture of the device's DIP-switch banks: per bank its title, eight switch bodies
// whose slider sits up (ON) or down (OFF), and the switch numbers 1 to 8 below.
class DipBanks : public QWidget {
    Q_OBJECT
public:
    explicit DipBanks(QWidget* parent = nullptr);

    void show(switches::SwitchBytes bytes, int banks);
    // Whether switch i (0..7) of bank b (0..2) is drawn ON.
    bool isOn(int bank, int i) const { return (m_bytes.bank(bank) >> i) & 1; }
    int banks() const { return m_banks; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    switches::SwitchBytes m_bytes;
    int m_banks = 3;
};

} // namespace vantelso::gui
