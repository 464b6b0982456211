#include "hideuntilexit.h"

#include <QCloseEvent>

namespace vantelso::gui {

namespace {

class HideFilter : public QObject {
public:
    HideFilter(QWidget* window, std::function<bool()> exiting, std::function<void()> hide)
        : QObject(window), m_exiting(std::move(exiting)), m_hide(std::move(hide)) {
        if (!m_hide)
            m_hide = [window] { window->hide(); };
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::Close || (m_exiting && m_exiting()))
            return false;
        event->ignore();
        m_hide();
        return true;
    }

private:
    std::function<bool()> m_exiting;
    std::function<void()> m_hide;
};

} // namespace

void HideUntilExit(QWidget* window, std::function<bool()> exiting, std::function<void()> hide) {
    window->installEventFilter(new HideFilter(window, std::move(exiting), std::move(hide)));
}

} // namespace vantelso::gui
