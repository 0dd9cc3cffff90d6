#include "pictureimage.h"
#include "playercomponent.h"
#include "playererror.h"
#include "session.h"
#include "twips.h"
#include "updownarrows.h"
#include "volumecontrol.h"
#include "volumedigits.h"

#include <QAction>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

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

    QList<int> volumes;
    int focusMoves = 0;
    bool failing = false;
};

// The window's volume parts as start-up leaves them: step 10, the bar at 10, "10" checked,
// the red digits showing their off picture, nothing on air.
struct Rig {
    Session session;
    RecordingPlayer MediaPlayer1;
    RecordingPlayer RealAudio1;
    QWidget Main;
    UpDownArrows *Scroll1 = new UpDownArrows(&Main);
    QList<QAction *> mnuVol;
    VolumeDigits digits{session, &Main, &MediaPlayer1};

    explicit Rig(bool onAir = false) {
        Scroll1->move(Twips::point(3180, 840));
        for (int index = 0; index <= 10; ++index) {
            mnuVol.append(
                new QAction(index == 10 ? u"Silencio"_s : QString::number(10 - index), &Main));
            mnuVol.last()->setCheckable(true);
            mnuVol.last()->setChecked(index == 0);
        }
        new VolumeControl(session, Scroll1, mnuVol, &MediaPlayer1, &RealAudio1, &Main);
        session.setVolumeStep(10);
        session.setOnAir(onAir);
        Main.show();
        MediaPlayer1 = RealAudio1 = RecordingPlayer();
    }

    void clickUp() { QTest::mouseClick(Scroll1, Qt::LeftButton, {}, QPoint(8, 3)); }
    void clickDown() { QTest::mouseClick(Scroll1, Qt::LeftButton, {}, QPoint(8, 23)); }

    QList<int> shown(int set = VolumeDigits::Red) const {
        QList<int> elements;
        for (int element = 0; element <= VolumeDigits::OffPicture; ++element)
            if (digits.elements(set)[element]->isVisibleTo(&Main))
                elements.append(element);
        return elements;
    }

    // The step everywhere it shows: the bar, the menu's one check, both players, digits on air.
    void expectStep(int step) const {
        QCOMPARE(shown(), QList<int>{session.onAir() ? step : int(VolumeDigits::OffPicture)});
        QCOMPARE(int(session.volumeStep()), step);
        QCOMPARE(Scroll1->value(), step);
        QStringList checked;
        for (const QAction *item : mnuVol)
            if (item->isChecked())
                checked.append(item->text());
        QCOMPARE(checked, QStringList{step == 0 ? u"Silencio"_s : QString::number(step)});
        if (!RealAudio1.volumes.isEmpty())
            QCOMPARE(RealAudio1.volumes.last(), step * 10);
        if (!MediaPlayer1.volumes.isEmpty())
            QCOMPARE(MediaPlayer1.volumes.last(), step * 150 - 1500);
    }

    // The chosen set in place showing this element, the others parked, its option marked.
    void expectApplied(int chosen, int element) const {
        QCOMPARE(shown(chosen), QList<int>{element});
        for (int set = 0; set < VolumeDigits::SetCount; ++set) {
            for (int element = 0; element <= VolumeDigits::OffPicture; ++element)
                QCOMPARE(digits.elements(set)[element]->pos(),
                         set == chosen ? Twips::point(2760, 840) : Twips::point(-500, -500));
            QCOMPARE(digits.optColor()[set]->palette().color(QPalette::Window) == Qt::white,
                     set == chosen);
        }
        QVERIFY(digits.optColor()[chosen]->isChecked());
    }
};

} // namespace

class TestVolumeControl : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The bar hands its focus on and takes no keys; its arrows step between the ends.
    void arrowsStepBetweenTheEndsWhileOnAir() {
        Rig rig(true);
        QFocusEvent focusIn(QEvent::FocusIn, Qt::TabFocusReason);
        QApplication::sendEvent(rig.Scroll1, &focusIn);
        QCOMPARE(rig.RealAudio1.focusMoves, 1);
        QTest::keyClick(rig.Scroll1, Qt::Key_Down);
        QTest::keyClick(rig.Scroll1, Qt::Key_PageDown);
        rig.expectStep(10);
        rig.clickUp(); // already at the loud end
        for (int click = 1; click <= 11; ++click) {
            rig.clickDown(); // the last one already at "Silencio"
            rig.expectStep(qMax(10 - click, 0));
        }
        rig.clickUp();
        rig.expectStep(1);
        // Off air the arrows are held and the digits stay off: the click and the value set back
        // run the handler exactly twice, the set-back nested inside the click's run, so the spy
        // sees it first.
        rig.session.setConnected(false);
        QSignalSpy changes(rig.Scroll1, &UpDownArrows::valueChanged);
        rig.clickUp();
        QCOMPARE(changes, (QList<QVariantList>{{1}, {2}}));
        rig.expectStep(1);
        QCOMPARE(rig.RealAudio1.volumes.size(), 11); // none at the ends, none held
    }

    void menuChoosesAStep() {
        // Silencio on air, 3 not connected, the checked 10 again, 5 with MediaPlayer1 refusing.
        for (const auto &[onAir, index, mediaPlayerFails] :
             {std::tuple{true, 10, false}, {false, 7, false}, {true, 0, false}, {true, 5, true}}) {
            Rig rig(onAir);
            rig.MediaPlayer1.failing = mediaPlayerFails;
            rig.mnuVol[index]->trigger();
            const int step = 10 - index;
            rig.expectStep(step);
            // One player refusing does not keep the other at the old step.
            QVERIFY(!rig.RealAudio1.volumes.isEmpty());
            QCOMPARE(rig.MediaPlayer1.volumes.isEmpty(), mediaPlayerFails);
            // A step chosen while nothing plays shows once a station goes on air.
            rig.session.setOnAir(true);
            QCOMPARE(rig.shown(), QList<int>{step});
        }
    }

    void changeOfSet() {
        for (bool onAir : {true, false}) {
            Rig rig(onAir);
            rig.session.setVolumeStep(7);
            const int showing = onAir ? 7 : VolumeDigits::OffPicture;
            QTest::mouseClick(rig.digits.optColor()[VolumeDigits::Green], Qt::LeftButton);
            QCOMPARE(rig.session.digitColour(), DigitColour::Green);
            rig.expectApplied(VolumeDigits::Green, showing);
            QCOMPARE(rig.MediaPlayer1.focusMoves, 1);

            // A colour the program chooses (the saved one, a skin's) is shown as a click's is.
            rig.session.setDigitColour(DigitColour::Blue);
            rig.expectApplied(VolumeDigits::Blue, showing);
        }
    }

    // A skin's digit pictures far larger than the box, transparent ones too, keep to the box,
    // so they cover nothing else in the window, and the one on show takes no clicks.
    void largeSkinPicturesKeepToTheirBox() {
        Rig rig;
        QImage clear(300, 300, QImage::Format_ARGB32);
        clear.fill(Qt::transparent);
        for (int element = 0; element < VolumeDigits::Elements; ++element)
            rig.digits.setCustomPicture(element, clear);
        // Scaled into the box, a wide one kept in proportion.
        rig.digits.setCustomPicture(9, clear.scaled(600, 300));
        QCOMPARE(rig.digits.imgDigCust()[9]->picture().size(), QSize(27, 13));
        rig.digits.optColor_Click(VolumeDigits::Custom);
        rig.session.setOnAir(true);

        // Every built-in picture too decodes and is 27 x 27, like the box that shows it.
        for (int set = 0; set < VolumeDigits::SetCount; ++set)
            for (int element = 0; element < VolumeDigits::Elements; ++element)
                QCOMPARE(
                    (std::pair{rig.digits.elements(set)[element]->size(),
                               QImage(VolumeDigits::builtInPicture(set, element), "GIF").size()}),
                    (std::pair{QSize(27, 27), QSize(27, 27)}));
        QCOMPARE(rig.Main.childAt(Twips::point(2760, 840) + QPoint(13, 13)), nullptr);
    }
};

QTEST_MAIN(TestVolumeControl)
#include "tst_volumecontrol.moc"
