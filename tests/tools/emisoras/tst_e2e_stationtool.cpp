#include "desktopsession.h"
#include "e2estations.h"
#include "eventually.h"
#include "programrun.h"
#include "testfiles.h"
#include "toneserver.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

using namespace Designed;

// A station added with the station tool of the program folder is the program's at its next
// start: its country comes first in the list, the station is selected, connected and heard.
class TestE2eStationTool : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void theProgramPlaysAStationTheToolAdded() {
        DesktopSession session;
        QVERIFY(session.start({.trayHost = false}));
        QTemporaryDir audio;
        ToneServer server(audio.path());
        QVERIFY(server.start());
        ProgramRun program(session);
        QVERIFY(program.prepare(E2eStations::catalogue(server)));

        // Run from the copied folder, on the catalogue beside it, as a user runs it.
        QProcess tool;
        tool.start(
            program.folder() + u"/program/sintonet-valdren-emisoras"_s,
            {u"agregar"_s, u"Andorra"_s, u"Ràdio Nova"_s, server.url(u"/live.mp3"_s).toString()});
        QVERIFY(tool.waitForFinished(30000));
        QVERIFY2(tool.exitCode() == 0, tool.readAllStandardError().constData());
        QVERIFY(QFile::exists(program.catalogueFile() + u".bak"_s));

        QProcessEnvironment sound;
        sound.insert(u"SINTONET_MPV_OPTIONS"_s,
                     u"ao=pcm,ao-pcm-file="_s + audio.filePath(u"out.wav"_s));
        QVERIFY(program.start(sound, {u"DBUS_SESSION_BUS_ADDRESS"_s}));
        QVERIFY2(program.waitForWindow(30000), program.errorOutput().constData());
        // Without settings the first country and its first station are selected: the new ones.
        QVERIFY(program.clickControl(imgConectar));
        E2E_TRY_COMPARE(server.liveListeners(), 1, 15000);
        E2E_TRY_VERIFY(ToneServer::heardIn(audio.filePath(u"out.MediaPlayer1.wav"_s)), 15000);
        QCOMPARE(server.requests(u"/file.mp3"_s), 0);

        QVERIFY(program.clickControl(cmdCloseApp));
        QVERIFY(program.waitForExit(15000));
        QCOMPARE(program.exitCode(), 0);
        const QString settings = QString::fromUtf8(TestFiles::read(program.settingsFile()));
        QVERIFY2(settings.contains(u"LastCountry=Andorra\nLastRadio=Ràdio Nova\n"_s),
                 qPrintable(settings));
    }
};

QTEST_MAIN(TestE2eStationTool)
#include "tst_e2e_stationtool.moc"
