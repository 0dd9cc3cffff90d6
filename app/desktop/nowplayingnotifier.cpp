#include "nowplayingnotifier.h"

#include "session.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

#include <utility>

using namespace Qt::StringLiterals;

namespace {

const QString AppName = u"Sintonet Valdren"_s;
const QString IconName = u"sintonet-valdren"_s;
// The desktop's default time on screen.
constexpr int DefaultTimeout = -1;

} // namespace

NowPlayingNotifier::NowPlayingNotifier(const Session &session, std::function<bool()> windowActive,
                                       const QDBusConnection &bus, QObject *parent)
    : QObject(parent)
    , m_session(session)
    , m_windowActive(std::move(windowActive))
    , m_bus(bus) {
    connect(&session, &Session::titleChanged, this, &NowPlayingNotifier::titleChanged);
    connect(&session, &Session::soundChanged, this, &NowPlayingNotifier::soundChanged);
}

void NowPlayingNotifier::titleChanged(const QString &title) {
    if (title.isEmpty() || !m_session.connected() || (m_windowActive && m_windowActive()))
        return;
    notify({m_session.shownStation(), title});
}

// The window goes on showing "Cortar" for a station that failed: the desktop is the only
// place that tells, whether the window is active or not. A station fails once per connect.
void NowPlayingNotifier::soundChanged() {
    if (m_session.sound() != Session::Sound::Failed || !m_session.connected())
        return;
    notify({u"No se puede reproducir «%1»"_s.arg(m_session.shownStation()), m_session.failure()});
}

void NowPlayingNotifier::notify(const Note &note) {
    if (!m_bus.isConnected())
        return;
    if (m_sending)
        m_waiting = note;
    else
        send(note);
}

void NowPlayingNotifier::send(const Note &note) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        u"org.freedesktop.Notifications"_s, u"/org/freedesktop/Notifications"_s,
        u"org.freedesktop.Notifications"_s, u"Notify"_s);
    const QVariantMap hints{{u"desktop-entry"_s, IconName}};
    call << AppName << m_id << IconName << note.summary << note.body << QStringList() << hints
         << DefaultTimeout;
    m_sending = true;
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher] {
        watcher->deleteLater();
        m_sending = false;
        const QDBusPendingReply<uint> reply = *watcher;
        if (reply.isValid())
            m_id = reply.value();
        if (m_waiting)
            send(*std::exchange(m_waiting, std::nullopt));
    });
}
