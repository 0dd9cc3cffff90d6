#include "playlistparser.h"
#include "reconnectpolicy.h"
#include "volumescale.h"

#include <QTest>

using namespace Qt::StringLiterals;
using PlaylistParser::Kind;

Q_DECLARE_METATYPE(PlaylistParser::Kind)

// What the player decides without an engine: playlists, volume ends, pauses before a retry.
class TestPlayerLogic : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void readsEachKind_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QStringList>("entries");

        QTest::newRow("asx, mixed case, bare ampersand, entryref, fallbacks in order")
            << QByteArray("<ASX Version=\"3.0\">\r\n <Title>Radio</Title>\r\n"
                          " <Entry><Ref HREF=\"http://a.example:8000/live?x=1&y=2\"/>\r\n"
                          "  <ref href=\"mms://b.example/live\" /></Entry>\r\n"
                          " <ENTRYREF href=\"more.asx\"/>\r\n</ASX>")
            << Kind::Asx
            << QStringList{u"http://a.example:8000/live?x=1&y=2"_s, u"mms://b.example/live"_s,
                           u"http://radio.example/lists/more.asx"_s};
        QTest::newRow("asx in windows-1252 after an xml declaration")
            << QByteArray("<?xml version=\"1.0\"?><asx version=\"3.0\"><title>Canci\xf3n</title>"
                          "<entry><ref href=\"http://a.example/m\xfasica\"/></entry></asx>")
            << Kind::Asx << QStringList{u"http://a.example/m%C3%BAsica"_s};
        QTest::newRow("asx too broken for an xml reader")
            << QByteArray("<asx version=3.0><entry><ref href=http://a.example/one>"
                          "<ref href='http://a.example/two'></entry>")
            << Kind::Asx << QStringList{u"http://a.example/one"_s, u"http://a.example/two"_s};
        QTest::newRow("windows media reference, numbered out of order")
            << QByteArray("[Reference]\r\nRef2=http://b.example/s?MSWMExt=.asf\r\n"
                          "Ref1=http://a.example/s\r\n")
            << Kind::Reference
            << QStringList{u"http://a.example/s"_s, u"http://b.example/s?MSWMExt=.asf"_s};
        QTest::newRow("pls, with a BOM, relative entry")
            << QByteArray("\xEF\xBB\xBF[playlist]\nNumberOfEntries=2\nFile2=http://b.example/\n"
                          "Title1=One\nfile1=/stream\nLength1=-1\nVersion=2\n")
            << Kind::Pls << QStringList{u"http://radio.example/stream"_s, u"http://b.example/"_s};
        QTest::newRow("xspf")
            << QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                          "<playlist version=\"1\" xmlns=\"http://xspf.org/ns/0/\"><trackList>"
                          "<track><title>x</title><location>http://a.example/live.ogg</location>"
                          "</track><track><location>b.mp3</location></track></trackList>"
                          "<location>http://not.a.track/</location></playlist>")
            << Kind::Xspf
            << QStringList{u"http://a.example/live.ogg"_s, u"http://radio.example/lists/b.mp3"_s};
        QTest::newRow("ram: one address a line, comments, stop marker")
            << QByteArray("# RealAudio\r\nrtsp://a.example/live.rm\r\nhttp://b.example/live\r\n"
                          "--stop--\r\nhttp://after.example/\r\n")
            << Kind::UrlList
            << QStringList{u"rtsp://a.example/live.rm"_s, u"http://b.example/live"_s};
        QTest::newRow("extended m3u with a relative entry")
            << QByteArray("#EXTM3U\n#EXTINF:-1,Radio\nlive.mp3\n") << Kind::M3u
            << QStringList{u"http://radio.example/lists/live.mp3"_s};
        QTest::newRow("hls is a stream, not a list")
            << QByteArray("#EXTM3U\n#EXT-X-VERSION:3\n#EXT-X-TARGETDURATION:2\nseg0.ts\n")
            << Kind::Hls << QStringList{};
        QTest::newRow("words, no addresses")
            << QByteArray("just some words\nwww.example.com\n") << Kind::UrlList << QStringList{};
        QTest::newRow("web page") << QByteArray("<!DOCTYPE html><html><body>\n"
                                                "http://a.example/\n</body></html>")
                                  << Kind::NotPlaylist << QStringList{};
        QTest::newRow("audio") << QByteArray("ID3\x03\x00\x00\x00\x00\x00\x00\xff\xfb\x90\x64", 14)
                               << Kind::NotPlaylist << QStringList{};
    }

    void readsEachKind() {
        QFETCH(QByteArray, text);
        QFETCH(Kind, kind);
        QFETCH(QStringList, entries);
        const PlaylistParser::Playlist playlist =
            PlaylistParser::parse(text, QUrl(u"http://radio.example/lists/station.asx"_s));
        QCOMPARE(playlist.kind, kind);
        QCOMPARE(playlist.entries, QUrl::fromStringList(entries));
    }

    // A playlist from the network must not point the player at local files
    // or at the engine's special protocols.
    void keepsOnlyStreamAddressesItReads() {
        const QByteArray text = "[playlist]\nFile1=file:///etc/passwd\nFile2=/dev/zero\n"
                                "File3=av://lavfi:sine\nFile4=edl://x\nFile5=https://ok.example/\n";
        QCOMPARE(PlaylistParser::parse(text, QUrl(u"file:///home/user/x.pls"_s)).entries,
                 QUrl::fromStringList({u"https://ok.example/"_s}));

        // Which addresses it reads itself, rather than the engine.
        QVERIFY(PlaylistParser::isOwnKind(QUrl(u"http://a.example/Live.ASX"_s)));
        QVERIFY(PlaylistParser::isOwnKind(QUrl(u"http://a.example/l.ram?x=.mp3"_s)));
        QVERIFY(!PlaylistParser::isOwnKind(QUrl(u"http://a.example/live?f=.asx"_s)));
    }

    // The engine refuses a volume outside its own range.
    void volumeStaysInTheEngineRange() {
        QCOMPARE(VolumeScale::mediaPlayer().toEngine(-5000), 0.0);
        QCOMPARE(VolumeScale::realAudio().toEngine(32767), 100.0);
    }

    // Moments are plain numbers here: the policy keeps no clock of its own.
    void reconnectPausesGrowAndStartShortAgain() {
        ReconnectPolicy policy;
        const auto failed = [&](qint64 nowMs) { return policy.failed(nowMs).value_or(-1); };
        policy.restart();
        QCOMPARE(failed(0), -1);
        // Having played is not enough: a file that ends is no live station.
        policy.playingFrom(0);
        QCOMPARE(failed(60000), -1);

        // While nothing plays, each pause doubles up to a limit.
        QList<int> pauses{policy.dropped(0)};
        for (int i = 0; i < 6; ++i)
            pauses.append(failed(0));
        QCOMPARE(pauses, (QList<int>{1000, 2000, 4000, 8000, 16000, 30000, 30000}));

        // Playing long enough starts the pauses short again.
        policy.restart();
        QCOMPARE((QList<int>{policy.dropped(0), failed(0)}), (QList<int>{1000, 2000}));
        policy.playingFrom(100000);
        QCOMPARE(policy.dropped(100000 + ReconnectPolicy::SteadyPlayMs - 1), 4000);
        policy.playingFrom(200000);
        QCOMPARE(policy.dropped(200000 + ReconnectPolicy::SteadyPlayMs), 1000);
        // What played before the last drop counts no more.
        QCOMPARE(failed(900000), 2000);

        // After a sleep the pauses start short, and a station that played is tried again even
        // if the first try fails, as the network may not be up yet.
        policy.restart();
        policy.playingFrom(0);
        policy.resume();
        QCOMPARE((QList<int>{failed(1), failed(2)}), (QList<int>{1000, 2000}));
        policy.resume();
        QCOMPARE(failed(3), 1000);
    }
};

QTEST_GUILESS_MAIN(TestPlayerLogic)
#include "tst_playerlogic.moc"
