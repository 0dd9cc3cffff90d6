#include "volumedigits.h"

#include <QImage>
#include <QTest>

#include <array>
#include <cmath>
#include <numbers>

using namespace Qt::StringLiterals;

namespace {

// Where the middle of each segment lies on the 27 x 27 display: a..g of the
// units position, then the two segments of the tens position.
constexpr char SegmentNames[] = "abcdefgBC";
constexpr int SegmentX[] = {16, 22, 22, 16, 10, 10, 16, 5, 5};
constexpr int SegmentY[] = {3, 8, 18, 23, 18, 8, 13, 8, 18};

// Lit segments of each element; "BC" is the tens position's "1".
const std::array<QString, 13> Lit = {
    u"abcdef"_s, u"bc"_s,      u"abdeg"_s,  u"abcdg"_s,    u"bcfg"_s, u"acdfg"_s,   u"acdefg"_s,
    u"abc"_s,    u"abcdefg"_s, u"abcdfg"_s, u"BCabcdef"_s, QString(), u"BCabcdef"_s};

QImage picture(int set, int element) {
    QImage image(VolumeDigits::builtInPicture(set, element));
    return image.convertToFormat(QImage::Format_RGB32);
}

// The pixel at this many turns clockwise from 12 o'clock, radius pixels out.
QRgb gaugeAt(const QImage &image, double turns, double radius) {
    const double angle = turns * 2 * std::numbers::pi;
    return image.pixel(13 + int(std::lround(radius * std::sin(angle))),
                       13 - int(std::lround(radius * std::cos(angle))));
}

} // namespace

class TestVolumePictures : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyPictureDecodes() {
        for (int set = 0; set < VolumeDigits::SetCount; ++set) {
            for (int element = 0; element < VolumeDigits::Elements; ++element) {
                const QString path = VolumeDigits::builtInPicture(set, element);
                const QImage image(path, "GIF");
                QVERIFY2(!image.isNull(), qPrintable(path));
                QCOMPARE(image.size(), QSize(27, 27));
            }
        }
    }

    void diodeSetsLightTheirNumber_data() {
        QTest::addColumn<int>("set");
        QTest::addColumn<QRgb>("lit");
        QTest::addColumn<QRgb>("unlit");
        QTest::newRow("red") << int(VolumeDigits::Red) << qRgb(255, 0, 0) << qRgb(132, 0, 0);
        QTest::newRow("green") << int(VolumeDigits::Green) << qRgb(0, 255, 0) << qRgb(0, 132, 0);
        QTest::newRow("blue") << int(VolumeDigits::Blue) << qRgb(0, 255, 255) << qRgb(0, 132, 132);
    }

    void diodeSetsLightTheirNumber() {
        QFETCH(int, set);
        QFETCH(QRgb, lit);
        QFETCH(QRgb, unlit);
        const QRgb black = qRgb(0, 0, 0);
        for (int element = 0; element < VolumeDigits::Elements; ++element) {
            const QImage image = picture(set, element);
            QCOMPARE(image.pixel(0, 0), black);
            QCOMPARE(image.pixel(26, 26), black);
            for (int s = 0; s < 9; ++s) {
                // Two neighbours along the segment: both lit, or one of each of
                // the unlit checker's colours.
                const QRgb first = image.pixel(SegmentX[s], SegmentY[s]);
                const QRgb second = image.pixel(SegmentX[s] + 1, SegmentY[s]);
                const QString where = u"element %1, segment %2"_s.arg(element).arg(SegmentNames[s]);
                if (Lit[element].contains(QChar::fromLatin1(SegmentNames[s])))
                    QVERIFY2(first == lit && second == lit, qPrintable(where));
                else
                    QVERIFY2((first == unlit && second == black) ||
                                 (first == black && second == unlit),
                             qPrintable(where));
            }
        }
    }

    void gaugeShowsTheStep() {
        const QRgb grey = qRgb(192, 192, 192);
        const QRgb darkRed = qRgb(128, 0, 0);
        const double dial = 9; // well inside the octagon, off the ring of dots
        for (int element = 0; element < VolumeDigits::Elements; ++element) {
            const QImage image = picture(VolumeDigits::Custom, element);
            const int tenths = element == 12 ? 10 : element == 11 ? 0 : element;
            QCOMPARE(image.pixel(0, 0), qRgb(0, 0, 0));
            QCOMPARE(image.pixel(13, 13), qRgb(255, 0, 0));
            QCOMPARE(gaugeAt(image, 0.95, 11), tenths == 10 ? darkRed : grey);
            if (tenths > 0 && tenths < 10) {
                QCOMPARE(gaugeAt(image, tenths / 10.0 - 0.04, dial), darkRed);
                QCOMPARE(gaugeAt(image, tenths / 10.0 + 0.04, dial), grey);
            }
        }
        // Step 0 is a needle at 12 o'clock; the off picture has none.
        QCOMPARE(gaugeAt(picture(VolumeDigits::Custom, 0), 0, dial), darkRed);
        QCOMPARE(gaugeAt(picture(VolumeDigits::Custom, 0), 0.04, dial), grey);
        QCOMPARE(gaugeAt(picture(VolumeDigits::Custom, 11), 0, dial), grey);
    }
};

// The custom set is a dial filled clockwise from 12 o'clock over the step's tenths.
QTEST_GUILESS_MAIN(TestVolumePictures)
#include "tst_volumepictures.moc"
