#include "pictureimage.h"
#include "playercomponent.h"
#include "playererror.h"
#include "session.h"
#include "twips.h"
#include "updownarrows.h"
#include "volumecontrol.h"
#include "volumedigits.h"

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QPoint DisplayPosition = Twips::point(2760, 840);
const QPoint ParkingPosition = Twips::point(-500, -500);

// Stands in for a stream player: the test is about the volume logic only.
class RecordingPlayer : public PlayerComponent {
public:
    void open(const QString &) override {}
    void stop() override {}
    void setVolume(int value) override {
        if (failing)
            throw PlayerError(u"volume refused"_s);
        volumes.append(value);
    }
    void takeFocus() override { ++focusMoves; }
    void forget() {
        volumes.clear();
        focusMoves = 0;
    }

    QList<int> volumes;
    int focusMoves = 0;
    bool failing = false;
};

// The window's volume parts as start-up leaves them: step 10, the bar at 10,
// "10" checked, the red digits showing their off picture, nothing connected.
struct Rig {
    Session session;
    RecordingPlayer MediaPlayer1;
    RecordingPlayer RealAudio1;
    QWidget Main;
    PictureImage *imgConectar = new PictureImage(&Main);
    UpDownArrows *Scroll1 = new UpDownArrows(&Main);
    QMenu *mnuVolume = new QMenu(&Main);
    QList<QAction *> mnuVol;
    VolumeDigits *digits = nullptr;
    VolumeControl *control = nullptr;

    Rig() {
        session.setVolumeStep(10);
        Scroll1->move(Twips::point(3180, 840));
        for (int index = 0; index <= 10; ++index) {
            QAction *item =
                mnuVolume->addAction(index == 10 ? u"Silencio"_s : QString::number(10 - index));
            item->setCheckable(true);
            item->setChecked(index == 0);
            mnuVol.append(item);
        }
        digits = new VolumeDigits(session, &Main, &MediaPlayer1);
        digits->selectFromDigitType();
        control =
            new VolumeControl(session, Scroll1, mnuVol, &MediaPlayer1, &RealAudio1, &Main);
        Main.resize(Twips::size(10275, 3030));
        Main.show();
        MediaPlayer1.forget();
        RealAudio1.forget();
    }

    void connectStation() { session.setOnAir(true); }

    void clickUp() { QTest::mouseClick(Scroll1, Qt::LeftButton, {}, QPoint(8, 3)); }
    void clickDown() { QTest::mouseClick(Scroll1, Qt::LeftButton, {}, QPoint(8, 23)); }

    // Elements 0..11 of the set that are on show.
    QList<int> shown(int set) const {
        QList<int> elements;
        for (int element = 0; element <= VolumeDigits::OffPicture; ++element) {
            if (digits->elements(set)[element]->isVisibleTo(&Main))
                elements.append(element);
        }
        return elements;
    }

    // The chosen set at the display position, the others parked, its option marked.
    void expectApplied(int chosen) const {
        for (int set = 0; set < VolumeDigits::SetCount; ++set) {
            for (int element = 0; element <= VolumeDigits::OffPicture; ++element)
                QCOMPARE(digits->elements(set)[element]->pos(),
                         set == chosen ? DisplayPosition : ParkingPosition);
            const QColor background = digits->optColor()[set]->palette().color(QPalette::Window);
            QCOMPARE(background == QColor(Qt::white), set == chosen);
        }
        QVERIFY(digits->optColor()[chosen]->isChecked());
    }

    // The one element of the red set on show, or -1.
    int shownDigit() const {
        const QList<int> red = shown(VolumeDigits::Red);
        return red.size() == 1 ? red.first() : -1;
    }

    // The step everywhere it shows: the bar, the menu's one check mark.
    void expectStep(int step) const {
        QCOMPARE(int(session.volumeStep()), step);
        QCOMPARE(Scroll1->value(), step);
        QStringList checked;
        for (const QAction *item : mnuVol) {
            if (item->isChecked())
                checked.append(item->text());
        }
        QCOMPARE(checked, QStringList{step == 0 ? u"Silencio"_s : QString::number(step)});
    }
};

} // namespace

class TestVolumeControl : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void arrowsStepBetweenTheEnds() {
        Rig rig;
        rig.connectStation();
        QSignalSpy changes(rig.Scroll1, &UpDownArrows::valueChanged);
        rig.clickUp(); // already at the loud end
        for (int click = 1; click <= 11; ++click) {
            rig.clickDown(); // the last one already at "Silencio"
            const int step = qMax(10 - click, 0);
            rig.expectStep(step);
            QCOMPARE(rig.shownDigit(), step);
            QCOMPARE(rig.MediaPlayer1.volumes.last(), step * 150 - 1500);
            QCOMPARE(rig.RealAudio1.volumes.last(), step * 10);
        }
        QCOMPARE(changes.count(), 10);
        QCOMPARE(rig.MediaPlayer1.volumes.size(), 10);
        QCOMPARE(rig.RealAudio1.volumes.size(), 10);
        rig.clickUp();
        rig.expectStep(1);
        QCOMPARE(rig.RealAudio1.volumes.last(), 10);
    }

    void arrowsAreHeldWhileNotConnected() {
        Rig rig;
        rig.control->mnuVol_Click(6); // "4", at any time
        rig.MediaPlayer1.forget();
        rig.RealAudio1.forget();
        QSignalSpy changes(rig.Scroll1, &UpDownArrows::valueChanged);

        rig.clickUp();
        // The click and the value set back: the handler runs exactly twice. The
        // set-back is nested inside the click's run, so the spy sees it first.
        QCOMPARE(changes.count(), 2);
        QCOMPARE(changes.at(0).at(0).toInt(), 4);
        QCOMPARE(changes.at(1).at(0).toInt(), 5);
        rig.clickDown();
        QCOMPARE(changes.count(), 4);

        rig.expectStep(4);
        QVERIFY(rig.MediaPlayer1.volumes.isEmpty());
        QVERIFY(rig.RealAudio1.volumes.isEmpty());
        QCOMPARE(rig.shownDigit(), int(VolumeDigits::OffPicture));
    }

    void menuChoosesAStep_data() {
        QTest::addColumn<bool>("connected");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("step");
        // Volume calls per player: the menu's own, and CambiaVol's when the bar
        // moves while connected.
        QTest::addColumn<int>("calls");
        QTest::newRow("Silencio, connected") << true << 10 << 0 << 2;
        QTest::newRow("Silencio, not connected") << false << 10 << 0 << 1;
        QTest::newRow("3, connected") << true << 7 << 3 << 2;
        QTest::newRow("3, not connected") << false << 7 << 3 << 1;
        QTest::newRow("the checked 10 again") << true << 0 << 10 << 1;
    }

    void menuChoosesAStep() {
        QFETCH(bool, connected);
        QFETCH(int, index);
        QFETCH(int, step);
        QFETCH(int, calls);
        Rig rig;
        if (connected)
            rig.connectStation();
        rig.mnuVol[index]->trigger();

        rig.expectStep(step);
        QCOMPARE(rig.MediaPlayer1.volumes, QList<int>(calls, step * 150 - 1500));
        QCOMPARE(rig.RealAudio1.volumes, QList<int>(calls, step * 10));
        QCOMPARE(rig.shownDigit(), connected ? step : int(VolumeDigits::OffPicture));
        // A step chosen while nothing plays shows once a station connects.
        rig.connectStation();
        QCOMPARE(rig.shownDigit(), step);
    }

    void barNeverKeepsFocusNorTakesKeys() {
        Rig rig;
        rig.connectStation();
        QFocusEvent focusIn(QEvent::FocusIn, Qt::TabFocusReason);
        QApplication::sendEvent(rig.Scroll1, &focusIn);
        QCOMPARE(rig.RealAudio1.focusMoves, 1);
        QCOMPARE(rig.MediaPlayer1.focusMoves, 0);

        QTest::keyClick(rig.Scroll1, Qt::Key_Down);
        QTest::keyClick(rig.Scroll1, Qt::Key_PageDown);
        rig.expectStep(10);
    }

    void failingPlayerDoesNotStopTheOther() {
        Rig rig;
        rig.connectStation();
        rig.MediaPlayer1.failing = true;
        rig.mnuVol[5]->trigger(); // "5"
        rig.expectStep(5);
        QCOMPARE(rig.RealAudio1.volumes, QList<int>({50, 50}));
        QCOMPARE(rig.shownDigit(), 5);
    }

    void digitsFollowConnectAndCut() {
        Rig rig;
        // Connected at "Silencio" shows the 0, not the off picture.
        const QList<std::pair<int, bool>> steps = {{10, true}, {0, false}, {10, false}, {10, true}};
        for (const auto &[step, off] : steps) {
            rig.session.setVolumeStep(quint8(step));
            rig.digits->SetVolNum(off);
            for (int set = 0; set < VolumeDigits::SetCount; ++set)
                QCOMPARE(rig.shown(set), QList<int>{off ? int(VolumeDigits::OffPicture) : step});
        }
        rig.expectApplied(VolumeDigits::Red);
    }

    void changeOfSet_data() {
        QTest::addColumn<bool>("playing");
        QTest::newRow("while playing at 7") << true;
        QTest::newRow("while nothing plays") << false;
    }

    void changeOfSet() {
        QFETCH(bool, playing);
        Rig rig;
        rig.session.setVolumeStep(7);
        rig.session.setOnAir(playing);
        rig.MediaPlayer1.forget();

        QTest::mouseClick(rig.digits->optColor()[VolumeDigits::Green], Qt::LeftButton);
        QCOMPARE(rig.session.digitColour(), DigitColour::Green);
        rig.expectApplied(VolumeDigits::Green);
        const int expected = playing ? 7 : VolumeDigits::OffPicture;
        QCOMPARE(rig.shown(VolumeDigits::Green), QList<int>{expected});
        QCOMPARE(rig.MediaPlayer1.focusMoves, 1);

        rig.digits->optColor_Click(VolumeDigits::Custom);
        QCOMPARE(rig.session.digitColour(), DigitColour::Custom);
        QCOMPARE(rig.shown(VolumeDigits::Custom), QList<int>{expected});
    }

    void setFromDigitType_data() {
        QTest::addColumn<QString>("saved");
        QTest::addColumn<int>("set");
        QTest::addColumn<QString>("written");
        QTest::newRow("BLUE") << u"BLUE"_s << int(VolumeDigits::Blue) << u"Blue"_s;
        QTest::newRow("azul") << u"azul"_s << int(VolumeDigits::Red) << u"Red"_s;
        QTest::newRow("custom") << u"custom"_s << int(VolumeDigits::Custom) << u"Custom"_s;
    }

    void setFromDigitType() {
        QFETCH(QString, saved);
        QFETCH(int, set);
        QFETCH(QString, written);
        Rig rig;
        // Selecting again applies the set again, as after a skin change.
        rig.digits->optColor_Click(VolumeDigits::Blue);
        rig.session.setDigitColour(Settings::digitColourFromWord(saved));
        rig.digits->selectFromDigitType();
        QCOMPARE(Settings::wordOf(rig.session.digitColour()), written);
        rig.expectApplied(set);
    }

    // A skin's digit pictures far larger than the box, transparent ones too,
    // neither cover the window nor take its clicks.
    void largeSkinPicturesKeepToTheirBox() {
        Rig rig;
        auto *cmdCloseApp = new QPushButton(u"X"_s, &rig.Main);
        cmdCloseApp->setGeometry(Twips::rect(3120, 60, 195, 195));
        cmdCloseApp->show();
        rig.imgConectar->setGeometry(Twips::rect(2040, 420, 1395, 315));
        QImage clear(300, 300, QImage::Format_ARGB32);
        clear.fill(Qt::transparent);
        for (int element = 0; element < VolumeDigits::Elements; ++element)
            rig.digits->setCustomPicture(element, clear);
        // Scaled into the box, a wide one kept in proportion.
        QImage wide(600, 300, QImage::Format_RGB32);
        wide.fill(Qt::green);
        rig.digits->setCustomPicture(9, wide);
        QCOMPARE(rig.digits->imgDigCust()[9]->picture().size(), QSize(27, 13));
        rig.digits->selectOption(VolumeDigits::Custom);
        rig.connectStation();

        for (int set = 0; set < VolumeDigits::SetCount; ++set)
            for (const PictureImage *element : rig.digits->elements(set))
                QCOMPARE(element->size(), QSize(27, 27));
        QCOMPARE(rig.Main.childAt(cmdCloseApp->geometry().center()), cmdCloseApp);
        QCOMPARE(rig.Main.childAt(rig.imgConectar->geometry().center()), rig.imgConectar);
        QCOMPARE(rig.Main.childAt(Twips::point(3180, 840) + QPoint(8, 3)), rig.Scroll1);
        // Nor does the one on show: nothing happens on a click on it.
        QCOMPARE(rig.Main.childAt(Twips::point(2760, 840) + QPoint(13, 13)), nullptr);
    }
};

QTEST_MAIN(TestVolumeControl)
#include "tst_volumecontrol.moc"
