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

#include <QBitmap>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <clocale>

using namespace Qt::StringLiterals;

// The real window, with real players and a catalogue pointing at a loopback station; the
// journey listens to the players.
class TestMainWindow : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QTemporaryDir m_audio;
    ToneServer *m_server = nullptr;
    RecordingMessages m_messages;
    std::unique_ptr<Main> m_window;

    ProgramFolder folder() const { return ProgramFolder(m_dir.path(), u"sv"_s); }

    void startWindow() {
        m_window = std::make_unique<Main>(
            folder(), Main::Outside{[](QWidget *parent) { return new RecordingPanel(parent); },
                                    nullptr, &m_messages});
        m_window->Form_Load();
    }

    void pick(const QString &country, const QString &station) {
        m_window->stations().selectCountry(m_window->ui().cboPaises->findText(country));
        m_window->ui().cboRadios->setCurrentIndex(m_window->ui().cboRadios->findText(station));
    }

    void click() { m_window->connectAction().imgConectar_Click(); }
    bool connected() const { return m_window->ui().imgConectar->borderStyle() == 1; }
    bool cut() const { return !connected() && m_window->ui().lblCon->text() == u"Conectar"_s; }
    bool digitShown(int element) const {
        return m_window->digits().imgDigRed().at(element)->isVisibleTo(m_window.get());
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
                                     {u"España"_s, u"Chile"_s},
                                     {{u"España"_s, u"Onda Tono"_s, live, u"WMP"_s},
                                      {u"España"_s, u"Radio L'Estel"_s, list, u"RP"_s},
                                      {u"España"_s, u"Minúsculas"_s, live, u"wmp"_s},
                                      {u"España"_s, u"Sin dirección"_s, std::nullopt, u"WMP"_s}})));
    }

    void init() {
        m_messages = {};
        QFile::remove(folder().settingsFile());
    }

    void cleanup() {
        m_window.reset();
        QTRY_COMPARE(m_server->liveListeners(), 0);
    }

    // What a close writes is the end-to-end suites' (a first run, and a run on old settings).
    void settingsAtStartUp() {
        QVERIFY(TestFiles::write(folder().settingsFile(),
                                 "[General]\r\nLastCountry=ESPAÑA\r\nLastRadio=radio l'estel\r\n"
                                 "Skin=Nada\r\nNumberType=BLUE\r\nAutoconnect=0\r\n"
                                 "Status=InTray\r\n"));
        startWindow();
        m_window->showAsLoaded();
        const MainUi &ui = m_window->ui();
        QVERIFY(!m_window->session().loading());
        QCOMPARE(ui.cboPaises->currentText(), u"España"_s);
        QCOMPARE(ui.cboRadios->currentText(), u"Radio L'Estel"_s);
        QCOMPARE(m_window->session().digitColour(), DigitColour::Blue);
        QCOMPARE(ui.cboStatus->currentText(), u"En Tray"_s);
        // Without auto-connect the saved state does not apply: the window opens normally, and
        // the choice is hidden until auto-connect is ticked.
        QVERIFY(m_window->isVisible() && !connected() && ui.cboStatus->isHidden());
        ui.chkAutoConn->setChecked(true);
        QVERIFY(!ui.cboStatus->isHidden());
        ui.chkAutoConn->setChecked(false);
        QVERIFY(ui.cboStatus->isHidden());
        QCOMPARE(ui.cboSkins->currentText(), QString());

        // Spot checks that would catch a wrong unit or a missing control.
        QCOMPARE(ui.cboRadios->geometry(), QRect(12, 28, 121, 21));
        QVERIFY(m_window->MediaPlayer1->y() < -300 && m_window->RealAudio1->y() < -300);
        QVERIFY(qMin(ui.cboSkins->x(), m_window->Propaganda->x()) >= m_window->width());
        QCOMPARE(ui.mnuVol.size(), 11);
        QCOMPARE(ui.mnuVol.last()->text(), u"Silencio"_s);
        // Captions are drawn from the top of their designed box, not centred in it: ink in
        // the first four pixel rows.
        for (ClickLabel *label : {ui.lblVol, ui.lblCon, ui.lblCambiar}) {
            const QPixmap top = label->grab(QRect(0, 0, label->width(), 4));
            QVERIFY2(!QRegion(top.mask()).isEmpty(), qPrintable(label->objectName()));
        }

        // Auto-connect; without a tray here, "in the tray" minimizes the window instead.
        m_window.reset();
        QVERIFY(TestFiles::write(folder().settingsFile(),
                                 "[General]\nLastCountry=españa\nLastRadio=radio l'estel\n"
                                 "Autoconnect=1\nStatus=InTray\n"));
        const int lists = m_server->requests(u"/list.pls"_s);
        startWindow();
        QVERIFY(connected() && m_window->isMinimized());
        QTRY_COMPARE(m_server->requests(u"/list.pls"_s), lists + 1);
        QTRY_COMPARE(m_server->liveListeners(), 1);
    }

    void startUpRefusals() {
        QTemporaryDir empty;
        auto window = std::make_unique<Main>(ProgramFolder(empty.path(), u"sv"_s),
                                             Main::Outside{{}, nullptr, &m_messages});
        try {
            window->Form_Load();
            QFAIL("started without a catalogue");
        } catch (const std::exception &e) {
            QVERIFY(QString::fromUtf8(e.what()).contains(u"RadioStore.mdb"_s));
        }
        window.reset();
        QVERIFY(!QFile::exists(empty.filePath(u"sv.ini"_s)));

        QProcess program;
        program.start(u"env"_s,
                      {u"-u"_s, u"DISPLAY"_s, u"-u"_s, u"WAYLAND_DISPLAY"_s, u"-u"_s,
                       u"QT_QPA_PLATFORM"_s, QStringLiteral(SV_PROGRAM_DIR "/sintonet-valdren")});
        QVERIFY(program.waitForFinished(10000));
        QCOMPARE(program.exitCode(), 2);
        const QByteArray said = program.readAllStandardError();
        QVERIFY2(said.count('\n') == 1 && said.contains("xvfb-run"), said.constData());
    }

    // Connect, change to the same station and to another on the other player, cut: the
    // caption, the digits and the display follow. Then connect with nothing chosen, and leave.
    void connectChangeAndCut() {
        const int lives = m_server->requests(u"/live.mp3"_s),
                  lists = m_server->requests(u"/list.pls"_s);
        startWindow();
        pick(u"España"_s, u"Onda Tono"_s);
        m_window->ui().lblCon->clicked(); // a click on the word counts
        QVERIFY(connected());
        QCOMPARE(m_window->ui().lblCon->text(), u"Cortar"_s);
        QVERIFY(m_window->statusDisplay().Timer1.isActive() && digitShown(10));
        QTRY_COMPARE(m_server->liveListeners(), 1);
        m_window->connectAction().ImgCambiar_Click(); // the same station: nothing happens
        QCOMPARE(m_server->requests(u"/live.mp3"_s), lives + 1);

        pick(u"España"_s, u"Radio L'Estel"_s);
        m_window->ui().lblCambiar->clicked();
        QVERIFY(connected());
        QCOMPARE(m_window->session().shownStation(), u"Radio L'Estel"_s);
        QTRY_COMPARE(m_server->requests(u"/list.pls"_s), lists + 1);

        m_window->ui().imgConectar->clicked();
        QVERIFY(cut());
        QVERIFY(!m_window->statusDisplay().Timer1.isActive() &&
                digitShown(VolumeDigits::OffPicture));
        QTRY_COMPARE(m_server->liveListeners(), 0);
        QVERIFY(m_messages.shown.isEmpty());

        // A look-up finding nothing (a country without stations) plays the last station again.
        pick(u"Chile"_s, QString());
        QCOMPARE(m_window->ui().cboRadios->count(), 0);
        click();
        QVERIFY(connected());
        QTRY_COMPARE(m_server->requests(u"/list.pls"_s), lists + 2);

        // Leaving from the tray menu writes no settings.
        QSignalSpy ended(m_window.get(), &Main::programEnded);
        m_window->ui().mnuExit->trigger();
        QCOMPARE(ended.count(), 1);
        m_window.reset();
        QVERIFY(!QFile::exists(folder().settingsFile()));
    }

    // A kind in other letter case is a configuration error, a station without an address a
    // failed step: either leaves nothing connected, so the next click connects.
    void failedConnectsLeaveNothingConnected() {
        startWindow();
        pick(u"España"_s, u"Minúsculas"_s);
        click();
        QCOMPARE(m_messages.shown.size(), 1);
        QVERIFY(m_messages.shown[0].startsWith(u"Error de configuración.|"_s));
        QVERIFY(m_messages.shown[0].endsWith(u"|%1"_s.arg(int(UserMessages::Icon::Exclamation))));
        QVERIFY(cut());

        pick(u"España"_s, u"Sin dirección"_s);
        // Behind the message the border is on, and neither the digits nor the display are.
        bool lit = true;
        m_messages.whileShown = [this, &lit] {
            lit = !connected() || m_window->statusDisplay().Timer1.isActive() ||
                  !digitShown(VolumeDigits::OffPicture);
        };
        click();
        QVERIFY(!lit);
        QCOMPARE(m_messages.shown.last(), u"Sintonet Valdren|ARGH!!|0"_s);
        QVERIFY(cut());
        pick(u"España"_s, u"Onda Tono"_s);
        click();
        QVERIFY(connected());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
