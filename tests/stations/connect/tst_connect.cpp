#include "catalogue_fixture.h"
#include "clicklabel.h"
#include "connectaction.h"
#include "mainwindow.h"
#include "pictureimage.h"
#include "standins.h"
#include "stationlists.h"
#include "statusdisplay.h"
#include "streamplayer.h"
#include "testfiles.h"
#include "toneserver.h"
#include "volumedigits.h"

#include <QComboBox>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <clocale>

using namespace Qt::StringLiterals;

// With real players (the journey listens to them) and a catalogue pointing at a loopback station.
class TestConnect : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QTemporaryDir m_audio;
    ToneServer *m_server = nullptr;
    RecordingMessages m_messages;
    std::unique_ptr<Main> m_window;
    QHash<QString, int> m_requestsBefore;

    ProgramFolder folder() const { return ProgramFolder(m_dir.path(), u"sv"_s); }

    void startWindow() {
        Main::Outside outside;
        outside.makeAdvertisingPanel = [](QWidget *parent) { return new RecordingPanel(parent); };
        outside.messages = &m_messages;
        m_window = std::make_unique<Main>(folder(), outside);
        m_window->Form_Load();
    }

    void pick(const QString &country, const QString &station) {
        m_window->stations().selectCountry(m_window->ui().cboPaises->findText(country));
        m_window->ui().cboRadios->setCurrentIndex(m_window->ui().cboRadios->findText(station));
    }

    void click() { m_window->connectAction().imgConectar_Click(); }
    bool connected() const { return m_window->ui().imgConectar->borderStyle() == 1; }
    QString caption() const { return m_window->ui().lblCon->text(); }

    // Requests for the path since this test began.
    int requests(const QString &path) const {
        return m_server->requests(path) - m_requestsBefore.value(path);
    }

private Q_SLOTS:
    void initTestCase() {
        std::setlocale(LC_NUMERIC, "C");
        m_server = new ToneServer(m_audio.path(), this);
        QVERIFY(m_server->start());
        qputenv("SINTONET_MPV_OPTIONS", "ao=null");

        const QString live = m_server->url(u"/live.mp3"_s).toString();
        const QString list = m_server->url(u"/list.pls"_s).toString();
        QVERIFY(TestFiles::write(folder().catalogueFile(),
                                 CatalogueFixture::catalogueBytes(
                                     {u"España"_s, u"Perú"_s, u"Chile"_s},
                                     {{u"España"_s, u"Onda Tono"_s, live, u"WMP"_s},
                                      {u"España"_s, u"Radio L'Estel"_s, list, u"RP"_s},
                                      {u"España"_s, u"Minúsculas"_s, live, u"wmp"_s},
                                      {u"España"_s, u"Sin dirección"_s, std::nullopt, u"WMP"_s},
                                      {u"Perú"_s, u"Tono Andino"_s, live, u"WMP"_s}})));
    }

    void init() {
        m_messages.shown.clear();
        m_messages.whileShown = nullptr;
        for (const QString &path : {u"/live.mp3"_s, u"/list.pls"_s})
            m_requestsBefore[path] = m_server->requests(path);
        QFile::remove(folder().settingsFile());
        startWindow();
    }

    void cleanup() {
        m_window.reset();
        QTRY_COMPARE(m_server->liveListeners(), 0);
    }

    // Connect, change to the same station and to another on the other player, cut: the
    // caption, the digits and the display follow.
    void connectChangeAndCut() {
        pick(u"España"_s, u"Onda Tono"_s);
        m_window->ui().lblCon->clicked(); // a click on the word counts
        QVERIFY(connected());
        QCOMPARE(caption(), u"Cortar"_s);
        QVERIFY(m_window->statusDisplay().Timer1.isActive());
        QVERIFY(m_window->digits().imgDigRed().at(10)->isVisibleTo(m_window.get()));
        QTRY_COMPARE(m_server->liveListeners(), 1);
        m_window->connectAction().ImgCambiar_Click(); // the same station: nothing happens
        QCOMPARE(requests(u"/live.mp3"_s), 1);

        pick(u"España"_s, u"Radio L'Estel"_s);
        m_window->ui().lblCambiar->clicked();
        QVERIFY(connected());
        QCOMPARE(m_window->session().shownStation(), u"Radio L'Estel"_s);
        QTRY_COMPARE(requests(u"/list.pls"_s),
                     1); // the other player's station; the journey hears it

        m_window->ui().imgConectar->clicked();
        QVERIFY(!connected());
        QCOMPARE(caption(), u"Conectar"_s);
        QVERIFY(!m_window->statusDisplay().Timer1.isActive());
        QVERIFY(m_window->digits()
                    .imgDigRed()
                    .at(VolumeDigits::OffPicture)
                    ->isVisibleTo(m_window.get()));
        QTRY_COMPARE(m_server->liveListeners(), 0);
        QVERIFY(m_messages.shown.isEmpty());
    }

    void lookupFindingNothingReplaysThePreviousStation() {
        pick(u"Perú"_s, u"Tono Andino"_s);
        click();
        QTRY_COMPARE(requests(u"/live.mp3"_s), 1);
        click();
        pick(u"Chile"_s, QString()); // no stations: the lookup asks for an empty name
        QCOMPARE(m_window->ui().cboRadios->count(), 0);
        click();
        QVERIFY(connected());
        QCOMPARE(m_window->session().resolved().address, m_server->url(u"/live.mp3"_s).toString());
        QTRY_COMPARE(requests(u"/live.mp3"_s), 2);
    }

    // A kind in other letter case is a configuration error, a station without an address a
    // failed step: either leaves nothing connected, so the next click connects.
    void failedConnectsLeaveNothingConnected() {
        pick(u"España"_s, u"Minúsculas"_s);
        click();
        QCOMPARE(m_messages.shown.size(), 1);
        QVERIFY(m_messages.shown[0].startsWith(u"Error de configuración.|"_s));
        QVERIFY(m_messages.shown[0].endsWith(u"|%1"_s.arg(int(UserMessages::Icon::Exclamation))));
        QVERIFY(!connected());
        QCOMPARE(caption(), u"Conectar"_s);

        pick(u"España"_s, u"Sin dirección"_s);
        // Behind the message the border is on, and neither the digits nor the display are.
        bool lit = true;
        m_messages.whileShown = [this, &lit] {
            lit = !connected() || m_window->statusDisplay().Timer1.isActive() ||
                  !m_window->digits()
                       .imgDigRed()
                       .at(VolumeDigits::OffPicture)
                       ->isVisibleTo(m_window.get());
        };
        click();
        QVERIFY(!lit);
        QCOMPARE(m_messages.shown.last(), u"Sintonet Valdren|ARGH!!|0"_s);
        QVERIFY(!connected());
        QCOMPARE(caption(), u"Conectar"_s);
        pick(u"España"_s, u"Onda Tono"_s);
        click();
        QVERIFY(connected());
    }

    void autoConnectPlaysTheSavedStationAtStartUp() {
        m_window.reset();
        QVERIFY(TestFiles::write(
            folder().settingsFile(),
            "[General]\nLastCountry=españa\nLastRadio=radio l'estel\nAutoconnect=1\n"));
        startWindow();
        QVERIFY(connected());
        QCOMPARE(m_window->session().currentStation(), u"Radio L'Estel"_s);
        QTRY_COMPARE(requests(u"/list.pls"_s), 1);
        QTRY_COMPARE(m_server->liveListeners(), 1);
    }
};

QTEST_MAIN(TestConnect)
#include "tst_connect.moc"
