#pragma once

#include "cataloguestation.h"
#include "settings.h"

#include <QObject>
#include <QString>

// What the program is doing, in one place. The controls change it through the handlers and
// show it; whoever needs to know of a change listens for its signal. A setter that changes
// nothing signals nothing.
class Session : public QObject {
    Q_OBJECT

public:
    // Whether the connected station is heard. The window shows none of it ("Cortar" stays);
    // the desktop does.
    enum class Sound {
        Expected, // playing, or on its way: nothing says otherwise
        Lost,     // it dropped and is being tried again
        Failed,   // nothing at its address can be played
    };
    Q_ENUM(Sound)

    explicit Session(QObject *parent = nullptr);

    // The settings as read at start-up.
    const Settings &saved() const { return m_saved; }
    void setSaved(const Settings &settings) { m_saved = settings; }

    // Cargando ("loading"): true for the whole of start-up.
    bool loading() const { return m_loading; }
    void setLoading(bool loading);

    // A connect is under way or went through; the connect image's border shows it. It is set
    // before the lookup, so a lookup that fails is seen with the border on and nothing else lit.
    // Setting it false also ends the time on air.
    bool connected() const { return m_connected; }
    void setConnected(bool connected);

    // The connect went through: the volume digits show the step and the status display turns.
    // Going on air also sets connected.
    bool onAir() const { return m_onAir; }
    void setOnAir(bool onAir);

    // PaisActual ("current country"): whose stations the station list shows.
    QString currentCountry() const { return m_currentCountry; }
    void setCurrentCountry(const QString &country);
    // RadioActual ("current station"): the one of the last connect attempt.
    QString currentStation() const { return m_currentStation; }
    void setCurrentStation(const QString &station);

    // The station and country of the last connect that went through, as the status display
    // and the desktop show them; empty before the first.
    QString shownCountry() const { return m_shownCountry; }
    QString shownStation() const { return m_shownStation; }
    void setShown(const QString &country, const QString &station);

    // The station the last lookup found; a lookup that finds none leaves it.
    const CatalogueStation &resolved() const { return m_resolved; }
    void setResolved(const CatalogueStation &station);

    // VolNum ("volume number"): the step 0..10.
    quint8 volumeStep() const { return m_volumeStep; }
    void setVolumeStep(quint8 step);

    // VolCol ("volume colour"): the colour set the digits show.
    DigitColour digitColour() const { return m_digitColour; }
    void setDigitColour(DigitColour colour);

    // The song title the connected station announces now.
    QString title() const { return m_title; }
    void setTitle(const QString &title);

    Sound sound() const { return m_sound; }
    // Why it failed, in a few words; empty unless it has.
    QString failure() const { return m_failure; }
    void setSound(Sound sound, const QString &failure = QString());

Q_SIGNALS:
    void loadingChanged(bool loading);
    void connectedChanged(bool connected);
    void onAirChanged(bool onAir);
    void currentCountryChanged(const QString &country);
    void currentStationChanged(const QString &station);
    void shownChanged();
    void resolvedChanged();
    void volumeStepChanged(int step);
    void digitColourChanged(DigitColour colour);
    void titleChanged(const QString &title);
    void soundChanged(Session::Sound sound);

private:
    Settings m_saved;
    bool m_loading = false;
    bool m_connected = false;
    bool m_onAir = false;
    QString m_currentCountry;
    QString m_currentStation;
    QString m_shownCountry;
    QString m_shownStation;
    CatalogueStation m_resolved;
    quint8 m_volumeStep = 0;
    DigitColour m_digitColour = DigitColour::Red;
    QString m_title;
    Sound m_sound = Sound::Expected;
    QString m_failure;
};
