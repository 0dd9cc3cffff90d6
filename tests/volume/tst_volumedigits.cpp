#include "mainstate.h"
#include "pictureimage.h"
#include "recordingplayer.h"
#include "twips.h"
#include "volumedigits.h"

#include <QRadioButton>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QPoint DisplayPosition = Twips::point(2760, 840);
const QPoint ParkingPosition = Twips::point(-500, -500);

struct Rig {
    MainState state;
    RecordingPlayer MediaPlayer1;
    QWidget Main;
    VolumeDigits digits{state, &Main, &MediaPlayer1};

    Rig() {
        Main.resize(Twips::size(10275, 3030));
        Main.show();
    }

    // Elements 0..11 of the set that are on show.
    QList<int> shown(int set) const {
        QList<int> elements;
        for (int element = 0; element <= VolumeDigits::OffPicture; ++element) {
            if (digits.elements(set)[element]->isVisibleTo(&Main))
                elements.append(element);
        }
        return elements;
    }

    // The only set at the display position, the others parked, and every
    // selector still at its designed place and on show.
    void expectApplied(int chosen) const {
        const std::array<int, VolumeDigits::SetCount> rowTop = {300, 780, 1260, 1740};
        for (int set = 0; set < VolumeDigits::SetCount; ++set) {
            for (int element = 0; element <= VolumeDigits::OffPicture; ++element)
                QCOMPARE(digits.elements(set)[element]->pos(),
                         set == chosen ? DisplayPosition : ParkingPosition);
            const PictureImage *selector = digits.elements(set)[VolumeDigits::Selector];
            QCOMPARE(selector->pos(), Twips::point(9420, rowTop[set]));
            QVERIFY(selector->isVisibleTo(&Main));
            const QColor background = digits.optColor()[set]->palette().color(QPalette::Window);
            QCOMPARE(background == QColor(Qt::white), set == chosen);
        }
        QVERIFY(digits.optColor()[chosen]->isChecked());
    }
};

} // namespace

class TestVolumeDigits : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void followsConnectAndCut();
    void changeOfSet_data();
    void changeOfSet();
    void setFromDigitType_data();
    void setFromDigitType();
};

void TestVolumeDigits::followsConnectAndCut() {
    Rig rig;
    rig.digits.selectFromDigitType();
    for (int set = 0; set < VolumeDigits::SetCount; ++set)
        QCOMPARE(rig.shown(set), QList<int>{VolumeDigits::OffPicture});

    rig.state.VolNum = 0;
    rig.digits.SetVolNum(false); // connected at "Silencio": the 0, not the off picture
    for (int set = 0; set < VolumeDigits::SetCount; ++set)
        QCOMPARE(rig.shown(set), QList<int>{0});

    rig.state.VolNum = 10;
    rig.digits.SetVolNum(false);
    for (int set = 0; set < VolumeDigits::SetCount; ++set)
        QCOMPARE(rig.shown(set), QList<int>{10});

    rig.digits.SetVolNum(true);
    for (int set = 0; set < VolumeDigits::SetCount; ++set)
        QCOMPARE(rig.shown(set), QList<int>{VolumeDigits::OffPicture});
    rig.expectApplied(VolumeDigits::Red);
}

void TestVolumeDigits::changeOfSet_data() {
    QTest::addColumn<bool>("playing");
    QTest::newRow("while playing at 7") << true;
    QTest::newRow("while nothing plays") << false;
}

void TestVolumeDigits::changeOfSet() {
    QFETCH(bool, playing);
    Rig rig;
    rig.digits.selectFromDigitType();
    rig.state.VolNum = 7;
    rig.digits.SetVolNum(!playing);
    rig.MediaPlayer1.forget();

    QTest::mouseClick(rig.digits.optColor()[VolumeDigits::Green], Qt::LeftButton);
    QCOMPARE(rig.state.VolCol, u"Green"_s);
    rig.expectApplied(VolumeDigits::Green);
    const int expected = playing ? 7 : VolumeDigits::OffPicture;
    QCOMPARE(rig.shown(VolumeDigits::Green), QList<int>{expected});
    QCOMPARE(rig.MediaPlayer1.focusMoves, 1);

    rig.digits.optColor_Click(VolumeDigits::Custom);
    QCOMPARE(rig.state.VolCol, u"Custom"_s);
    QCOMPARE(rig.shown(VolumeDigits::Custom), QList<int>{expected});
}

void TestVolumeDigits::setFromDigitType_data() {
    QTest::addColumn<QString>("saved");
    QTest::addColumn<int>("set");
    QTest::addColumn<QString>("written");
    QTest::newRow("BLUE") << u"BLUE"_s << int(VolumeDigits::Blue) << u"Blue"_s;
    QTest::newRow("azul") << u"azul"_s << int(VolumeDigits::Red) << u"Red"_s;
    QTest::newRow("missing") << QString() << int(VolumeDigits::Red) << u"Red"_s;
    QTest::newRow("custom") << u"custom"_s << int(VolumeDigits::Custom) << u"Custom"_s;
    QTest::newRow("Green") << u"Green"_s << int(VolumeDigits::Green) << u"Green"_s;
}

void TestVolumeDigits::setFromDigitType() {
    QFETCH(QString, saved);
    QFETCH(int, set);
    QFETCH(QString, written);
    Rig rig;
    // Selecting again applies the set again, as after a skin change.
    rig.digits.optColor_Click(VolumeDigits::Blue);
    rig.state.VolCol = saved;
    rig.digits.selectFromDigitType();
    QCOMPARE(rig.state.VolCol, written);
    rig.expectApplied(set);
}

QTEST_MAIN(TestVolumeDigits)
#include "tst_volumedigits.moc"
