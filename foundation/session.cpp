#include "session.h"

namespace {

// Assigns and tells whether anything changed.
template<typename T> bool assign(T &field, const T &value) {
    if (field == value)
        return false;
    field = value;
    return true;
}

} // namespace

Session::Session(QObject *parent)
    : QObject(parent) {}

void Session::setLoading(bool loading) {
    if (assign(m_loading, loading))
        Q_EMIT loadingChanged(loading);
}

void Session::setConnected(bool connected) {
    if (assign(m_connected, connected))
        Q_EMIT connectedChanged(connected);
    // The border goes off first, then the digits and the display: the order of the cut.
    if (!connected)
        setOnAir(false);
}

void Session::setOnAir(bool onAir) {
    if (onAir)
        setConnected(true);
    if (assign(m_onAir, onAir))
        Q_EMIT onAirChanged(onAir);
}

void Session::setCurrentCountry(const QString &country) {
    if (assign(m_currentCountry, country))
        Q_EMIT currentCountryChanged(country);
}

void Session::setCurrentStation(const QString &station) {
    if (assign(m_currentStation, station))
        Q_EMIT currentStationChanged(station);
}

void Session::setShown(const QString &country, const QString &station) {
    const bool countryChanged = assign(m_shownCountry, country);
    if (assign(m_shownStation, station) || countryChanged)
        Q_EMIT shownChanged();
}

void Session::setResolved(const CatalogueStation &station) {
    if (assign(m_resolved, station))
        Q_EMIT resolvedChanged();
}

void Session::setVolumeStep(quint8 step) {
    if (assign(m_volumeStep, step))
        Q_EMIT volumeStepChanged(step);
}

void Session::setDigitColour(DigitColour colour) {
    if (assign(m_digitColour, colour))
        Q_EMIT digitColourChanged(colour);
}

void Session::setTitle(const QString &title) {
    if (assign(m_title, title))
        Q_EMIT titleChanged(title);
}

void Session::setSound(Sound sound, const QString &failure) {
    m_failure = sound == Sound::Failed ? failure : QString();
    if (assign(m_sound, sound))
        Q_EMIT soundChanged(sound);
}
