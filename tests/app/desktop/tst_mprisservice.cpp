#include "legacytext.h"
#include "mediacontrols.h"
#include "mprisservice.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QString PropertiesInterface = u"org.freedesktop.DBus.Properties"_s;
const QString RootInterface = u"org.mpris.MediaPlayer2"_s;

// Stands in for the window: the test is about what the bus maps onto it.
class StandInControls : public MediaControls {
public:
    bool isPlaying = false;
    QString stationName;
    QString countryName;
    QString title;
    int step = 10;

    int connectOrCutCalls = 0;
    QList<int> chosenSteps;
    int raises = 0;
    std::function<void()> whileConnecting;

    bool playing() const override { return isPlaying; }
    void connectOrCut() override {
        ++connectOrCutCalls;
        isPlaying = !isPlaying;
        if (whileConnecting)
            whileConnecting();
    }
    QString station() const override { return stationName; }
    QString country() const override { return countryName; }
    QString icyTitle() const override { return title; }
    int volumeStep() const override { return step; }
    void chooseVolumeStep(int chosen) override {
        chosenSteps.append(chosen);
        step = chosen;
    }
    void raiseWindow() override { ++raises; }
};

// A session bus of the test's own, with nothing to start on demand.
class PrivateBus {
public:
    ~PrivateBus() {
        m_daemon.kill();
        m_daemon.waitForFinished();
    }

    bool start() {
        const QString config = m_dir.filePath(u"session.conf"_s);
        QFile file(config);
        if (!file.open(QIODevice::WriteOnly))
            return false;
        file.write(u"<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration "
                   "1.0//EN\" \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                   "<busconfig><type>session</type><listen>unix:dir=%1</listen>"
                   "<auth>EXTERNAL</auth><policy context=\"default\">"
                   "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
                   "<allow own=\"*\"/></policy></busconfig>\n"_s.arg(m_dir.path())
                       .toUtf8());
        file.close();
        m_daemon.start(u"dbus-daemon"_s,
                       {u"--config-file="_s + config, u"--nofork"_s, u"--print-address=1"_s});
        while (!m_daemon.canReadLine()) {
            if (!m_daemon.waitForReadyRead(10000))
                return false;
        }
        address = QString::fromUtf8(m_daemon.readLine()).trimmed();
        return !address.isEmpty();
    }

    QString address;

private:
    QTemporaryDir m_dir;
    QProcess m_daemon;
};

class ChangeRecorder : public QObject {
    Q_OBJECT

public:
    QList<QVariantMap> changes;

public Q_SLOTS:
    void changed(const QString &interface, const QVariantMap &properties, const QStringList &) {
        if (interface == MprisService::PlayerInterface)
            changes.append(properties);
    }
};

QVariantMap asMap(const QVariant &value) {
    if (value.canConvert<QDBusArgument>())
        return qdbus_cast<QVariantMap>(value.value<QDBusArgument>());
    return value.toMap();
}

} // namespace

class TestMprisService : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<PrivateBus> m_bus;
    std::unique_ptr<QDBusConnection> m_client;
    int m_connections = 0;

    // Each service gets a connection of its own, apart from the client's, so
    // every call really crosses the bus.
    QDBusConnection newConnection() {
        return QDBusConnection::connectToBus(m_bus->address, u"service%1"_s.arg(++m_connections));
    }

    // The service answers on this same thread: wait with the event loop running.
    QDBusMessage call(const QString &service, const QString &interface, const QString &method,
                      const QVariantList &arguments = {}) {
        QDBusMessage message =
            QDBusMessage::createMethodCall(service, MprisService::ObjectPath, interface, method);
        message.setArguments(arguments);
        QDBusPendingCallWatcher watcher(m_client->asyncCall(message));
        QSignalSpy finished(&watcher, &QDBusPendingCallWatcher::finished);
        if (!watcher.isFinished())
            finished.wait(10000);
        return watcher.reply();
    }

    QVariant property(const QString &service, const QString &interface, const QString &name) {
        const QDBusMessage reply = call(service, PropertiesInterface, u"Get"_s, {interface, name});
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return {};
        return reply.arguments().constFirst().value<QDBusVariant>().variant();
    }

    bool watch(const QString &service, ChangeRecorder *recorder) {
        return m_client->connect(service, MprisService::ObjectPath, PropertiesInterface,
                                 u"PropertiesChanged"_s, recorder,
                                 SLOT(changed(QString, QVariantMap, QStringList)));
    }

    QString playerctl(const QStringList &arguments) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, m_bus->address);
        process.setProcessEnvironment(environment);
        QSignalSpy finished(&process, &QProcess::finished);
        process.start(u"playerctl"_s, QStringList{u"--player=sintonetvaldren"_s} + arguments);
        if (!finished.wait(10000))
            return u"(no answer)"_s;
        return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    }

private Q_SLOTS:
    void initTestCase() {
        if (QStandardPaths::findExecutable(u"dbus-daemon"_s).isEmpty())
            QSKIP("dbus-daemon is not installed");
        m_bus = std::make_unique<PrivateBus>();
        QVERIFY(m_bus->start());
        m_client = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(m_bus->address, u"client"_s));
        QVERIFY(m_client->isConnected());
    }

    void cleanupTestCase() {
        m_client.reset();
        m_bus.reset();
    }

    void appearsUnderItsNameWithWhoItIs() {
        StandInControls controls;
        MprisService service(controls);
        QVERIFY(service.start(newConnection()));
        QCOMPARE(service.serviceName(), MprisService::BaseServiceName);
        QTRY_VERIFY(m_client->interface()->isServiceRegistered(MprisService::BaseServiceName));

        const QString name = service.serviceName();
        QCOMPARE(property(name, RootInterface, u"Identity"_s).toString(), u"Sintonet Valdren"_s);
        QCOMPARE(property(name, RootInterface, u"DesktopEntry"_s).toString(),
                 u"sintonet-valdren"_s);

        call(name, RootInterface, u"Raise"_s);
        QCOMPARE(controls.raises, 1);

        // A second running copy still shows, under a name of its own.
        StandInControls otherControls;
        MprisService other(otherControls);
        QVERIFY(other.start(newConnection()));
        QVERIFY(other.serviceName().startsWith(MprisService::BaseServiceName + u".instance"_s));
    }

    void playAndStopRunTheConnectActionAsAClickWould() {
        if (QStandardPaths::findExecutable(u"playerctl"_s).isEmpty())
            QSKIP("playerctl is not installed");
        StandInControls controls;
        controls.stationName = u"Radio Nacional"_s;
        MprisService service(controls);
        QVERIFY(service.start(newConnection()));

        QCOMPARE(playerctl({u"status"_s}), u"Stopped"_s);
        playerctl({u"play"_s});
        QTRY_COMPARE(controls.connectOrCutCalls, 1);
        QCOMPARE(playerctl({u"status"_s}), u"Playing"_s);
        // Playing already: a second play must not cut.
        playerctl({u"play"_s});
        QCOMPARE(playerctl({u"status"_s}), u"Playing"_s);
        QCOMPARE(controls.connectOrCutCalls, 1);

        playerctl({u"stop"_s});
        QTRY_COMPARE(controls.connectOrCutCalls, 2);
        QCOMPARE(playerctl({u"status"_s}), u"Stopped"_s);
        playerctl({u"pause"_s});
        QCOMPARE(playerctl({u"status"_s}), u"Stopped"_s);
        QCOMPARE(controls.connectOrCutCalls, 2);

        playerctl({u"play-pause"_s});
        QTRY_COMPARE(controls.connectOrCutCalls, 3);
        QVERIFY(controls.isPlaying);
        playerctl({u"pause"_s});
        QTRY_COMPARE(controls.connectOrCutCalls, 4);
        QVERIFY(!controls.isPlaying);
    }

    void requestsWhileAClickIsRunningAreDropped() {
        StandInControls controls;
        MprisService service(controls);
        QVERIFY(service.start(newConnection()));
        // The connect action shows a message box: its event loop runs while
        // another request comes in.
        bool nested = false;
        controls.whileConnecting = [&] {
            if (nested)
                return;
            nested = true;
            call(service.serviceName(), MprisService::PlayerInterface, u"PlayPause"_s);
            QEventLoop box;
            QTimer::singleShot(0, &box, &QEventLoop::quit);
            box.exec();
        };
        call(service.serviceName(), MprisService::PlayerInterface, u"Play"_s);
        QTRY_VERIFY(nested);
        QCoreApplication::processEvents();
        QCOMPARE(controls.connectOrCutCalls, 1);
        QVERIFY(controls.isPlaying);
    }

    void metadataFollowsTheStationAndItsTitle() {
        StandInControls controls;
        MprisService service(controls);
        QVERIFY(service.start(newConnection()));
        const QString name = service.serviceName();
        ChangeRecorder recorder;
        QVERIFY(watch(name, &recorder));

        // Nothing connected yet: no track.
        QVariantMap metadata = asMap(property(name, MprisService::PlayerInterface, u"Metadata"_s));
        QCOMPARE(metadata.value(u"mpris:trackid"_s).value<QDBusObjectPath>().path(),
                 u"/org/mpris/MediaPlayer2/TrackList/NoTrack"_s);
        QVERIFY(!metadata.contains(u"xesam:title"_s));

        controls.isPlaying = true;
        controls.stationName = u"Radio Nacional"_s;
        controls.countryName = u"España"_s;
        service.controlsChanged();
        QTRY_COMPARE(recorder.changes.size(), 1);
        QCOMPARE(recorder.changes[0].value(u"PlaybackStatus"_s).toString(), u"Playing"_s);
        metadata = asMap(recorder.changes[0].value(u"Metadata"_s));
        QCOMPARE(metadata.value(u"xesam:title"_s).toString(), u"Radio Nacional"_s);
        QCOMPARE(metadata.value(u"xesam:artist"_s).toStringList(),
                 QStringList{u"Radio Nacional"_s});
        QCOMPARE(metadata.value(u"xesam:album"_s).toString(), u"España"_s);
        const QString stationTrack =
            metadata.value(u"mpris:trackid"_s).value<QDBusObjectPath>().path();
        QVERIFY(!stationTrack.isEmpty());
        QVERIFY(!stationTrack.startsWith(u"/org/mpris/"_s));

        // The station announces a title sent in Windows-1252.
        controls.title = LegacyText::decode("Canci\xf3n de la ma\xf1\x61na \x96 Orquesta");
        service.controlsChanged();
        QTRY_COMPARE(recorder.changes.size(), 2);
        QCOMPARE(recorder.changes[1].keys(), QStringList{u"Metadata"_s});
        metadata = asMap(recorder.changes[1].value(u"Metadata"_s));
        QCOMPARE(metadata.value(u"xesam:title"_s).toString(), u"Canción de la mañana – Orquesta"_s);
        QCOMPARE(metadata.value(u"xesam:artist"_s).toStringList(),
                 QStringList{u"Radio Nacional"_s});
        QVERIFY(metadata.value(u"mpris:trackid"_s).value<QDBusObjectPath>().path() != stationTrack);
        if (!QStandardPaths::findExecutable(u"playerctl"_s).isEmpty()) {
            QCOMPARE(playerctl({u"metadata"_s, u"--format"_s, u"{{title}}|{{artist}}|{{album}}"_s}),
                     u"Canción de la mañana – Orquesta|Radio Nacional|España"_s);
        }

        // Looking again with nothing changed says nothing.
        service.controlsChanged();
        controls.title.clear();
        service.controlsChanged();
        QTRY_COMPARE(recorder.changes.size(), 3);
        metadata = asMap(recorder.changes[2].value(u"Metadata"_s));
        QCOMPARE(metadata.value(u"xesam:title"_s).toString(), u"Radio Nacional"_s);

        // A change nobody reported is still read right.
        controls.isPlaying = false;
        QCOMPARE(property(name, MprisService::PlayerInterface, u"PlaybackStatus"_s).toString(),
                 u"Stopped"_s);
    }

    void volumeChoosesTheTrayVolumeStep() {
        StandInControls controls;
        controls.step = 10;
        MprisService service(controls);
        QVERIFY(service.start(newConnection()));
        const QString name = service.serviceName();
        ChangeRecorder recorder;
        QVERIFY(watch(name, &recorder));
        QCOMPARE(property(name, MprisService::PlayerInterface, u"Volume"_s).toDouble(), 1.0);

        const auto setVolume = [&](double volume) {
            return call(name, PropertiesInterface, u"Set"_s,
                        {MprisService::PlayerInterface, u"Volume"_s,
                         QVariant::fromValue(QDBusVariant(volume))});
        };
        QCOMPARE(setVolume(0.37).type(), QDBusMessage::ReplyMessage);
        QCOMPARE(controls.chosenSteps, QList<int>{4});
        QCOMPARE(property(name, MprisService::PlayerInterface, u"Volume"_s).toDouble(), 0.4);
        QTRY_COMPARE(recorder.changes.size(), 1);
        QCOMPARE(recorder.changes[0].value(u"Volume"_s).toDouble(), 0.4);

        // Beyond the ends: the loudest step and "Silencio".
        setVolume(1.5);
        setVolume(-0.2);
        QCOMPARE(controls.chosenSteps, (QList<int>{4, 10, 0}));

        // A step chosen in the window is told too.
        controls.step = 7;
        service.controlsChanged();
        QTRY_COMPARE(recorder.changes.size(), 4);
        QCOMPARE(recorder.changes[3].value(u"Volume"_s).toDouble(), 0.7);
    }

    void withoutABusTheProgramGoesOnSilently() {
        QTest::failOnWarning(QRegularExpression(u".*"_s));
        StandInControls controls;
        MprisService service(controls);
        QVERIFY(!service.start(
            QDBusConnection::connectToBus(u"unix:path=/nonexistent/bus"_s, u"nobus"_s)));
        QVERIFY(service.serviceName().isEmpty());
        controls.isPlaying = true;
        service.controlsChanged();
    }
};

QTEST_GUILESS_MAIN(TestMprisService)
#include "tst_mprisservice.moc"
