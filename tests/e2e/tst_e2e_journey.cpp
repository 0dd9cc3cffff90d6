#include "catalogue_fixture.h"
#include "desktopsession.h"
#include "testfiles.h"
#include "toneserver.h"

#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

using namespace Designed;
using Window = DesktopSession::Window;

const QSize ClosedSize(247, 202);
const QSize OpenSize(679, 202);
// The last outline of the opening animation (its right edge at design pixel 674): once it is
// there, the panel's controls take clicks.
constexpr int OpenOutlineWidth = 670;
// The program's own windows, the main window's inner ones and its pop-ups included.
const QStringList OwnClass{u"--class"_s, u"^sintonet-valdren$"_s};

bool uniform(const QImage &image) {
    return image == image.copy(0, 0, 1, 1).scaled(image.size());
}

} // namespace

// A person's first session with the program: it starts without settings, the options panel
// opens, a country is picked, a station is connected, heard and cut, the station is changed, the
// window goes to the tray and comes back, and "X" closes it. The steps run in order on one program.
class TestE2eJourney : public QObject {
    Q_OBJECT

private:
    // Declared in the order of starting, and so ended in reverse.
    DesktopSession m_session;
    QTemporaryDir m_audio;
    ToneServer m_server{m_audio.path()};
    ProgramRun m_program{m_session};
    QImage m_emptyScreen;
    QString m_firstWindow;

    // Opens the combo box and clicks one of its entries. The list is a pop-up of the
    // program's, straight on the desktop where the window manager frames the window.
    void pickFromList(const QRect &combo, int index, int count) {
        QVERIFY(m_program.clickControl(combo));
        const QStringList popups = QStringList{u"--maxdepth"_s, u"1"_s} + OwnClass;
        QRect box;
        E2E_TRY_VERIFY(!(box = m_program.windows(popups).value(0).geometry).isNull(), 10000);
        // The entries fill the list evenly inside its one-pixel frame.
        const int y = box.top() + 1 + int((box.height() - 2) * (index + 0.5) / count);
        QVERIFY(m_session.click(QPoint(box.center().x(), y)));
        E2E_TRY_VERIFY(m_program.windows(popups).isEmpty(), 10000);
    }

    Window trayIcon() const {
        const QList<Window> hosts =
            m_session.findWindows({u"--onlyvisible"_s, u"--class"_s, u"^trayer$"_s});
        for (const Window &icon : m_program.windows(OwnClass)) {
            for (const Window &host : hosts) {
                if (host.geometry.contains(icon.geometry.center()))
                    return icon;
            }
        }
        return {};
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_session.start(/*trayHost=*/true));
        QVERIFY(m_server.start());
        // Every station plays from the tone station. The countries as listed: Chile, España, Perú.
        const auto url = [this](const QString &path) { return m_server.url(path).toString(); };
        QVERIFY(m_program.prepare(CatalogueFixture::catalogueBytes(
            {u"Perú"_s, u"Chile"_s, u"España"_s},
            {{u"Chile"_s, u"Radio Cordillera"_s, url(u"/file.mp3"_s), u"WMP"_s},
             {u"España"_s, u"Onda Tono"_s, url(u"/live.mp3"_s), u"WMP"_s},
             {u"España"_s, u"Radio L'Estel"_s, url(u"/list.pls"_s), u"RP"_s},
             {u"Perú"_s, u"Tono Andino"_s, url(u"/live.mp3"_s), u"WMP"_s}})));
        m_emptyScreen = m_session.grab(QRect(0, 0, 1280, 1024));
        QVERIFY(!m_emptyScreen.isNull());
    }

    void startsWithoutSettingsAsASmallRoundedWindow() {
        QVERIFY(!QFile::exists(m_program.settingsFile()));
        QProcessEnvironment environment = m_session.environment();
        environment.insert(u"SINTONET_MPV_OPTIONS"_s,
                           u"ao=pcm,ao-pcm-file="_s + m_audio.filePath(u"out.wav"_s));
        // As on a desktop without a session bus: no address named at all.
        environment.remove(u"DBUS_SESSION_BUS_ADDRESS"_s);
        QVERIFY(m_program.start(environment));
        const auto [id, area] = m_program.window();
        m_firstWindow = id;
        QCOMPARE(area.size(), ClosedSize);

        // The rounded outline: its corner and the strip right of it show the desktop behind,
        // inside it the window is drawn. The outline row by row is the shell suite's.
        const QImage behind = m_emptyScreen.copy(area);
        QImage look;
        E2E_TRY_VERIFY((look = m_session.grab(area)).pixel(120, 120) != behind.pixel(120, 120),
                       10000);
        QCOMPARE(look.pixel(0, 0), behind.pixel(0, 0));
        QCOMPARE(look.pixel(area.width() - 2, 100), behind.pixel(area.width() - 2, 100));
    }

    void opensTheOptionsPanel() {
        QVERIFY(m_program.clickControl(Command1Closed));
        E2E_TRY_COMPARE(m_program.window().geometry.size(), OpenSize, 10000);
        E2E_TRY_COMPARE(m_session.shapeWidth(m_program.window().id), OpenOutlineWidth, 15000);
        // The advertising page is drawn, and the window first seen is still the one shown.
        E2E_TRY_VERIFY(!uniform(m_session.grab(m_program.controlRect(Propaganda))), 20000);
        QCOMPARE(m_program.window().id, m_firstWindow);
    }

    void connectsAndHearsTheStation() {
        pickFromList(cboPaises, 1, 3); // España
        QVERIFY(m_program.clickControl(imgConectar));
        // España's first station, not the first country's.
        E2E_TRY_COMPARE(m_server.liveListeners(), 1, 15000);
        QCOMPARE(m_server.requests(u"/live.mp3"_s), 1);
        E2E_TRY_VERIFY(ToneServer::heardIn(m_audio.filePath(u"out.MediaPlayer1.wav"_s)), 15000);
        // The status display turns: two looks at it differ.
        const QImage first = m_session.grab(m_program.controlRect(FX));
        E2E_TRY_VERIFY(m_session.grab(m_program.controlRect(FX)) != first, 15000);
    }

    // Cut, connected again, changed. The display's rest is the display suite's and the window
    // suite's.
    void cutsAndChangesStation() {
        QVERIFY(m_program.clickControl(imgConectar));
        E2E_TRY_COMPARE(m_server.liveListeners(), 0, 15000);
        QVERIFY(m_program.clickControl(imgConectar));
        E2E_TRY_COMPARE(m_server.requests(u"/live.mp3"_s), 2, 15000);
        pickFromList(cboRadios, 1, 2); // Radio L'Estel, on the other player
        QVERIFY(m_program.clickControl(ImgCambiar));
        E2E_TRY_VERIFY(ToneServer::heardIn(m_audio.filePath(u"out.RealAudio1.wav"_s)), 15000);
        // The first player let its station go.
        E2E_TRY_COMPARE(m_server.liveListeners(), 1, 15000);
    }

    void goesToTheTrayAndBackWithADoubleClick() {
        QVERIFY(m_program.clickControl(cmdGoTray));
        E2E_TRY_VERIFY(m_program.window().id.isEmpty(), 10000);
        Window icon;
        E2E_TRY_VERIFY(!(icon = trayIcon()).id.isEmpty(), 10000);

        QVERIFY(m_session.click(icon.geometry.center(), 2));
        // Back as it went, the panel open.
        E2E_TRY_COMPARE(m_program.window().geometry.size(), OpenSize, 10000);
        E2E_TRY_VERIFY(trayIcon().id.isEmpty(), 10000);
        // The station played on meanwhile.
        QCOMPARE(m_server.liveListeners(), 1);
    }

    void closesWithXAndKeepsTheSettings() {
        QVERIFY(m_program.clickControl(cmdCloseApp));
        QVERIFY(m_program.waitForExit(15000));
        QCOMPARE(QString::fromUtf8(TestFiles::read(m_program.settingsFile())),
                 u"[General]\nLastCountry=España\nLastRadio=Radio L'Estel\nSkin=\n"
                 "NumberType=Red\nAutoconnect=0\nStatus=Normal\n"_s);
        E2E_TRY_COMPARE(m_server.openConnections(), 0, 10000);
        QCOMPARE(m_server.requests(u"/list.pls"_s), 1);
        // Without a session bus the program ran without one: it launched none to outlive it.
        QCOMPARE(m_session.busesStartedHere(), QStringList());
    }
};

QTEST_MAIN(TestE2eJourney)
#include "tst_e2e_journey.moc"
