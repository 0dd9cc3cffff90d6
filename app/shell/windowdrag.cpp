#include "windowdrag.h"

#include "twips.h"

#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

namespace {

constexpr float TopBand = 200; // twips

} // namespace

WindowDrag::WindowDrag(QWidget *window, QObject *parent)
    : QObject(parent)
    , m_window(window) {
    window->installEventFilter(this);
}

void WindowDrag::Form_MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, float x,
                                float y) {
    Q_UNUSED(shift);
    if (button != Qt::LeftButton || y > TopBand || !m_window)
        return;
    QWindow *handle = m_window->windowHandle();
    if (handle && handle->startSystemMove())
        return;
    // No window manager to move us: follow the pointer until the button is let go.
    const QPoint local(qRound(x / Twips::PerPixel), qRound(y / Twips::PerPixel));
    m_grabOffset = m_window->mapToGlobal(local) - m_window->pos();
    m_dragging = true;
}

bool WindowDrag::eventFilter(QObject *watched, QEvent *event) {
    if (watched != m_window)
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        const QPointF pos = mouse->position();
        Form_MouseDown(mouse->button(), mouse->modifiers(), float(pos.x() * Twips::PerPixel),
                       float(pos.y() * Twips::PerPixel));
        break;
    }
    case QEvent::MouseMove:
        if (m_dragging) {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            if (mouse->buttons() & Qt::LeftButton)
                m_window->move(mouse->globalPosition().toPoint() - m_grabOffset);
            else
                m_dragging = false;
        }
        break;
    case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
            m_dragging = false;
        break;
    default:
        break;
    }
    return false;
}
