#pragma once

#include <QPointer>

class QWidget;

// The main window's entry in the desktop's task list, through the window
// manager's skip-taskbar state, and how it is mapped again. Does nothing off X11.
class TaskbarEntry {
public:
    explicit TaskbarEntry(QWidget *window);

    void setListed(bool listed);

    // Whether the window currently carries the skip-taskbar state.
    bool isSkipped() const;

    // A minimize leaves the window asking to be mapped iconic, and a restore by the window
    // manager never takes that back: mapped again from the tray, the window would stay out of
    // sight. Asks for a normal map instead.
    void mapNormalNextTime();

private:
    QPointer<QWidget> m_window;
};
