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

    // The engine refuses a volume outside its own range.
    void volumeHeldAtTheEnds() {
        QCOMPARE(VolumeScale::mediaPlayer().toEngine(-5000), 0.0);
        QCOMPARE(VolumeScale::realAudio().toEngine(32767), 100.0);
    }
};

QTEST_GUILESS_MAIN(TestPlayerOptions)
#include "tst_playeroptions.moc"
