#include "sleepinhibitor.h"

#include "session.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

using namespace Qt::StringLiterals;

SleepInhibitor::SleepInhibitor(const Session &session, const QDBusConnection &systemBus,
                               QObject *parent)
    : QObject(parent)
    , m_session(session)
    , m_bus(systemBus) {
    connect(&session, &Session::connectedChanged, this, &SleepInhibitor::update);
    connect(&session, &Session::soundChanged, this, &SleepInhibitor::update);
}

// A station being tried again after a drop still counts: it is meant to be heard.
bool SleepInhibitor::wanted() const {
    return m_session.connected() && m_session.sound() != Session::Sound::Failed;
}

void SleepInhibitor::update() {
    if (!wanted()) {
        m_lock = QDBusUnixFileDescriptor();
        return;
    }
    if (held() || m_asking || !m_bus.isConnected())
        return;
    QDBusMessage call =
        QDBusMessage::createMethodCall(u"org.freedesktop.login1"_s, u"/org/freedesktop/login1"_s,
                                       u"org.freedesktop.login1.Manager"_s, u"Inhibit"_s);
    call << u"sleep"_s << u"Sintonet Valdren"_s << u"Reproduciendo radio"_s << u"block"_s;
    m_asking = true;
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher] {
        // The reply holds a copy of the descriptor: it must go too for the lock to be let go.
        watcher->deleteLater();
        m_asking = false;
        const QDBusPendingReply<QDBusUnixFileDescriptor> reply = *watcher;
        if (reply.isValid() && wanted())
            m_lock = reply.value();
    });
}
