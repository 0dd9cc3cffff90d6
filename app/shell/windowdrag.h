#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>

class QWidget;

// Moves the frameless main window when it is dragged by its top band.
// Watches the window's own mouse presses (presses that its controls leave
// unhandled reach it too, as clicks through a shape did in the design).
class WindowDrag : public QObject {
    Q_OBJECT

public:
    explicit WindowDrag(QWidget *window, QObject *parent = nullptr);

    // x, y in twips from the top-left corner of the client area.
    void Form_MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, float x, float y);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<QWidget> m_window;
    bool m_dragging = false;
    QPoint m_grabOffset; // pointer position relative to the window's position
};
