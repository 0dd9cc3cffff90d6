#include "streamplayer.h"

#include <QEvent>
#include <QTimer>
#include <QWindow>

StreamPlayer::StreamPlayer(const QString &name, VolumeScale scale, QWidget *parent)
    : QWidget(parent)
    , m_session(name, scale) {
    setObjectName(name);
    setFocusPolicy(Qt::ClickFocus);
    connect(&m_session, &EngineSession::stateChanged, this, &StreamPlayer::stateChanged);
    connect(&m_session, &EngineSession::nowPlayingChanged, this, &StreamPlayer::nowPlayingChanged);
}

void StreamPlayer::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    loadEngineOnceExposed();
}

// Shown while its window is being shown: the engine's library loads in the
// turn of the event loop after the window's first expose, which paints it.
// The engine itself is made by the first open(): of the two components
// usually one alone ever plays.
void StreamPlayer::loadEngineOnceExposed() {
    if (m_session.engineRequested())
        return;
    QWindow *handle = window()->windowHandle();
    if (!handle)
        return;
    if (handle->isExposed()) {
        QTimer::singleShot(0, this, [] { EngineSession::preloadLibrary(); });
    } else if (m_watchedWindow != handle) {
        if (m_watchedWindow)
            m_watchedWindow->removeEventFilter(this);
        m_watchedWindow = handle;
        handle->installEventFilter(this);
    }
}

bool StreamPlayer::eventFilter(QObject *watched, QEvent *event) {
    // Qt has already recorded the new state when the event reaches a filter.
    if (watched == m_watchedWindow && event->type() == QEvent::Expose &&
        m_watchedWindow->isExposed()) {
        m_watchedWindow->removeEventFilter(this);
        m_watchedWindow = nullptr;
        QTimer::singleShot(0, this, [] { EngineSession::preloadLibrary(); });
    }
    return QWidget::eventFilter(watched, event);
}
