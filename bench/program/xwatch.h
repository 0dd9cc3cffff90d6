#pragma once

#include <QObject>
#include <QRect>
#include <QTimer>

#include <cstdint>

struct xcb_connection_t;
class QSocketNotifier;

// Watches the X server for a program's window as another client would: when
// a top-level window of a given process is mapped, and when its contents are
// first drawn (the DAMAGE extension reports the drawing, a look at the pixels
// tells a drawn window from one only cleared to a single colour). It also
// clicks, as a user would, through the XTEST extension.
//
// Both extensions are spoken through libxcb's raw request interface, so that
// nothing beyond libxcb itself is needed.
class XWatch : public QObject {
    Q_OBJECT

public:
    XWatch();
    ~XWatch() override;

    // False, with the reason on standard error, when the display or an
    // extension is missing.
    bool isValid() const { return m_valid; }

    // Starts watching for the next top-level window of the process.
    void watchProcess(qint64 pid);
    // The monotonic clock in nanoseconds when the window was mapped, and when
    // its contents were first seen drawn; 0 until then.
    qint64 mappedAt() const { return m_mappedAt; }
    qint64 paintedAt() const { return m_paintedAt; }
    uint32_t window() const { return m_window; }
    // A window's rectangle on the screen; the watched one's by default.
    QRect windowRect(uint32_t window = 0);
    // How many colours a rectangle of the screen shows, counted up to enough.
    int colours(const QRect &screenRect, int enough = 8);
    // Puts a window above the others (there is no window manager to ask).
    void raise(uint32_t window);

    // A left click at a point of the screen: pointer moved there, pressed, released.
    void click(const QPoint &screenPoint);

    // Takes the events waiting; the socket notifier calls it too.
    void pump();

    static qint64 now();

private:
    bool queryExtensions();
    void handleMap(uint32_t window);
    void checkPainted();
    qint64 windowPid(uint32_t window);
    void fakeInput(uint8_t type, uint8_t detail, int16_t x, int16_t y);

    xcb_connection_t *m_connection = nullptr;
    QSocketNotifier *m_notifier = nullptr;
    QTimer m_backup;
    bool m_valid = false;
    uint32_t m_root = 0;
    uint32_t m_pidAtom = 0;
    uint8_t m_damageEvent = 0;

    qint64 m_pid = 0;
    uint32_t m_window = 0;
    uint32_t m_damage = 0;
    qint64 m_mappedAt = 0;
    qint64 m_paintedAt = 0;
};
