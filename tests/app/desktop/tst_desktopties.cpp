#include "catalogue_fixture.h"
#include "desktopties.h"
#include "mainwindow.h"
#include "mprisservice.h"
#include "privatebus.h"
#include "standins.h"
#include "streamplayer.h"
#include "toneserver.h"
#include "x11underwayland.h"

#include <QApplication>
#include <QComboBox>
#include <QDBusUnixFileDescriptor>
#include <QPushButton>

#include <array>
#include <clocale>
#include <memory>
#include <poll.h>
#include <unistd.h>

namespace {

// The desktop's notification service, recording what it is asked to show.
class Notifications : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    // Each as "replaces|icon|summary|body"; the first gets number 7.
    QStringList shown;

public Q_SLOTS:
    uint Notify(const QString &, uint replaces, const QString &icon, const QString &summary,
                const QString &body, const QStringList &, const QVariantMap &, int) {
        shown.append(QStringList{QString::number(replaces), icon, summary, body}.join(u'|'));
        return replaces ? replaces : 7;
    }
};

// systemd-logind's manager: each lock is a pipe whose far end is handed out, so that the
// holder letting go shows here as the pipe's end.
class Logind : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")

public:
    QStringList asked;
    int lockEnd = -1;

    ~Logind() override { ::close(lockEnd); }
    bool lockLetGo() const {
        pollfd end{lockEnd, POLLIN, 0};
        return ::poll(&end, 1, 0) == 1 && (end.revents & POLLHUP);
    }

public Q_SLOTS:
    QDBusUnixFileDescriptor Inhibit(const QString &what, const QString &who, const QString &why,
                                    const QString &mode) {
        asked.append(QStringList{what, who, why, mode}.join(u'|'));
        int ends[2];
        if (::pipe(ends) != 0)
            return {};
        ::close(std::exchange(lockEnd, ends[0]));
        const QDBusUnixFileDescriptor lock(ends[1]);
        ::close(ends[1]);
        return lock;
    }

Q_SIGNALS:
    void PrepareForSleep(bool start);
};

} // namespace

class TestDesktopTies : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    PrivateBus m_sessionBus;
    PrivateBus m_systemBus;
    Notifications m_notifications;
    Logind m_logind;
    ToneServer m_station{m_dir.path()};
    RecordingMessages m_messages;

    ProgramFolder folder() const { return ProgramFolder(m_dir.path(), u"sintonet-valdren"_s); }

    // The real window, loaded with these settings, its desktop parts on the test's buses.
    std::unique_ptr<Main> load(const QByteArray &settings) {
        TestFiles::write(folder().settingsFile(), settings);
        auto window = std::make_unique<Main>(
            folder(), Main::Outside{[](QWidget *parent) { return new RecordingPanel(parent); },
                                    nullptr, &m_messages});
        window->Form_Load();
        window->desktopTies().start(m_sessionBus.connect(u"program-session"_s),
                                    m_systemBus.connect(u"program-system"_s));
        return window;
    }

private Q_SLOTS:
    void initTestCase() {
        std::setlocale(LC_NUMERIC, "C");
        qputenv("SINTONET_MPV_OPTIONS", "ao=null");
        QVERIFY(m_sessionBus.start() && m_systemBus.start());
        QDBusConnection session = m_sessionBus.connect(u"notifications"_s);
        QVERIFY(session.registerObject(u"/org/freedesktop/Notifications"_s, &m_notifications,
                                       QDBusConnection::ExportAllSlots));
        QVERIFY(session.registerService(u"org.freedesktop.Notifications"_s));
        QDBusConnection system = m_systemBus.connect(u"logind"_s);
        QVERIFY(system.registerObject(u"/org/freedesktop/login1"_s, &m_logind,
                                      QDBusConnection::ExportAllContents));
        QVERIFY(system.registerService(u"org.freedesktop.login1"_s));

        QVERIFY(m_station.start());
        m_station.setIcy("Tone Radio", "Primera");
        QVERIFY(TestFiles::write(
            folder().catalogueFile(),
            CatalogueFixture::catalogueBytes(
                {u"España"_s},
                {{u"España"_s, u"Tono"_s, m_station.url(u"/live.mp3"_s).toString(), u"WMP"_s},
                 {u"España"_s, u"Muda"_s, m_station.url(u"/missing"_s).toString(), u"WMP"_s}})));
    }

    void playingAndFailureAreToldAndSleepIsHeldAndResumed() {
        auto window = load("[General]\n");
        // España, the one country, is the one shown.
        window->ui().cboRadios->setCurrentIndex(window->ui().cboRadios->findText(u"Tono"_s));
        window->connectOrCut();
        QTRY_COMPARE(m_notifications.shown, QStringList{u"0|sintonet-valdren|Tono|Primera"_s});
        QCOMPARE(m_logind.asked,
                 QStringList{u"sleep|Sintonet Valdren|Reproduciendo radio|block"_s});
        QVERIFY(!m_logind.lockLetGo());

        // A new title replaces the one notification in place.
        m_station.setIcy("Tone Radio", "Segunda");
        // It reaches the engine once what it has buffered ahead has played.
        QTRY_COMPARE_WITH_TIMEOUT(m_notifications.shown.size(), 2, 20000);
        QCOMPARE(m_notifications.shown[1], u"7|sintonet-valdren|Tono|Segunda"_s);

        // While the window is the active one, it shows the title itself.
        window->show();
        window->activateWindow();
        QTRY_VERIFY(window->isActiveWindow());
        m_station.setIcy("Tone Radio", "Tercera");
        QTRY_COMPARE_WITH_TIMEOUT(window->session().title(), u"Tercera"_s, 20000);
        QCOMPARE(m_notifications.shown.size(), 2);

        // Waking up: the station is asked again at once, though it seemed to play on.
        const int requests = m_station.requests(u"/live.mp3"_s);
        Q_EMIT m_logind.PrepareForSleep(true);
        Q_EMIT m_logind.PrepareForSleep(false);
        QTRY_COMPARE(m_station.requests(u"/live.mp3"_s), requests + 1);
        QTRY_COMPARE(window->MediaPlayer1->state(), StreamPlayer::State::Playing);

        window->connectOrCut();
        QTRY_VERIFY(m_logind.lockLetGo());
        QCOMPARE(m_logind.asked.size(), 1);

        // One that cannot play: the window still shows "Cortar", so the desktop is told, in
        // place of the title, and hears nothing; the lock goes.
        window->ui().cboRadios->setCurrentIndex(window->ui().cboRadios->findText(u"Muda"_s));
        window->connectOrCut();
        QTRY_COMPARE(window->MediaPlayer1->state(), StreamPlayer::State::Failed);
        QCOMPARE(window->mpris().playbackStatus(), u"Stopped"_s);
        QTRY_COMPARE(m_notifications.shown.last(),
                     u"7|sintonet-valdren|No se puede reproducir «Muda»|La emisora no responde o "
                     "no existe."_s);
        QTRY_VERIFY(m_logind.asked.size() == 2 && m_logind.lockLetGo());
        QCOMPARE(m_messages.shown, QStringList());

        // The user's key turns them off. The lock goes at close too.
        window.reset();
        window = load("[General]\nNotificaciones=0\n");
        const int told = m_notifications.shown.size();
        window->ui().cboRadios->setCurrentIndex(window->ui().cboRadios->findText(u"Tono"_s));
        window->connectOrCut();
        QTRY_COMPARE(window->session().title(), u"Tercera"_s);
        window->ui().cmdCloseApp->click();
        QCOMPARE(m_notifications.shown.size(), told);
        window.reset();
        QTRY_VERIFY(m_logind.asked.size() == 3 && m_logind.lockLetGo());
    }

    // The platform as the program picks it at start. Last: it leaves the environment changed.
    void waylandWithX11RunsThroughX11() {
        QCOMPARE(QGuiApplication::platformName(), u"xcb"_s); // as main() below set it up
        for (const auto &[wayland, x11, chosen, runs] : {std::array{"wayland-0", ":1", "", "xcb"},
                                                         {"wayland-0", ":1", "wayland", "wayland"},
                                                         {"wayland-0", "", "", ""},
                                                         {"", ":1", "", ""}}) {
            qputenv("WAYLAND_DISPLAY", wayland);
            qputenv("DISPLAY", x11);
            qputenv("QT_QPA_PLATFORM", chosen);
            preferX11UnderWayland();
            QCOMPARE(qgetenv("QT_QPA_PLATFORM"), QByteArray(runs));
        }
    }
};

// As the program does: a Wayland session whose X11 is there runs through X11.
int main(int argc, char *argv[]) {
    qputenv("WAYLAND_DISPLAY", "wayland-sv-none");
    qputenv("XDG_SESSION_TYPE", "wayland");
    qunsetenv("QT_QPA_PLATFORM");
    preferX11UnderWayland();
    QApplication app(argc, argv);
    TestDesktopTies test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_desktopties.moc"
