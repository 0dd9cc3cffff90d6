#include "windowstates.h"

#include "settings.h"

#include <QCursor>
#include <QEventLoop>
#include <QMenu>
#include <QWidget>

using namespace Qt::StringLiterals;

namespace {

// The tray record's tip held 63 characters and its terminating zero.
constexpr qsizetype TipLength = 63;

} // namespace

WindowStates::WindowStates(QWidget *window, QMenu *mnuSystemTray, QObject *parent)
    : QObject(parent)
    , m_window(window)
    , m_menu(mnuSystemTray)
    , m_trayIcon(new QSystemTrayIcon(this))
    , m_taskbarEntry(window) {
    // StatusNotifierItem hosts show the menu themselves; on the X11 tray Qt
    // opens it on the right button and the message below waits for it.
    m_trayIcon->setContextMenu(mnuSystemTray);
    connect(m_trayIcon, &QSystemTrayIcon::activated, this, &WindowStates::onActivated);
}

qint32 WindowStates::trayMessage(QSystemTrayIcon::ActivationReason reason,
                                 bool hostHasDoubleClick) {
    switch (reason) {
    case QSystemTrayIcon::DoubleClick:
        return LeftButtonDoubleClick;
    case QSystemTrayIcon::Context:
        return RightButtonUp;
    case QSystemTrayIcon::Trigger:
        return hostHasDoubleClick ? LeftButtonDown : LeftButtonDoubleClick;
    case QSystemTrayIcon::MiddleClick:
        return MiddleButtonDown;
    default:
        return MouseMove;
    }
}

void WindowStates::PonEnTray() {
    if (!m_window)
        return;
    // Without a tray the window could never be found again: minimize instead.
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        m_window->showMinimized();
        return;
    }
    m_trayIcon->setIcon(m_window->windowIcon());
    m_trayIcon->setToolTip(m_window->windowTitle().left(TipLength));
    m_trayIcon->show();
    m_taskbarEntry.setListed(false);
    m_window->hide();
    m_inTray = true;
}

void WindowStates::Form_MouseMove(qint32 message) {
    // With the window shown this is an ordinary mouse move over it.
    if (!m_window || m_window->isVisible())
        return;
    Mensaje = message;
    // Drops messages arriving while the previous one is handled (the menu is open).
    if (Ocupado)
        return;
    Ocupado = true;
    switch (Mensaje) {
    case LeftButtonDoubleClick:
        showFromTray();
        break;
    case RightButtonUp:
        showMenu();
        break;
    default:
        break;
    }
    Ocupado = false;
}

void WindowStates::applyStartupState(const Settings &saved) {
    if (!saved.autoconnect || !m_window || !saved.status)
        return;
    if (*saved.status == StartState::Minimized)
        m_window->showMinimized();
    else if (*saved.status == StartState::InTray)
        PonEnTray();
}

void WindowStates::deleteTrayIcon() {
    m_trayIcon->hide();
}

void WindowStates::cmdGoTray_Click() {
    PonEnTray();
}

void WindowStates::cmdMinimizeApp_Click() {
    if (m_window)
        m_window->showMinimized();
}

void WindowStates::mnuWinOpen_Click() {
    showFromTray();
}

void WindowStates::onActivated(QSystemTrayIcon::ActivationReason reason) {
    // A host that knows no place for the icon is a StatusNotifierItem host.
    const bool hostHasDoubleClick = !m_trayIcon->geometry().isNull();
    Form_MouseMove(trayMessage(reason, hostHasDoubleClick));
}

void WindowStates::showFromTray() {
    deleteTrayIcon();
    if (!m_window)
        return;
    // Back in the task list too, or a later minimize would lose the window.
    m_taskbarEntry.setListed(true);
    m_inTray = false;
    m_taskbarEntry.mapNormalNextTime();
    // The window manager may have restored a minimized window behind the
    // toolkit's back; a stale minimized state would map it iconic, out of sight.
    m_window->setWindowState(m_window->windowState() & ~Qt::WindowMinimized);
    m_window->showNormal();
    m_window->raise();
    m_window->activateWindow();
}

void WindowStates::showMenu() {
    if (!m_menu || !m_window)
        return;
    // Brought to the foreground so that the menu takes the input.
    m_window->activateWindow();
    if (!m_menu->isVisible()) {
        m_menu->exec(QCursor::pos());
        return;
    }
    // Already opened by the tray itself: wait until it closes.
    QEventLoop loop;
    connect(m_menu, &QMenu::aboutToHide, &loop, &QEventLoop::quit);
    loop.exec();
}
