#include "desktopsession.h"
#include "e2estations.h"
#include "eventually.h"
#include "programrun.h"
#include "toneserver.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QRect cmdCloseApp(3120, 60, 195, 195);

} // namespace

// The desktop's media controls on the real program: playerctl on a session
// bus of the test's own plays and stops the saved station and reads what it
// announces, a title sent in Windows-1252 included.
class TestE2eMpris : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<DesktopSession> m_session;
    QTemporaryDir m_audio;
    ToneServer *m_server = nullptr;
    std::unique_ptr<ProgramRun> m_program;

    QString playerctl(const QStringList &arguments) const {
        bool ok = false;
        const QByteArray out = m_session->run(
            u"playerctl"_s, QStringList{u"--player=sintonetvaldren"_s} + arguments, &ok, 10000);
        return ok ? QString::fromUtf8(out).trimmed() : u"(failed)"_s;
    }

private Q_SLOTS:
    void initTestCase() {
        m_session = std::make_unique<DesktopSession>();
        QVERIFY(m_session->start({.trayHost = false, .sessionBus = true}));
        m_server = new ToneServer(m_audio.path(), this);
        QVERIFY(m_server->start());
        // "Canción de ñandú" as a Windows station sends it.
        m_server->setIcy("Tono Andino FM", "Canci\xf3n de \xf1"
                                           "and\xfa");
        m_program = std::make_unique<ProgramRun>(*m_session);
        QVERIFY(m_program->prepare(E2eStations::catalogue(*m_server)));
        QFile settings(m_program->settingsFile());
        QVERIFY(settings.open(QIODevice::WriteOnly));
        settings.write("[General]\nLastCountry=Per\xc3\xba\nLastRadio=Tono Andino\n");
        settings.close();

        QProcessEnvironment sound;
        sound.insert(u"SINTONET_MPV_OPTIONS"_s,
                     u"ao=pcm,ao-pcm-file="_s + m_audio.filePath(u"out.wav"_s));
        QVERIFY(m_program->start(sound));
        QVERIFY2(m_program->waitForWindow(30000), m_program->errorOutput().constData());
    }

    void cleanupTestCase() {
        m_program.reset();
        m_session.reset();
    }

    void playShowsTheStationAndStopCuts() {
        E2E_TRY_COMPARE(playerctl({u"status"_s}), u"Stopped"_s, 15000);

        QCOMPARE(playerctl({u"play"_s}), QString());
        E2E_TRY_COMPARE(playerctl({u"status"_s}), u"Playing"_s, 15000);
        E2E_TRY_COMPARE(m_server->liveListeners(), 1, 15000);
        E2E_TRY_VERIFY(E2eStations::hearsTone(m_audio.filePath(u"out.MediaPlayer1.wav"_s)), 15000);
        E2E_TRY_COMPARE(playerctl({u"metadata"_s, u"--format"_s,
                                   u"{{xesam:artist}}|{{xesam:album}}|{{xesam:title}}"_s}),
                        u"Tono Andino|Perú|Canción de ñandú"_s, 15000);

        QCOMPARE(playerctl({u"stop"_s}), QString());
        E2E_TRY_COMPARE(playerctl({u"status"_s}), u"Stopped"_s, 15000);
        E2E_TRY_COMPARE(m_server->liveListeners(), 0, 15000);
        QCOMPARE(m_server->requests(u"/live.mp3"_s), 1);
    }

    void closingLeavesTheBus() {
        QVERIFY(m_program->clickControl(cmdCloseApp));
        QVERIFY(m_program->waitForExit(15000));
        QCOMPARE(m_program->exitCode(), 0);
        QCOMPARE(playerctl({u"status"_s}), u"(failed)"_s);
    }
};

QTEST_GUILESS_MAIN(TestE2eMpris)
#include "tst_e2e_mpris.moc"
