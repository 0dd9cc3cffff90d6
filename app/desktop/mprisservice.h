#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QVariantMap>

#include <functional>

class MediaControls;
class MprisObject;
class Session;

// The program as a media player on the session bus (MPRIS 2), so that the
// desktop's media keys, panels and playerctl can connect, cut and show what
// plays. It shows the session, and signals what changed once the handler that
// changed it has run.
class MprisService : public QObject {
    Q_OBJECT

public:
    static const QString ObjectPath;
    // The name a second running copy cannot take gets ".instance<pid>" added.
    static const QString BaseServiceName;
    static const QString PlayerInterface;

    MprisService(const Session &session, MediaControls &controls, QObject *parent = nullptr);
    ~MprisService() override;

    // Publishes the service. False, and nothing said, when there is no bus or
    // the bus refuses it: the program goes on without desktop controls.
    bool start(const QDBusConnection &bus = QDBusConnection::sessionBus());
    // The bus name held; empty when not published.
    QString serviceName() const { return m_serviceName; }

    // What the bus reads.
    QString playbackStatus();
    QVariantMap metadata();
    double volume();

    // What the bus asks for. Connecting and cutting run once the call has been
    // answered: the click they stand for may open a message box.
    void play();
    void pause();
    void playPause();
    void stop();
    void setVolume(double volume);
    void raise();

    // The volume of a step and the step nearest a volume (MPRIS volumes run 0..1).
    static double volumeOfStep(int step);
    static int stepOfVolume(double volume);

public Q_SLOTS:
    // Reads the session again and signals what changed since the last look;
    // calling it when nothing changed is harmless.
    void controlsChanged();

private:
    struct Snapshot {
        bool playing = false;
        QString station;
        QString country;
        QString title;
        int step = 0;
    };

    Snapshot read() const;
    static QVariantMap metadataOf(const Snapshot &snapshot, quint64 track);
    void afterAnswer(std::function<void()> action);
    void stopPublishing();
    void lookSoon();

    const Session &m_session;
    MediaControls &m_controls;
    QDBusConnection m_bus;
    MprisObject *m_object;
    QString m_serviceName;
    Snapshot m_last;
    // Numbers the tracks: a new station or title is a new track.
    quint64 m_track = 0;
    bool m_acting = false;
    bool m_lookPending = false;
};
