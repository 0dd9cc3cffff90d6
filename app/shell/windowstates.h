#pragma once

#include "taskbarentry.h"

#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>

class QMenu;
class QWidget;
struct Settings;

// The main window's three states (normal, minimized, in the tray) and the
// tray icon that brings it back.
class WindowStates : public QObject {
    Q_OBJECT

public:
    // Mouse messages the tray reports for its icon.
    enum TrayMessage : qint32 {
        MouseMove = 512,
        LeftButtonDown = 513,
        LeftButtonDoubleClick = 515,
        RightButtonUp = 517,
        MiddleButtonDown = 519,
    };

    // mnuSystemTray stays the caller's; it is the icon's menu.
    WindowStates(QWidget *window, QMenu *mnuSystemTray, QObject *parent = nullptr);

    // The message an icon activation stands for. Hosts that cannot tell where
    // the icon is (StatusNotifierItem hosts) never report a double-click, so
    // their single left click is taken as one.
    static qint32 trayMessage(QSystemTrayIcon::ActivationReason reason, bool hostHasDoubleClick);

    // PonEnTray ("put in tray"): hides the window behind its tray icon.
    void PonEnTray();

    // A tray callback carrying the icon's mouse message.
    void Form_MouseMove(qint32 message);

    // Puts the window in the saved state after an auto-connecting start-up;
    // without auto-connect the window stays normal.
    void applyStartupState(const Settings &saved);

    // Removes the tray icon, if shown (closing, and the tray menu's exit).
    void deleteTrayIcon();

    bool isInTray() const { return m_inTray; }
    QSystemTrayIcon *trayIcon() const { return m_trayIcon; }
    const TaskbarEntry &taskbarEntry() const { return m_taskbarEntry; }

public Q_SLOTS:
    void cmdGoTray_Click();
    void cmdMinimizeApp_Click();
    void mnuWinOpen_Click();

private:
    void onActivated(QSystemTrayIcon::ActivationReason reason);
    void showFromTray();
    void showMenu();

    QPointer<QWidget> m_window;
    QPointer<QMenu> m_menu;
    QSystemTrayIcon *m_trayIcon;
    TaskbarEntry m_taskbarEntry;
    bool m_inTray = false;
    qint32 Mensaje = 0;
    bool Ocupado = false;
};
