#pragma once

#include <QDBusConnection>
#include <QNetworkInformation>
#include <QObject>

// Tells when what played may have been cut off from the outside: the machine woke up
// (systemd-logind's PrepareForSleep on the system bus) or the network came back. Without a
// system bus, logind or a network backend, it never tells.
class ResumeWatch : public QObject {
    Q_OBJECT

public:
    explicit ResumeWatch(const QDBusConnection &systemBus, QObject *parent = nullptr);

    // Loads the network backend, which asks the system bus as it starts.
    void watchNetwork();

Q_SIGNALS:
    void wokeUp();
    void networkBack();

private Q_SLOTS:
    void prepareForSleep(bool goingToSleep);

private:
    void reachabilityChanged(QNetworkInformation::Reachability now);

    QNetworkInformation::Reachability m_reachability = QNetworkInformation::Reachability::Unknown;
};
