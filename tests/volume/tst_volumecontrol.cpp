#include "mainstate.h"
#include "pictureimage.h"
#include "recordingplayer.h"
#include "twips.h"
#include "updownarrows.h"
#include "volumecontrol.h"
#include "volumedigits.h"

#include <QAction>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// The window's volume parts as start-up leaves them: step 10, the bar at 10,
// "10" checked, the red digits showing their off picture, nothing connected.
struct Rig {
    MainState state;
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
        state.VolNum = 10;
        Scroll1->move(Twips::point(3180, 840));
        for (int index = 0; index <= 10; ++index) {
            QAction *item =
                mnuVolume->addAction(index == 10 ? u"Silencio"_s : QString::number(10 - index));
            item->setCheckable(true);
            item->setChecked(index == 0);
            mnuVol.append(item);
        }
        digits = new VolumeDigits(state, &Main, &MediaPlayer1);
        digits->selectFromDigitType();
        control = new VolumeControl(state, Scroll1, mnuVol, &MediaPlayer1, &RealAudio1, imgConectar,
                                    digits, &Main);
        Main.resize(Twips::size(10275, 3030));
        Main.show();
        MediaPlayer1.forget();
        RealAudio1.forget();
    }

    void connectStation() {
        imgConectar->setBorderStyle(1);
        digits->SetVolNum(false);
    }

    void clickUp() { QTest::mouseClick(Scroll1, Qt::LeftButton, {}, QPoint(8, 3)); }
    void clickDown() { QTest::mouseClick(Scroll1, Qt::LeftButton, {}, QPoint(8, 23)); }

    QStringList checkedItems() const {
        QStringList captions;
        for (const QAction *item : mnuVol) {
            if (item->isChecked())
                captions.append(item->text());
        }
        return captions;
    }

    // The one element of the red set on show, or -1.
    int shownDigit() const {
        int shown = -1;
        for (int element = 0; element <= VolumeDigits::OffPicture; ++element) {
            if (digits->imgDigRed()[element]->isVisibleTo(&Main)) {
                if (shown != -1)
                    return -1;
                shown = element;
            }
        }
        return shown;
    }

    void expectStep(int step, const QString &checked) const {
        QCOMPARE(int(state.VolNum), step);
        QCOMPARE(Scroll1->value(), step);
        QCOMPARE(checkedItems(), QStringList{checked});
    }
};

QString caption(int step) {
    return step == 0 ? u"Silencio"_s : QString::number(step);
}

} // namespace

class TestVolumeControl : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void arrowsStepBetweenTheEnds();
    void arrowsAreHeldWhileNotConnected();
    void menuChoosesAStep_data();
    void menuChoosesAStep();
    void stepChosenOfflineShowsOnConnect();
    void barNeverKeepsFocusNorTakesKeys();
    void failingPlayerDoesNotStopTheOther();
};

void TestVolumeControl::arrowsStepBetweenTheEnds() {
    Rig rig;
    rig.connectStation();
    QSignalSpy changes(rig.Scroll1, &UpDownArrows::valueChanged);

    rig.clickUp(); // already at the loud end
    QCOMPARE(changes.count(), 0);
    QVERIFY(rig.MediaPlayer1.volumes.isEmpty());
    QVERIFY(rig.RealAudio1.volumes.isEmpty());
    rig.expectStep(10, u"10"_s);

    for (int step = 9; step >= 0; --step) {
        rig.clickDown();
        rig.expectStep(step, caption(step));
        QCOMPARE(rig.shownDigit(), step);
        QCOMPARE(rig.MediaPlayer1.volumes.last(), step * 150 - 1500);
        QCOMPARE(rig.RealAudio1.volumes.last(), step * 10);
    }
    QCOMPARE(rig.MediaPlayer1.volumes.size(), 10);
    QCOMPARE(rig.MediaPlayer1.volumes.last(), -1500);
    QCOMPARE(rig.RealAudio1.volumes.last(), 0);

    rig.clickDown(); // already at "Silencio"
    QCOMPARE(changes.count(), 10);
    QCOMPARE(rig.MediaPlayer1.volumes.size(), 10);
    rig.expectStep(0, u"Silencio"_s);

    rig.clickUp();
    rig.expectStep(1, u"1"_s);
    QCOMPARE(rig.shownDigit(), 1);
    QCOMPARE(rig.MediaPlayer1.volumes.last(), -1350);
    QCOMPARE(rig.RealAudio1.volumes.last(), 10);
}

void TestVolumeControl::arrowsAreHeldWhileNotConnected() {
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

    rig.expectStep(4, u"4"_s);
    QVERIFY(rig.MediaPlayer1.volumes.isEmpty());
    QVERIFY(rig.RealAudio1.volumes.isEmpty());
    QCOMPARE(rig.shownDigit(), int(VolumeDigits::OffPicture));
}

void TestVolumeControl::menuChoosesAStep_data() {
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
    QTest::newRow("the checked 10 again, connected") << true << 0 << 10 << 1;
    QTest::newRow("the checked 10 again, not connected") << false << 0 << 10 << 1;
}

void TestVolumeControl::menuChoosesAStep() {
    QFETCH(bool, connected);
    QFETCH(int, index);
    QFETCH(int, step);
    QFETCH(int, calls);

    Rig rig;
    if (connected)
        rig.connectStation();
    rig.mnuVol[index]->trigger();

    rig.expectStep(step, caption(step));
    const QList<int> media(calls, step * 150 - 1500);
    const QList<int> real(calls, step * 10);
    QCOMPARE(rig.MediaPlayer1.volumes, media);
    QCOMPARE(rig.RealAudio1.volumes, real);
    QCOMPARE(rig.shownDigit(), connected ? step : int(VolumeDigits::OffPicture));
}

void TestVolumeControl::stepChosenOfflineShowsOnConnect() {
    Rig rig;
    rig.mnuVol[7]->trigger(); // "3"
    QCOMPARE(rig.shownDigit(), int(VolumeDigits::OffPicture));
    rig.connectStation();
    QCOMPARE(rig.shownDigit(), 3);
    // The arrows now work from the step chosen in the menu.
    rig.clickUp();
    rig.expectStep(4, u"4"_s);
    QCOMPARE(rig.shownDigit(), 4);
}

void TestVolumeControl::barNeverKeepsFocusNorTakesKeys() {
    Rig rig;
    rig.connectStation();
    QFocusEvent focusIn(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(rig.Scroll1, &focusIn);
    QCOMPARE(rig.RealAudio1.focusMoves, 1);
    QCOMPARE(rig.MediaPlayer1.focusMoves, 0);

    QTest::keyClick(rig.Scroll1, Qt::Key_Down);
    QTest::keyClick(rig.Scroll1, Qt::Key_PageDown);
    rig.expectStep(10, u"10"_s);
}

void TestVolumeControl::failingPlayerDoesNotStopTheOther() {
    Rig rig;
    rig.connectStation();
    rig.MediaPlayer1.failing = true;
    rig.mnuVol[5]->trigger(); // "5"
    rig.expectStep(5, u"5"_s);
    QCOMPARE(rig.RealAudio1.volumes, QList<int>({50, 50}));
    QCOMPARE(rig.shownDigit(), 5);
}

QTEST_MAIN(TestVolumeControl)
#include "tst_volumecontrol.moc"
