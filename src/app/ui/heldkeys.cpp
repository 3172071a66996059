#include "app/ui/heldkeys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWindow>

namespace marvono {

HeldKeys::HeldKeys(QWidget* window) : QObject(window), m_window(window) {}

HeldKeys::~HeldKeys()
{
    if (m_holding)
        qApp->removeEventFilter(this);
}

void HeldKeys::hold()
{
    if (m_holding)
        return;
    m_focus = m_window->focusWidget();
    m_wasActive = QApplication::activeWindow() != nullptr;
    m_holding = true;
    // The keys reach the window first and then the widget with the focus; both are watched.
    qApp->installEventFilter(this);
}

void HeldKeys::release()
{
    if (!m_holding)
        return;
    m_holding = false;
    qApp->removeEventFilter(this);
    const std::vector<std::unique_ptr<QKeyEvent>> keys = std::move(m_keys);
    m_keys.clear();
    // Another of the program's windows may have been activated meanwhile: it keeps the keyboard.
    if (m_wasActive && !QApplication::activeWindow() && m_window->isVisible())
        m_window->activateWindow();
    if (!m_focus || !m_focus->isEnabled() || !m_focus->isVisible())
        return;
    m_focus->setFocus(Qt::OtherFocusReason);
    for (const auto& key : keys) {
        // A key may close or move what it was typed into (an Enter that sells).
        if (!m_focus)
            break;
        QCoreApplication::sendEvent(m_focus, key.get());
    }
}

bool HeldKeys::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
        return false;
    const bool ours = watched == m_window->windowHandle() ||
                      (watched->isWidgetType() && static_cast<QWidget*>(watched)->window() == m_window);
    if (!ours || !m_focus || m_window->isEnabled())
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    m_keys.push_back(std::make_unique<QKeyEvent>(key->type(), key->key(), key->modifiers(), key->nativeScanCode(),
                                                 key->nativeVirtualKey(), key->nativeModifiers(), key->text(),
                                                 key->isAutoRepeat(), key->count()));
    return true;
}

} // namespace marvono
