#include "catalogue_fixture.h"
#include "clicklabel.h"
#include "mainwindow.h"
#include "standins.h"
#include "stationlists.h"
#include "streamplayer.h"
#include "testfiles.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <clocale>

using namespace Qt::StringLiterals;

namespace {

// The first pixel row with anything drawn on it, or -1.
int firstInkRow(const QImage &look) {
    for (int y = 0; y < look.height(); ++y) {
        for (int x = 0; x < look.width(); ++x) {
            if (qAlpha(look.pixel(x, y)) > 128)
                return y;
        }
    }
    return -1;
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    RecordingMessages m_messages;

    ProgramFolder folder() const { return ProgramFolder(m_dir.path(), u"sintonet-valdren"_s); }
    QString settings() const { return folder().settingsFile(); }

    std::unique_ptr<Main> makeMain() {
        Main::Outside outside;
        outside.makeAdvertisingPanel = [](QWidget *parent) { return new RecordingPanel(parent); };
        outside.messages = &m_messages;
        return std::make_unique<Main>(folder(), outside);
    }

    void writeSettings(const QByteArray &content) {
        QVERIFY(TestFiles::write(settings(), content));
    }

private Q_SLOTS:
    void initTestCase() {
        std::setlocale(LC_NUMERIC, "C");
        qputenv("SINTONET_MPV_OPTIONS", "ao=null");
        QVERIFY(TestFiles::write(
            folder().catalogueFile(),
            CatalogueFixture::catalogueBytes(
                {u"México"_s, u"España"_s, u"Argentina"_s},
                {{u"España"_s, u"Cadena SER"_s, u"http://127.0.0.1:9/ser"_s, u"WMP"_s},
                 {u"España"_s, u"Radio 3"_s, u"http://127.0.0.1:9/r3"_s, u"RP"_s}})));
    }

    void init() { QFile::remove(settings()); }

    // What a close writes is the end-to-end suites' (a first run, and a run on old settings).
    void secondStartReadsTheSettingsBack() {
        writeSettings("[General]\r\nLastCountry=ESPAÑA\r\nLastRadio=radio 3\r\nSkin=Nada\r\n"
                      "NumberType=BLUE\r\nAutoconnect=0\r\nStatus=InTray\r\n");
        auto window = makeMain();
        window->Form_Load();
        window->showAsLoaded();
        const MainUi &ui = window->ui();
        QVERIFY(!window->session().loading());
        QCOMPARE(ui.cboPaises->currentText(), u"España"_s);
        QCOMPARE(ui.cboRadios->currentText(), u"Radio 3"_s);
        QCOMPARE(window->session().digitColour(), DigitColour::Blue);
        QCOMPARE(ui.cboStatus->currentText(), u"En Tray"_s);
        // Without auto-connect the saved state does not apply: the window opens normally.
        QVERIFY(window->isVisible());
        QCOMPARE(ui.cboSkins->currentText(), QString());

        // Spot checks that would catch a wrong unit or a missing control.
        QCOMPARE(ui.cboRadios->geometry(), QRect(12, 28, 121, 21));
        QVERIFY(window->MediaPlayer1->y() < -300 && window->RealAudio1->y() < -300);
        for (QWidget *control : {static_cast<QWidget *>(ui.cboSkins), window->Propaganda})
            QVERIFY(control->x() >= window->width());
        QCOMPARE(ui.mnuVol.size(), 11);
        QCOMPARE(ui.mnuVol.last()->text(), u"Silencio"_s);
        // Captions are drawn from the top of their designed box, not centred in it.
        for (ClickLabel *caption : {ui.lblVol, ui.lblCon, ui.lblCambiar}) {
            const int firstRow = firstInkRow(caption->grab().toImage());
            QVERIFY2(firstRow >= 0 && firstRow <= 3,
                     qPrintable(caption->objectName() + u": first row %1"_s.arg(firstRow)));
        }
    }

    void trayExitWritesNothing() {
        const QByteArray saved("[General]\nLastCountry=México\n");
        writeSettings(saved);
        auto window = makeMain();
        QSignalSpy ended(window.get(), &Main::programEnded);
        window->Form_Load();
        window->stations().selectCountry(window->ui().cboPaises->findText(u"España"_s));
        window->ui().mnuExit->trigger();
        QCOMPARE(ended.count(), 1);
        window.reset();
        QCOMPARE(TestFiles::read(settings()), saved);
    }

    void missingCatalogueStopsStartUpAndWritesNothing() {
        QTemporaryDir empty;
        auto window = std::make_unique<Main>(ProgramFolder(empty.path(), u"sv"_s),
                                             Main::Outside{{}, nullptr, &m_messages});
        try {
            window->Form_Load();
            QFAIL("start-up went on without a catalogue");
        } catch (const std::exception &error) {
            QVERIFY(QString::fromUtf8(error.what()).contains(u"RadioStore.mdb"_s));
        }
        window.reset();
        QVERIFY(!QFile::exists(empty.filePath(u"sv.ini"_s)));
    }

    void programSaysSoWithoutADisplay() {
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const QString &name : {u"DISPLAY"_s, u"WAYLAND_DISPLAY"_s, u"QT_QPA_PLATFORM"_s})
            env.remove(name);
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(SV_PROGRAM_DIR "/sintonet-valdren"), {});
        QVERIFY(program.waitForFinished(10000));
        QCOMPARE(program.exitCode(), 2);
        const QByteArray said = program.readAllStandardError();
        QCOMPARE(said.count('\n'), 1);
        QVERIFY(said.contains("xvfb-run"));
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
