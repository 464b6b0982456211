#pragma once

#include <QWidget>

namespace vantelso::gui {

// The activity lamp: a round light in a packed red-green-blue colour (red in the low byte).
class Lamp : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int colourValue READ colourValue WRITE setColourValue)
public:
    explicit Lamp(QWidget* parent = nullptr);

    int colourValue() const { return m_colour; }
    void setColourValue(int packed);
    QSize sizeHint() const override { return {22, 22}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_colour = 0;
};

} // namespace vantelso::gui
