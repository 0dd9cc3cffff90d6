#include "resumewatch.h"

using namespace Qt::StringLiterals;

ResumeWatch::ResumeWatch(const QDBusConnection &systemBus, QObject *parent)
    : QObject(parent) {
    QDBusConnection bus = systemBus;
    bus.connect(u"org.freedesktop.login1"_s, u"/org/freedesktop/login1"_s,
                u"org.freedesktop.login1.Manager"_s, u"PrepareForSleep"_s, this,
                SLOT(prepareForSleep(bool)));
}

void ResumeWatch::prepareForSleep(bool goingToSleep) {
    if (!goingToSleep)
        Q_EMIT wokeUp();
}

void ResumeWatch::watchNetwork() {
    if (!QNetworkInformation::loadBackendByFeatures(QNetworkInformation::Feature::Reachability))
        return;
    QNetworkInformation *information = QNetworkInformation::instance();
    m_reachability = information->reachability();
    connect(information, &QNetworkInformation::reachabilityChanged, this,
            &ResumeWatch::reachabilityChanged);
}

// Only a way back out counts: the first report, or a change between two kinds of being
// offline, brings nothing back.
void ResumeWatch::reachabilityChanged(QNetworkInformation::Reachability now) {
    using Reachability = QNetworkInformation::Reachability;
    const bool wasOut = m_reachability == Reachability::Disconnected ||
                        m_reachability == Reachability::Local ||
                        m_reachability == Reachability::Site;
    m_reachability = now;
    if (wasOut && now == Reachability::Online)
        Q_EMIT networkBack();
}
