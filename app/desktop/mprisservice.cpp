#include "mprisservice.h"

#include "mediacontrols.h"
#include "mprisobject.h"
#include "session.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>

#include <cmath>

using namespace Qt::StringLiterals;

const QString MprisService::ObjectPath = u"/org/mpris/MediaPlayer2"_s;
const QString MprisService::BaseServiceName = u"org.mpris.MediaPlayer2.sintonetvaldren"_s;
const QString MprisService::PlayerInterface = u"org.mpris.MediaPlayer2.Player"_s;

namespace {

constexpr int LoudestStep = 10;
// Outside /org/mpris, which only the MPRIS interfaces may use.
const QString TrackPathPrefix = u"/org/sintonetvaldren/Track/"_s;
const QString NoTrackPath = u"/org/mpris/MediaPlayer2/TrackList/NoTrack"_s;

} // namespace

MprisService::MprisService(const Session &session, MediaControls &controls, QObject *parent)
    : QObject(parent)
    , m_session(session)
    , m_controls(controls)
    , m_bus(QString())
    , m_object(new MprisObject(*this)) {
    connect(&session, &Session::connectedChanged, this, &MprisService::lookSoon);
    connect(&session, &Session::shownChanged, this, &MprisService::lookSoon);
    connect(&session, &Session::titleChanged, this, &MprisService::lookSoon);
    connect(&session, &Session::volumeStepChanged, this, &MprisService::lookSoon);
    connect(&session, &Session::soundChanged, this, &MprisService::lookSoon);
}

// A click changes several things in turn; the desktop hears of them together, once the
// handler is done.
void MprisService::lookSoon() {
    if (m_lookPending)
        return;
    m_lookPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_lookPending = false;
            controlsChanged();
        },
        Qt::QueuedConnection);
}

MprisService::~MprisService() {
    stopPublishing();
}

bool MprisService::start(const QDBusConnection &bus) {
    stopPublishing();
    if (!bus.isConnected())
        return false;
    m_bus = bus;
    m_last = read();
    m_track = 1;
    // The object first, so that whoever sees the name appear finds it there.
    if (!m_bus.registerVirtualObject(ObjectPath, m_object))
        return false;
    const QString instance =
        BaseServiceName + u".instance"_s + QString::number(QCoreApplication::applicationPid());
    for (const QString &name : {BaseServiceName, instance}) {
        if (m_bus.registerService(name)) {
            m_serviceName = name;
            return true;
        }
    }
    m_bus.unregisterObject(ObjectPath);
    return false;
}

void MprisService::stopPublishing() {
    if (!m_bus.isConnected())
        return;
    if (!m_serviceName.isEmpty())
        m_bus.unregisterService(m_serviceName);
    m_bus.unregisterObject(ObjectPath);
    m_serviceName.clear();
}

MprisService::Snapshot MprisService::read() const {
    Snapshot now;
    // "Cortar" shows while a failed station is silent, or one that dropped is tried again;
    // the desktop hears only what is played.
    now.playing = m_session.connected() && m_session.sound() == Session::Sound::Expected;
    now.station = m_session.shownStation();
    now.country = m_session.shownCountry();
    now.title = now.playing ? m_session.title() : QString();
    now.step = qBound(0, int(m_session.volumeStep()), LoudestStep);
    return now;
}

void MprisService::controlsChanged() {
    const Snapshot now = read();
    QVariantMap changed;
    if (now.playing != m_last.playing)
        changed.insert(u"PlaybackStatus"_s, now.playing ? u"Playing"_s : u"Stopped"_s);
    if (now.station != m_last.station || now.country != m_last.country ||
        now.title != m_last.title) {
        ++m_track;
        changed.insert(u"Metadata"_s, metadataOf(now, m_track));
    }
    if (now.step != m_last.step)
        changed.insert(u"Volume"_s, volumeOfStep(now.step));
    m_last = now;
    if (changed.isEmpty() || m_serviceName.isEmpty())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(
        ObjectPath, u"org.freedesktop.DBus.Properties"_s, u"PropertiesChanged"_s);
    signal << PlayerInterface << changed << QStringList();
    m_bus.send(signal);
}

QVariantMap MprisService::metadataOf(const Snapshot &snapshot, quint64 track) {
    QVariantMap map;
    const QString title = snapshot.title.isEmpty() ? snapshot.station : snapshot.title;
    if (title.isEmpty()) {
        map.insert(u"mpris:trackid"_s, QVariant::fromValue(QDBusObjectPath(NoTrackPath)));
        return map;
    }
    map.insert(u"mpris:trackid"_s,
               QVariant::fromValue(QDBusObjectPath(TrackPathPrefix + QString::number(track))));
    map.insert(u"xesam:title"_s, title);
    if (!snapshot.station.isEmpty())
        map.insert(u"xesam:artist"_s, QStringList{snapshot.station});
    if (!snapshot.country.isEmpty())
        map.insert(u"xesam:album"_s, snapshot.country);
    return map;
}

// The getters look again first, so that they answer with the session as it is now.
QString MprisService::playbackStatus() {
    controlsChanged();
    return m_last.playing ? u"Playing"_s : u"Stopped"_s;
}

QVariantMap MprisService::metadata() {
    controlsChanged();
    return metadataOf(m_last, m_track);
}

double MprisService::volume() {
    controlsChanged();
    return volumeOfStep(m_last.step);
}

double MprisService::volumeOfStep(int step) {
    return qBound(0, step, LoudestStep) / double(LoudestStep);
}

int MprisService::stepOfVolume(double volume) {
    if (std::isnan(volume) || volume <= 0)
        return 0;
    if (volume >= 1)
        return LoudestStep;
    return int(std::lround(volume * LoudestStep));
}

void MprisService::afterAnswer(std::function<void()> action) {
    QMetaObject::invokeMethod(
        this,
        [this, action] {
            // A message box left open by the last click keeps an event loop
            // running: requests arriving meanwhile are dropped, as clicks on
            // the blocked window would be.
            if (m_acting)
                return;
            m_acting = true;
            action();
            m_acting = false;
            controlsChanged();
        },
        Qt::QueuedConnection);
}

void MprisService::play() {
    afterAnswer([this] {
        if (!m_session.connected())
            m_controls.connectOrCut();
    });
}

void MprisService::pause() {
    afterAnswer([this] {
        if (m_session.connected())
            m_controls.connectOrCut();
    });
}

void MprisService::playPause() {
    afterAnswer([this] { m_controls.connectOrCut(); });
}

void MprisService::stop() {
    pause();
}

void MprisService::setVolume(double volume) {
    m_controls.chooseVolumeStep(stepOfVolume(volume));
    controlsChanged();
}

void MprisService::raise() {
    m_controls.raiseWindow();
}
