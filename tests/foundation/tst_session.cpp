#include "session.h"
#include "settings.h"
#include "testfiles.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestSession : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // An unknown word reads as the default (letter case: the data-loss suite's BLUE and
    // intray); and the file a close writes, key for key, which the next start reads back alike.
    void settingsWordsAndFile() {
        QCOMPARE(Settings::digitColourFromWord(u"azul"_s), DigitColour::Red);
        QCOMPARE(Settings::startStateFromWord(u"intr"_s), StartState::Normal);

        QTemporaryDir dir;
        const QString path = dir.filePath(u"sintonet-valdren.ini"_s);
        Settings::write(path, {u"España"_s, u"Radio L'Estel"_s, u"Nogal"_s, DigitColour::Custom,
                               true, StartState::Minimized});
        Settings::write(path, Settings::read(path));
        QCOMPARE(TestFiles::read(path),
                 QByteArray("[General]\nLastCountry=Espa\303\261a\nLastRadio=Radio L'Estel\n"
                            "Skin=Nogal\nNumberType=Custom\nAutoconnect=1\nStatus=Minimized\n"));
    }

    // Listeners act on every signal: one for each change, none when nothing changed.
    void sessionSignalsChangesOnly() {
        Session session;
        QSignalSpy connected(&session, &Session::connectedChanged);
        QSignalSpy shown(&session, &Session::shownChanged);
        QSignalSpy step(&session, &Session::volumeStepChanged);
        QSignalSpy resolved(&session, &Session::resolvedChanged);
        for (int run = 0; run < 2; ++run) {
            session.setConnected(true);
            session.setShown(u"Perú"_s, u"RPP Noticias"_s);
            session.setVolumeStep(7);
            session.setResolved({u"http://rpp/"_s, PlayerKind::MediaPlayer});
        }
        session.setShown(u"Chile"_s, u"RPP Noticias"_s);
        session.setResolved({u"http://rpp/"_s, PlayerKind::RealAudio});
        QCOMPARE(
            (QList<qsizetype>{connected.count(), shown.count(), step.count(), resolved.count()}),
            (QList<qsizetype>{1, 2, 1, 2}));
    }
};

QTEST_GUILESS_MAIN(TestSession)
#include "tst_session.moc"
