#include "mprisplayeradaptor.h"

#include "mprisservice.h"

MprisPlayerAdaptor::MprisPlayerAdaptor(MprisService *service)
    : QDBusAbstractAdaptor(service)
    , m_service(service) {}

QString MprisPlayerAdaptor::playbackStatus() const {
    return m_service->playbackStatus();
}

QVariantMap MprisPlayerAdaptor::metadata() const {
    return m_service->metadata();
}

double MprisPlayerAdaptor::volume() const {
    return m_service->volume();
}

void MprisPlayerAdaptor::setVolume(double volume) {
    m_service->setVolume(volume);
}

void MprisPlayerAdaptor::Pause() {
    m_service->pause();
}

void MprisPlayerAdaptor::PlayPause() {
    m_service->playPause();
}

void MprisPlayerAdaptor::Stop() {
    m_service->stop();
}

void MprisPlayerAdaptor::Play() {
    m_service->play();
}

// A live station has no position to move to.
void MprisPlayerAdaptor::Seek(qlonglong) {}

void MprisPlayerAdaptor::SetPosition(const QDBusObjectPath &, qlonglong) {}

void MprisPlayerAdaptor::OpenUri(const QString &) {}
