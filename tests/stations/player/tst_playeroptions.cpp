#include "engineoptions.h"
#include "volumescale.h"

#include <QTest>

using namespace Qt::StringLiterals;
using Options = QList<EngineOptions::Option>;

class TestPlayerOptions : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void parsesPairsAndNamesFilesPerComponent() {
        const Options options = EngineOptions::parse(
            u" ao=pcm , ao-pcm-file=/tmp/a.b/out.wav,,--mute, log-file=/tmp/log,"
            "input-ipc-server=/tmp/.sock, stream-lavf-o=reconnect=0"_s,
            u"RealAudio1"_s);
        const Options expected = {
            {"ao", "pcm"},
            {"ao-pcm-file", "/tmp/a.b/out.RealAudio1.wav"},
            {"mute", "yes"},
            {"log-file", "/tmp/log.RealAudio1"},
            {"input-ipc-server", "/tmp/.sock.RealAudio1"},
            {"stream-lavf-o", "reconnect=0"},
        };
        QCOMPARE(options, expected);
        QVERIFY(EngineOptions::parse(QString(), u"MediaPlayer1"_s).isEmpty());
    }

    // Both components must reach silence at their lowest value and sound the
    // same at each of the program's volume steps.
    void volumeScalesMeetOnEveryStep() {
        constexpr VolumeScale media = VolumeScale::mediaPlayer();
        constexpr VolumeScale real = VolumeScale::realAudio();
        for (int step = 0; step <= 10; ++step)
            QCOMPARE(media.toEngine(150 * step - 1500), real.toEngine(10 * step));
        QCOMPARE(media.toEngine(-1500), 0.0);
        QCOMPARE(real.toEngine(100), 100.0);
        QCOMPARE(media.toEngine(-5000), 0.0);
        QCOMPARE(real.toEngine(32767), 100.0);
    }
};

QTEST_GUILESS_MAIN(TestPlayerOptions)
#include "tst_playeroptions.moc"
