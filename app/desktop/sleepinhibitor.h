#pragma once

#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>
#include <QObject>

class Session;

// Keeps the machine from going to sleep while a station plays, through systemd-logind's
// "sleep" inhibitor on the system bus. The lock is the descriptor logind hands out: holding
// it holds the machine awake, closing it lets go, and the system closes it at any end of the
// program. Without a system bus or logind nothing happens.
class SleepInhibitor : public QObject {
    Q_OBJECT

public:
    SleepInhibitor(const Session &session, const QDBusConnection &systemBus,
                   QObject *parent = nullptr);

    bool held() const { return m_lock.isValid(); }

private:
    bool wanted() const;
    void update();

    const Session &m_session;
    QDBusConnection m_bus;
    QDBusUnixFileDescriptor m_lock;
    bool m_asking = false;
};
