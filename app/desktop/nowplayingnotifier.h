#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class Session;

// Tells the desktop's notification service what the station announces, and when a station
// cannot be played. The program keeps one notification, replaced in place each time. Titles
// are not told while the window is the active one: it shows them itself. Without a
// notification service nothing happens.
class NowPlayingNotifier : public QObject {
    Q_OBJECT

public:
    NowPlayingNotifier(const Session &session, std::function<bool()> windowActive,
                       const QDBusConnection &bus, QObject *parent = nullptr);

private:
    struct Note {
        QString summary;
        QString body;
    };

    void titleChanged(const QString &title);
    void soundChanged();
    void notify(const Note &note);
    void send(const Note &note);

    const Session &m_session;
    std::function<bool()> m_windowActive;
    QDBusConnection m_bus;
    // The service's number for our notification; 0 before the first.
    uint m_id = 0;
    bool m_sending = false;
    // What came while a note was on its way: only the newest is sent, once its number is known.
    std::optional<Note> m_waiting;
};
