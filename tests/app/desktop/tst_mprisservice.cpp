#include "mediacontrols.h"
#include "mprisservice.h"
#include "privatebus.h"
#include "session.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QEventLoop>
#include <QTimer>

#include <functional>
#include <optional>

namespace {

const QString Properties = u"org.freedesktop.DBus.Properties"_s;
const QString Root = u"org.mpris.MediaPlayer2"_s;
const QString &Player = MprisService::PlayerInterface;

// The window's stand-in, publishing the service and recording the player's property changes.
class Published : public QObject, public MediaControls {
    Q_OBJECT

public:
    Session session;
    MprisService service{session, *this};
    // What the bus asked of the window: "cut" for a connect or cut, the steps by number.
    QStringList asked;
    std::function<void()> whileConnecting;
    QList<QVariantMap> changes;

    Published() { session.setVolumeStep(10); }
    QString name() const { return service.serviceName(); }
    void connectOrCut() override {
        asked.append(u"cut"_s);
        session.setConnected(!session.connected());
        if (whileConnecting)
            whileConnecting();
    }
    void chooseVolumeStep(int chosen) override {
        asked.append(QString::number(chosen));
        session.setVolumeStep(quint8(chosen));
    }
    void raiseWindow() override { asked.append(u"raise"_s); }

public Q_SLOTS:
    void changed(const QString &, const QVariantMap &p, const QStringList &) { changes.append(p); }
};

} // namespace

class TestMprisService : public QObject {
    Q_OBJECT

private:
    PrivateBus m_bus;
    QDBusConnection m_client{QString()};
    int m_connections = 0;
    std::optional<Published> p;

    // A connection of its own, apart from the client's, so every call really crosses the bus.
    bool publish(Published &published) {
        return published.service.start(m_bus.connect(u"service%1"_s.arg(++m_connections))) &&
               m_client.connect(published.name(), MprisService::ObjectPath, Properties,
                                u"PropertiesChanged"_s, &published,
                                SLOT(changed(QString, QVariantMap, QStringList)));
    }

    // The service answers on this same thread: wait with the event loop running.
    QDBusMessage call(const QString &iface, const QString &method, const QVariantList &args = {}) {
        QDBusMessage message =
            QDBusMessage::createMethodCall(p->name(), MprisService::ObjectPath, iface, method);
        message.setArguments(args);
        const QDBusPendingCall pending = m_client.asyncCall(message);
        return QTest::qWaitFor([&] { return pending.isFinished(); }, 10000) ? pending.reply()
                                                                            : QDBusMessage();
    }

    QVariant answer(const QString &iface, const QString &method, const QVariantList &args = {}) {
        return call(iface, method, args).arguments().value(0);
    }

    QVariant property(const QString &name) {
        return qvariant_cast<QDBusVariant>(answer(Properties, u"Get"_s, {Player, name})).variant();
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_bus.start());
        m_client = m_bus.connect(u"client"_s);
    }

    void init() { QVERIFY(publish(p.emplace())); }

    void appearsDescribesItselfAndRunsTheConnectAction() {
        QCOMPARE(p->name(), MprisService::BaseServiceName);
        call(Root, u"Raise"_s);
        QCOMPARE(p->asked, QStringList{u"raise"_s});
        // Clients reading the description first must find each property, of the type answered.
        const QString xml =
            answer(u"org.freedesktop.DBus.Introspectable"_s, u"Introspect"_s).toString();
        for (const QString &interface : {Root, Player}) {
            const QVariantMap all =
                qdbus_cast<QVariantMap>(answer(Properties, u"GetAll"_s, {interface}));
            for (const auto &[name, v] : all.asKeyValueRange()) {
                const QString type =
                    v.canConvert<QDBusArgument>()
                        ? v.value<QDBusArgument>().currentSignature()
                        : QString::fromLatin1(QDBusMetaType::typeToSignature(v.metaType()));
                QVERIFY2(xml.contains(u"<property name=\"%1\" type=\"%2\""_s.arg(name, type)),
                         qPrintable(name));
            }
        }

        // A second running copy still shows, under a name of its own.
        Published other;
        QVERIFY(publish(other));
        QVERIFY(other.name().startsWith(MprisService::BaseServiceName + u".instance"_s));

        // Play and stop run the connect action as a click would, only where it changes something.
        const QList<std::tuple<QString, int, QString>> steps = {
            {u"Play"_s, 1, u"Playing"_s},      {u"Play"_s, 1, u"Playing"_s},
            {u"Stop"_s, 2, u"Stopped"_s},      {u"Pause"_s, 2, u"Stopped"_s},
            {u"PlayPause"_s, 3, u"Playing"_s}, {u"Pause"_s, 4, u"Stopped"_s}};
        for (const auto &[method, calls, now] : steps) {
            call(Player, method);
            QTRY_COMPARE(p->asked.count(u"cut"_s), calls);
            QCOMPARE(property(u"PlaybackStatus"_s).toString(), now);
        }

        // The connect action may show a message box, whose event loop runs while another
        // request comes in: that one is dropped.
        bool nested = false;
        p->whileConnecting = [&] {
            if (std::exchange(nested, true))
                return;
            call(Player, u"PlayPause"_s);
            QEventLoop box;
            QTimer::singleShot(0, &box, &QEventLoop::quit);
            box.exec();
        };
        call(Player, u"Play"_s);
        QTRY_VERIFY(nested);
        QCoreApplication::processEvents();
        QCOMPARE(p->asked.count(u"cut"_s), 5);
    }

    void statusMetadataAndVolumeFollowTheSession() {
        Session &session = p->session;
        const auto meta = [&](int i) {
            return qdbus_cast<QVariantMap>(p->changes.value(i).value(u"Metadata"_s));
        };
        const auto trackOf = [](const QVariantMap &m) {
            return m.value(u"mpris:trackid"_s).value<QDBusObjectPath>().path();
        };
        // Nothing connected yet: no track.
        const QVariantMap none = qdbus_cast<QVariantMap>(property(u"Metadata"_s));
        QCOMPARE(trackOf(none), u"/org/mpris/MediaPlayer2/TrackList/NoTrack"_s);
        QVERIFY(!none.contains(u"xesam:title"_s));

        // A connect changes several things; the desktop hears of them together.
        session.setConnected(true);
        session.setShown(u"España"_s, u"Radio Nacional"_s);
        QTRY_COMPARE(p->changes.size(), 1);
        QCOMPARE(p->changes[0].value(u"PlaybackStatus"_s).toString(), u"Playing"_s);
        QCOMPARE(meta(0).value(u"xesam:title"_s), u"Radio Nacional"_s);
        QVERIFY(!trackOf(meta(0)).startsWith(u"/org/mpris/"_s)); // reserved

        // The station announces a title: a new track, by the station.
        session.setTitle(u"Canción de la mañana – Orquesta"_s);
        QTRY_COMPARE(p->changes.size(), 2);
        QVERIFY(trackOf(meta(1)) != trackOf(meta(0)));
        QCOMPARE(meta(1).value(u"xesam:title"_s), u"Canción de la mañana – Orquesta"_s);
        QCOMPARE(meta(1).value(u"xesam:artist"_s).toStringList(), QStringList{u"Radio Nacional"_s});

        session.setTitle(QString());
        QTRY_COMPARE(p->changes.size(), 3);
        QCOMPARE(meta(2).value(u"xesam:title"_s), u"Radio Nacional"_s);

        // "Cortar" stays while the station is silent, failed or being tried again; the
        // desktop hears only what plays.
        for (const auto &[sound, status] : {std::pair{Session::Sound::Lost, u"Stopped"_s},
                                            {Session::Sound::Expected, u"Playing"_s},
                                            {Session::Sound::Failed, u"Stopped"_s}}) {
            session.setSound(sound);
            QTRY_COMPARE(p->changes.last().value(u"PlaybackStatus"_s), status);
        }
        // A getter answers with the session as it is, before the signal goes out.
        session.setSound(Session::Sound::Expected);
        session.setConnected(false);
        QCOMPARE(property(u"PlaybackStatus"_s).toString(), u"Stopped"_s);

        // The volume is the tray's volume step.
        QCOMPARE(property(u"Volume"_s).toDouble(), 1.0);
        // Any number is taken, beyond the ends too. Refused with the proper error, and nothing
        // chosen: the wrong type (even text that reads as a number), read-only, missing.
        const QList<std::tuple<QString, QString, QVariant, QString>> sets = {
            {Player, u"Volume"_s, 0.37, QString()},
            {Player, u"Volume"_s, 1.5, QString()},
            {Player, u"Volume"_s, -0.2, QString()},
            {Player, u"Volume"_s, 0, QString()},
            {Player, u"Volume"_s, u"0.5"_s, u"InvalidArgs"_s},
            {Player, u"Rate"_s, 2.0, u"PropertyReadOnly"_s},
            {Root, u"Volume"_s, 0.5, u"UnknownProperty"_s},
            {u"org.example.Nothing"_s, u"Volume"_s, 0.5, u"UnknownInterface"_s}};
        for (const auto &[interface, name, value, error] : sets)
            QCOMPARE(call(Properties, u"Set"_s,
                          {interface, name, QVariant::fromValue(QDBusVariant(value))})
                         .errorName(),
                     error.isEmpty() ? QString() : u"org.freedesktop.DBus.Error."_s + error);
        QCOMPARE(p->asked, (QStringList{u"4"_s, u"10"_s, u"0"_s, u"0"_s}));

        // A step, chosen here or in the window, is told as a volume.
        p->session.setVolumeStep(7);
        QTRY_COMPARE(p->changes.last().value(u"Volume"_s).toDouble(), 0.7);
    }
};

QTEST_GUILESS_MAIN(TestMprisService)
#include "tst_mprisservice.moc"
