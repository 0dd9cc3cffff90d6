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

#include <array>
#include <cmath>
#include <numbers>

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
    void forget() {
        volumes.clear();
        focusMoves = 0;
    }

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
    QMenu *mnuVolume = new QMenu(&Main);
    QList<QAction *> mnuVol;
    VolumeDigits digits{session, &Main, &MediaPlayer1};
    VolumeControl *control = nullptr;

    explicit Rig(bool onAir = false) {
        Scroll1->move(Twips::point(3180, 840));
        for (int index = 0; index <= 10; ++index) {
            QAction *item =
                mnuVolume->addAction(index == 10 ? u"Silencio"_s : QString::number(10 - index));
            item->setCheckable(true);
            item->setChecked(index == 0);
            mnuVol.append(item);
        }
        control = new VolumeControl(session, Scroll1, mnuVol, &MediaPlayer1, &RealAudio1, &Main);
        session.setVolumeStep(10);
        digits.selectFromDigitType();
        session.setOnAir(onAir);
        Main.resize(Twips::size(10275, 3030));
        Main.show();
        MediaPlayer1.forget();
        RealAudio1.forget();
    }

    void clickUp() { QTest::mouseClick(Scroll1, Qt::LeftButton, {}, QPoint(8, 3)); }
    void clickDown() { QTest::mouseClick(Scroll1, Qt::LeftButton, {}, QPoint(8, 23)); }

    // Elements 0..11 of the set that are on show.
    QList<int> shown(int set = VolumeDigits::Red) const {
        QList<int> elements;
        for (int element = 0; element <= VolumeDigits::OffPicture; ++element) {
            if (digits.elements(set)[element]->isVisibleTo(&Main))
                elements.append(element);
        }
        return elements;
    }

    // The step everywhere it shows: the bar, the menu's one check mark, both players.
    void expectStep(int step) const {
        QCOMPARE(int(session.volumeStep()), step);
        QCOMPARE(Scroll1->value(), step);
        QStringList checked;
        for (const QAction *item : mnuVol) {
            if (item->isChecked())
                checked.append(item->text());
        }
        QCOMPARE(checked, QStringList{step == 0 ? u"Silencio"_s : QString::number(step)});
        if (!RealAudio1.volumes.isEmpty())
            QCOMPARE(RealAudio1.volumes.last(), step * 10);
        if (!MediaPlayer1.volumes.isEmpty())
            QCOMPARE(MediaPlayer1.volumes.last(), step * 150 - 1500);
    }

    // The chosen set at the display position, the others parked, its option marked.
    void expectApplied(int chosen) const {
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
    void arrowsStepBetweenTheEndsWhileOnAir() {
        Rig rig(true);
        QSignalSpy changes(rig.Scroll1, &UpDownArrows::valueChanged);
        rig.clickUp(); // already at the loud end
        for (int click = 1; click <= 11; ++click) {
            rig.clickDown(); // the last one already at "Silencio"
            rig.expectStep(qMax(10 - click, 0));
            QCOMPARE(rig.shown(), QList<int>{qMax(10 - click, 0)});
        }
        QCOMPARE(changes.count(), 10);
        QCOMPARE(rig.RealAudio1.volumes.size(), 10);
        rig.clickUp();
        rig.expectStep(1);
        // Off air the digits go off and a step shows again once back on air.
        rig.session.setConnected(false);
        QCOMPARE(rig.shown(), QList<int>{VolumeDigits::OffPicture});
        rig.session.setOnAir(true);
        QCOMPARE(rig.shown(), QList<int>{1});
    }

    void arrowsAreHeldWhileNotConnected() {
        Rig rig;
        rig.control->mnuVol_Click(6); // "4", at any time
        rig.RealAudio1.volumes.clear();
        QSignalSpy changes(rig.Scroll1, &UpDownArrows::valueChanged);
        rig.clickUp();
        // The click and the value set back: the handler runs exactly twice. The set-back is
        // nested inside the click's run, so the spy sees it first.
        QCOMPARE(changes.count(), 2);
        QCOMPARE(changes.at(0).at(0).toInt(), 4);
        QCOMPARE(changes.at(1).at(0).toInt(), 5);
        rig.expectStep(4);
        QVERIFY(rig.RealAudio1.volumes.isEmpty());
        QCOMPARE(rig.shown(), QList<int>{VolumeDigits::OffPicture});
    }

    void menuChoosesAStep_data() {
        QTest::addColumn<bool>("onAir");
        QTest::addColumn<int>("index");
        // Volume calls per player: the menu's own, and CambiaVol's when the bar moves on air.
        QTest::addColumn<int>("calls");
        QTest::addColumn<bool>("mediaPlayerFails");
        QTest::newRow("Silencio, on air") << true << 10 << 2 << false;
        QTest::newRow("3, not connected") << false << 7 << 1 << false;
        QTest::newRow("the checked 10 again") << true << 0 << 1 << false;
        QTest::newRow("5, MediaPlayer1 refusing") << true << 5 << 2 << true;
    }

    void menuChoosesAStep() {
        QFETCH(bool, onAir);
        QFETCH(int, index);
        QFETCH(int, calls);
        QFETCH(bool, mediaPlayerFails);
        Rig rig(onAir);
        rig.MediaPlayer1.failing = mediaPlayerFails;
        rig.mnuVol[index]->trigger();

        const int step = 10 - index;
        rig.expectStep(step);
        QCOMPARE(rig.RealAudio1.volumes.size(), calls);
        QCOMPARE(rig.MediaPlayer1.volumes.size(), mediaPlayerFails ? 0 : calls);
        QCOMPARE(rig.shown(), QList<int>{onAir ? step : int(VolumeDigits::OffPicture)});
        // A step chosen while nothing plays shows once a station goes on air.
        rig.session.setOnAir(true);
        QCOMPARE(rig.shown(), QList<int>{step});
    }

    void barNeverKeepsFocusNorTakesKeys() {
        Rig rig(true);
        QFocusEvent focusIn(QEvent::FocusIn, Qt::TabFocusReason);
        QApplication::sendEvent(rig.Scroll1, &focusIn);
        QCOMPARE(rig.RealAudio1.focusMoves, 1);
        QCOMPARE(rig.MediaPlayer1.focusMoves, 0);
        QTest::keyClick(rig.Scroll1, Qt::Key_Down);
        QTest::keyClick(rig.Scroll1, Qt::Key_PageDown);
        rig.expectStep(10);
    }

    void changeOfSet_data() {
        QTest::addColumn<bool>("onAir");
        QTest::newRow("on air at 7") << true;
        QTest::newRow("off air") << false;
    }

    void changeOfSet() {
        QFETCH(bool, onAir);
        Rig rig(onAir);
        rig.session.setVolumeStep(7);
        const QList<int> expected{onAir ? 7 : int(VolumeDigits::OffPicture)};
        QTest::mouseClick(rig.digits.optColor()[VolumeDigits::Green], Qt::LeftButton);
        QCOMPARE(rig.session.digitColour(), DigitColour::Green);
        rig.expectApplied(VolumeDigits::Green);
        QCOMPARE(rig.shown(VolumeDigits::Green), expected);
        QCOMPARE(rig.MediaPlayer1.focusMoves, 1);

        // The saved colour is applied even when its option is the one marked already.
        rig.digits.optColor_Click(VolumeDigits::Custom);
        rig.session.setDigitColour(DigitColour::Blue);
        rig.digits.selectFromDigitType();
        rig.expectApplied(VolumeDigits::Blue);
        QCOMPARE(rig.shown(VolumeDigits::Blue), expected);
    }

    // A skin's digit pictures far larger than the box, transparent ones too, neither cover
    // the window nor take its clicks.
    void largeSkinPicturesKeepToTheirBox() {
        Rig rig;
        auto *cmdCloseApp = new QPushButton(u"X"_s, &rig.Main);
        cmdCloseApp->setGeometry(Twips::rect(3120, 60, 195, 195));
        cmdCloseApp->show();
        QImage clear(300, 300, QImage::Format_ARGB32);
        clear.fill(Qt::transparent);
        for (int element = 0; element < VolumeDigits::Elements; ++element)
            rig.digits.setCustomPicture(element, clear);
        // Scaled into the box, a wide one kept in proportion.
        QImage wide(600, 300, QImage::Format_RGB32);
        wide.fill(Qt::green);
        rig.digits.setCustomPicture(9, wide);
        QCOMPARE(rig.digits.imgDigCust()[9]->picture().size(), QSize(27, 13));
        rig.digits.selectOption(VolumeDigits::Custom);
        rig.session.setOnAir(true);

        for (int set = 0; set < VolumeDigits::SetCount; ++set)
            for (const PictureImage *element : rig.digits.elements(set))
                QCOMPARE(element->size(), QSize(27, 27));
        QCOMPARE(rig.Main.childAt(cmdCloseApp->geometry().center()), cmdCloseApp);
        QCOMPARE(rig.Main.childAt(Twips::point(3180, 840) + QPoint(8, 3)), rig.Scroll1);
        // Nor does the one on show: nothing happens on a click on it.
        QCOMPARE(rig.Main.childAt(Twips::point(2760, 840) + QPoint(13, 13)), nullptr);
    }

    // Every built-in picture is 27 x 27 on black. The diode sets light the segments of their
    // number (lit pixels in pairs, unlit ones as a checker); the custom set is a dial filled
    // clockwise from 12 o'clock over the step's tenths.
    void builtInPicturesShowTheirStep() {
        constexpr char Segments[] = "abcdefgBC"; // the units' a..g, the tens' "1"
        constexpr int SegmentX[] = {16, 22, 22, 16, 10, 10, 16, 5, 5};
        constexpr int SegmentY[] = {3, 8, 18, 23, 18, 8, 13, 8, 18};
        const std::array<QString, 13> lit = {u"abcdef"_s,  u"bc"_s,     u"abdeg"_s,    u"abcdg"_s,
                                             u"bcfg"_s,    u"acdfg"_s,  u"acdefg"_s,   u"abc"_s,
                                             u"abcdefg"_s, u"abcdfg"_s, u"BCabcdef"_s, QString(),
                                             u"BCabcdef"_s};
        const QRgb colours[3][2] = {{qRgb(255, 0, 0), qRgb(132, 0, 0)},
                                    {qRgb(0, 255, 0), qRgb(0, 132, 0)},
                                    {qRgb(0, 255, 255), qRgb(0, 132, 132)}};
        const QRgb black = qRgb(0, 0, 0), grey = qRgb(192, 192, 192), needle = qRgb(128, 0, 0);
        for (int set = 0; set < VolumeDigits::SetCount; ++set) {
            for (int element = 0; element < VolumeDigits::Elements; ++element) {
                const QImage image = QImage(VolumeDigits::builtInPicture(set, element), "GIF")
                                         .convertToFormat(QImage::Format_RGB32);
                const QString where = u"set %1, element %2"_s.arg(set).arg(element);
                QVERIFY2(image.size() == QSize(27, 27) && image.pixel(0, 0) == black &&
                             image.pixel(26, 26) == black,
                         qPrintable(where));
                if (set == VolumeDigits::Custom) {
                    // The pixel this many turns clockwise from 12 o'clock: on the ring of dots
                    // 11 pixels out, or inside the dial at 9.
                    const auto at = [&image](double turns, double radius = 9) {
                        const double angle = turns * 2 * std::numbers::pi;
                        return image.pixel(13 + int(std::lround(radius * std::sin(angle))),
                                           13 - int(std::lround(radius * std::cos(angle))));
                    };
                    const int tenths = element == 12 ? 10 : element == 11 ? -1 : element;
                    QVERIFY2(image.pixel(13, 13) == qRgb(255, 0, 0) &&
                                 at(0.95, 11) == (tenths == 10 ? needle : grey),
                             qPrintable(where));
                    if (tenths >= 0 && tenths < 10)
                        QVERIFY2(at(tenths / 10.0 - 0.04 * (tenths > 0)) == needle &&
                                     at(tenths / 10.0 + 0.04) == grey,
                                 qPrintable(where));
                    continue;
                }
                for (int s = 0; s < 9; ++s) {
                    const QRgb first = image.pixel(SegmentX[s], SegmentY[s]);
                    const QRgb second = image.pixel(SegmentX[s] + 1, SegmentY[s]);
                    const QRgb on = colours[set][0], off = colours[set][1];
                    QVERIFY2(lit[element].contains(QChar::fromLatin1(Segments[s]))
                                 ? first == on && second == on
                                 : (first == off && second == black) ||
                                       (first == black && second == off),
                             qPrintable(where + u", segment "_s + QChar::fromLatin1(Segments[s])));
                }
            }
        }
        // The off picture of the dial has no needle.
        QCOMPARE(QImage(VolumeDigits::builtInPicture(VolumeDigits::Custom, 11), "GIF")
                     .convertToFormat(QImage::Format_RGB32)
                     .pixel(13, 4),
                 grey);
    }
};

QTEST_MAIN(TestVolumeControl)
#include "tst_volumecontrol.moc"
