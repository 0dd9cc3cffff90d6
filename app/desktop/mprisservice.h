#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QVariantMap>

#include <functional>

class MediaControls;
class MprisObject;

// The program as a media player on the session bus (MPRIS 2), so that the
// desktop's media keys, panels and playerctl can connect, cut and show what
// plays. It holds no state of its own: it reads the controls and signals
// whatever changed since it last looked.
class MprisService : public QObject {
    Q_OBJECT

public:
    static const QString ObjectPath;
    // The name a second running copy cannot take gets ".instance<pid>" added.
    static const QString BaseServiceName;
    static const QString PlayerInterface;

    explicit MprisService(MediaControls &controls, QObject *parent = nullptr);
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
    // Reads the controls again and signals what changed. Call it after
    // anything that may change the connected state, the station, the title
    // it announces or the volume step; calling it when nothing changed is harmless.
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

    MediaControls &m_controls;
    QDBusConnection m_bus;
    MprisObject *m_object;
    QString m_serviceName;
    Snapshot m_last;
    // Numbers the tracks: a new station or title is a new track.
    quint64 m_track = 0;
    bool m_acting = false;
};
