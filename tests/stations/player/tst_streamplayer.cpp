#include "playererror.h"
#include "streamplayer.h"
#include "toneserver.h"
#include "wavcapture.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

using namespace Qt::StringLiterals;

// Real playback: a tone from a station on 127.0.0.1, heard through a WAV file per component.
class TestStreamPlayer : public QObject {
    Q_OBJECT

private:
    static constexpr int WaitMs = 15000;
    // Measured after the decoder's start-up silence, over a whole number of tone periods.
    static constexpr double From = 0.3;
    static constexpr double To = 0.55;

    QTemporaryDir m_dir;
    ToneServer m_server{m_dir.path()};
    QWidget m_window;
    StreamPlayer m_media{u"MediaPlayer1"_s, VolumeScale::mediaPlayer(), &m_window};
    StreamPlayer m_real{u"RealAudio1"_s, VolumeScale::realAudio(), &m_window};

    QString capturePath(const StreamPlayer *player) const {
        return m_dir.filePath(u"out.%1.wav"_s.arg(player->objectName()));
    }

    // Opens with a fresh capture file (the live station unless told) and waits for a little
    // sound; the caller judges what came.
    WavCapture play(StreamPlayer *player, const QString &path = u"/live.mp3"_s) {
        QFile::remove(capturePath(player));
        player->open(m_server.url(path).toString());
        return waitForSound(player, To + 0.05);
    }

    WavCapture waitForSound(StreamPlayer *player, double seconds) {
        WavCapture capture;
        static_cast<void>(QTest::qWaitFor(
            [&] { return (capture = WavCapture::read(capturePath(player))).seconds() >= seconds; },
            WaitMs));
        return capture;
    }

    static bool toneHeard(const WavCapture &capture) {
        return capture.toneAmplitude(ToneServer::ToneHz, From, To) >
               0.8 * ToneServer::ToneAmplitude;
    }

    // Until the station is let go and the capture file closed: nothing more is heard from a
    // cache, and an engine asked again at once does not write on into a file play() removed.
    bool stopAndHangUp(StreamPlayer *player) {
        player->stop();
        return QTest::qWaitFor(
            [&] {
                return m_server.liveListeners() == 0 &&
                       !WavCapture::read(capturePath(player)).beingWritten();
            },
            WaitMs);
    }

    bool playsAndLetsGo(StreamPlayer *player, const QString &path = u"/live.mp3"_s) {
        const bool heard = toneHeard(play(player, path));
        return stopAndHangUp(player) && heard;
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        qputenv("SINTONET_MPV_OPTIONS",
                "ao=pcm, ao-pcm-file=" + QFile::encodeName(m_dir.filePath(u"out.wav"_s)));
        QVERIFY(m_server.start());
    }

    void init() {
        m_media.setVolume(0);
        m_real.setVolume(100);
    }

    void cleanup() {
        m_media.stop();
        QVERIFY(stopAndHangUp(&m_real) && stopAndHangUp(&m_media));
    }

    // Lists of our own, named so or not, and a stream of segments; the lists the engine reads
    // are the connect suite's. A file that ends is not fetched again.
    void playsStreamsPlaylistsAndFiles() {
        for (const QString &path :
             {u"/list.asx"_s, u"/station?id=7"_s, u"/reference?id=7"_s, u"/hls/index.m3u8"_s})
            QVERIFY2(playsAndLetsGo(&m_media, path), qPrintable(path));
        const int before = m_server.requests(u"/file.mp3"_s);
        QVERIFY(toneHeard(play(&m_media, u"/file.mp3"_s)));
        // Stopped, not Reconnecting: nothing more is scheduled.
        QTRY_COMPARE_WITH_TIMEOUT(m_media.state(), StreamPlayer::State::Stopped, WaitMs);
        QCOMPARE(m_server.requests(u"/file.mp3"_s), before + 1);
    }

    // Step 5 against step 10: the engine's volume is cubic, (5/10)^3 in amplitude, on both
    // components alike. A change while playing takes hold too, and step 0 is silent.
    void volumeStepsReachTheEngine() {
        double soft[2] = {};
        for (StreamPlayer *p : {&m_media, &m_real}) {
            double heard[2] = {};
            for (const int step : {10, 5}) {
                p->setVolume(p == &m_media ? 150 * step - 1500 : 10 * step); // its own scale
                heard[step == 5] = play(p).toneAmplitude(ToneServer::ToneHz, From, To);
                QVERIFY(stopAndHangUp(p));
            }
            QVERIFY2(heard[0] > 0.8 * ToneServer::ToneAmplitude &&
                         std::abs(heard[1] / heard[0] - 0.125) < 0.0125,
                     qPrintable(u"%1 then %2"_s.arg(heard[0]).arg(heard[1])));
            soft[p == &m_real] = heard[1];
        }
        QVERIFY(std::abs(soft[0] - soft[1]) < 0.005);

        play(&m_media);
        m_media.setVolume(-1500);
        // Whatever was buffered plays out; after that, silence.
        const double changedAt = WavCapture::read(capturePath(&m_media)).seconds();
        const WavCapture capture = waitForSound(&m_media, changedAt + 0.8);
        QVERIFY(capture.seconds() >= changedAt + 0.8);
        QCOMPARE(capture.firstSoundAbove(0.0, changedAt + 0.5), -1.0);
    }

    // What is no stream is refused at once. A missing stream, a web page, playlists that lead
    // nowhere, back to themselves or on to thousands of dead ends: each costs a handful of
    // requests and ends in failure, whoever reads it (the engine or the component), and the
    // player stays usable. Each as the address, the path counted and the most requests allowed.
    void failuresStayCheapAndLeaveThePlayerUsable() {
        for (const QString &address : {u"   "_s, u"file:///etc/passwd"_s, u"/dev/zero"_s})
            QVERIFY_THROWS_EXCEPTION(PlayerError, m_media.open(address));
        const std::tuple<QString, QString, int> lists[] = {
            {u"/nothing.mp3"_s, u"/nothing.mp3"_s, 10}, {u"/garbage"_s, u"/garbage"_s, 10},
            {u"/nothing.asx"_s, u"/nothing.asx"_s, 10}, {u"/self.pls"_s, u"/self.pls"_s, 10},
            {u"/self.asx"_s, u"/self.asx"_s, 10},       {u"/loop.asx"_s, u"/loop.asx"_s, 10},
            {u"/chain.pls?n=1"_s, u"/chain.pls"_s, 10}, {u"/dead.pls"_s, u"/dead"_s, 25}};
        for (const auto &[path, counted, most] : lists) {
            const int before = m_server.requests(counted);
            m_media.open(m_server.url(path).toString());
            QTRY_COMPARE_WITH_TIMEOUT(m_media.state(), StreamPlayer::State::Failed, WaitMs);
            // The engine may have asked once more before it heard the stop; then nothing.
            QTest::qWait(1000);
            const int asked = m_server.requests(counted) - before;
            QVERIFY2(asked <= most, qPrintable(u"%1: %2"_s.arg(path).arg(asked)));
            QVERIFY(playsAndLetsGo(&m_media));
        }
    }

    void anAudioOutputThatCannotOpenLetsTheStationGo() {
        const QByteArray options = qgetenv("SINTONET_MPV_OPTIONS");
        qputenv("SINTONET_MPV_OPTIONS",
                "ao=pcm, ao-pcm-file=" + QFile::encodeName(m_dir.filePath(u"none/out.wav"_s)));
        StreamPlayer mute(u"Mute"_s, VolumeScale::mediaPlayer(), &m_window);
        const int before = m_server.requests(u"/live.mp3"_s);
        // The engine is made, with these options, by the first open().
        mute.open(m_server.url(u"/live.mp3"_s).toString());
        qputenv("SINTONET_MPV_OPTIONS", options);
        QTRY_COMPARE_WITH_TIMEOUT(mute.state(), StreamPlayer::State::Failed, WaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(m_server.liveListeners(), 0, WaitMs);
        // Nor is it tried again, nor read once more as a playlist.
        QTest::qWait(1000);
        QCOMPARE(m_server.requests(u"/live.mp3"_s), before + 1);
    }

    void staysUsableWhileAStationStalls() {
        const int before = m_server.requests(u"/stall"_s);
        for (StreamPlayer *p : {&m_media, &m_real}) {
            p->open(m_server.url(u"/stall"_s).toString());
            QTRY_COMPARE_WITH_TIMEOUT(m_server.requests(u"/stall"_s), before + (p == &m_real) + 1,
                                      WaitMs);
            QCOMPARE(p->state(), StreamPlayer::State::Opening);
            QVERIFY(toneHeard(play(p)));
        }
    }

    // Stations send whatever bytes they like: here UTF-8 in the header and Windows-1252 in the
    // stream, with line breaks and a bell that must not reach the desktop's media controls. A
    // dropped station is tried again; a stopped one's words are gone.
    void announcesReconnectsAndStops() {
        m_server.setIcy("Radio\tPiñata", "Canci\xf3n\r\nde\x07prueba");
        QVERIFY(toneHeard(play(&m_real)));
        QTRY_COMPARE_WITH_TIMEOUT(m_real.stationName() + u'|' + m_real.title(),
                                  u"Radio Piñata|Canción de prueba"_s, WaitMs);
        m_server.goOffAir(1500);
        QTRY_COMPARE_WITH_TIMEOUT(m_real.state(), StreamPlayer::State::Reconnecting, WaitMs);
        QFile::remove(capturePath(&m_real));
        QTRY_COMPARE_WITH_TIMEOUT(m_real.state(), StreamPlayer::State::Playing, WaitMs);
        QVERIFY(toneHeard(waitForSound(&m_real, To + 0.05)));
        QCOMPARE(m_server.liveListeners(), 1);
        QVERIFY(stopAndHangUp(&m_real));
        QCOMPARE(m_real.stationName() + m_real.title(), QString());
    }

    void aStopBeforeTheEngineIsThereCancelsTheOpen() {
        // A new component's engine is still being made when its first open() returns.
        StreamPlayer fresh(u"Fresh"_s, VolumeScale::mediaPlayer(), &m_window);
        const int before = m_server.requests(u"/live.mp3"_s);
        fresh.open(m_server.url(u"/live.mp3"_s).toString());
        QCOMPARE(fresh.state(), StreamPlayer::State::Opening);
        fresh.stop();
        QTest::qWait(500);
        QCOMPARE(fresh.state(), StreamPlayer::State::Stopped);
        QCOMPARE(m_server.requests(u"/live.mp3"_s), before);
        QVERIFY(playsAndLetsGo(&fresh));
    }
};

QTEST_MAIN(TestStreamPlayer)
#include "tst_streamplayer.moc"
