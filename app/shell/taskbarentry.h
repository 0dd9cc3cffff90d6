#pragma once

#include <QPointer>

class QWidget;

// The main window's entry in the desktop's task list, through the window
// manager's skip-taskbar state. Does nothing off X11.
class TaskbarEntry {
public:
    explicit TaskbarEntry(QWidget *window);

    void setListed(bool listed);

    // Whether the window currently carries the skip-taskbar state.
    bool isSkipped() const;

private:
    QPointer<QWidget> m_window;
};
