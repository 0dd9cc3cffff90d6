#include "volumedigits.h"

#include <QFile>
#include <QImage>
#include <QTest>

#include <array>
#include <cmath>
#include <numbers>

using namespace Qt::StringLiterals;

namespace {

constexpr int Size = 27;

// Where the middle of each segment lies on the 27 x 27 display: a..g of the
// units position, then the two segments of the tens position.
struct Spot {
    char name;
    int x;
    int y;
};
constexpr std::array<Spot, 9> Segments = {{{'a', 16, 3},
                                           {'b', 22, 8},
                                           {'c', 22, 18},
                                           {'d', 16, 23},
                                           {'e', 10, 18},
                                           {'f', 10, 8},
                                           {'g', 16, 13},
                                           {'B', 5, 8},
                                           {'C', 5, 18}}};

// Lit segments of each element; "BC" is the tens position's "1".
const std::array<QString, 13> Lit = {
    u"abcdef"_s, u"bc"_s,      u"abdeg"_s,  u"abcdg"_s,    u"bcfg"_s, u"acdfg"_s,   u"acdefg"_s,
    u"abc"_s,    u"abcdefg"_s, u"abcdfg"_s, u"BCabcdef"_s, QString(), u"BCabcdef"_s};

QImage picture(int set, int element) {
    QImage image(VolumeDigits::builtInPicture(set, element));
    return image.convertToFormat(QImage::Format_RGB32);
}

// The size of the global colour table stored in a GIF file's header.
int paletteSize(int set, int element) {
    QFile file(VolumeDigits::builtInPicture(set, element));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray header = file.read(13);
    if (header.size() < 13 || !header.startsWith("GIF8") || !(header.at(10) & 0x80))
        return 0;
    return 2 << (header.at(10) & 0x07);
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
    void everyPictureDecodes();
    void diodeSetsLightTheirNumber_data();
    void diodeSetsLightTheirNumber();
    void gaugeShowsTheStep();
};

void TestVolumePictures::everyPictureDecodes() {
    for (int set = 0; set < VolumeDigits::SetCount; ++set) {
        for (int element = 0; element < VolumeDigits::Elements; ++element) {
            const QString path = VolumeDigits::builtInPicture(set, element);
            const QImage image(path, "GIF");
            QVERIFY2(!image.isNull(), qPrintable(path));
            QCOMPARE(image.size(), QSize(Size, Size));
            QCOMPARE(paletteSize(set, element), set == VolumeDigits::Custom ? 256 : 4);
        }
    }
}

void TestVolumePictures::diodeSetsLightTheirNumber_data() {
    QTest::addColumn<int>("set");
    QTest::addColumn<QRgb>("lit");
    QTest::addColumn<QRgb>("unlit");
    QTest::newRow("red") << int(VolumeDigits::Red) << qRgb(255, 0, 0) << qRgb(132, 0, 0);
    QTest::newRow("green") << int(VolumeDigits::Green) << qRgb(0, 255, 0) << qRgb(0, 132, 0);
    QTest::newRow("blue") << int(VolumeDigits::Blue) << qRgb(0, 255, 255) << qRgb(0, 132, 132);
}

void TestVolumePictures::diodeSetsLightTheirNumber() {
    QFETCH(int, set);
    QFETCH(QRgb, lit);
    QFETCH(QRgb, unlit);
    const QRgb black = qRgb(0, 0, 0);
    for (int element = 0; element < VolumeDigits::Elements; ++element) {
        const QImage image = picture(set, element);
        QCOMPARE(image.pixel(0, 0), black);
        QCOMPARE(image.pixel(26, 26), black);
        for (const Spot &spot : Segments) {
            // Two neighbours along the segment: both lit, or one of each of
            // the unlit checker's colours.
            const QRgb first = image.pixel(spot.x, spot.y);
            const QRgb second = image.pixel(spot.x + 1, spot.y);
            const bool on = Lit[element].contains(QChar::fromLatin1(spot.name));
            const QString where = u"element %1, segment %2"_s.arg(element).arg(spot.name);
            if (on) {
                QVERIFY2(first == lit && second == lit, qPrintable(where));
            } else {
                QVERIFY2((first == unlit && second == black) || (first == black && second == unlit),
                         qPrintable(where));
            }
        }
    }
}

void TestVolumePictures::gaugeShowsTheStep() {
    const QRgb black = qRgb(0, 0, 0);
    const QRgb grey = qRgb(192, 192, 192);
    const QRgb darkRed = qRgb(128, 0, 0);
    const QRgb red = qRgb(255, 0, 0);
    const double dial = 9; // well inside the octagon, off the ring of dots

    for (int element = 0; element < VolumeDigits::Elements; ++element) {
        const QImage image = picture(VolumeDigits::Custom, element);
        QCOMPARE(image.pixel(0, 0), black);
        QCOMPARE(image.pixel(26, 0), black);
        QCOMPARE(image.pixel(13, 13), red);
        const bool full = element == 10 || element == 12;
        QCOMPARE(gaugeAt(image, 0.95, 11), full ? darkRed : grey);
        if (element >= 1 && element <= 9) {
            // Filled clockwise from 12 o'clock over element tenths, no further.
            QCOMPARE(gaugeAt(image, element / 10.0 - 0.04, dial), darkRed);
            QCOMPARE(gaugeAt(image, element / 10.0 + 0.04, dial), grey);
            QCOMPARE(gaugeAt(image, 0.02, dial), darkRed);
            QCOMPARE(gaugeAt(image, 0.98, dial), grey);
        }
    }
    const QImage needle = picture(VolumeDigits::Custom, 0);
    QCOMPARE(gaugeAt(needle, 0, dial), darkRed);
    QCOMPARE(gaugeAt(needle, 0.04, dial), grey);
    QCOMPARE(gaugeAt(needle, 0.5, dial), grey);
    const QImage fullDial = picture(VolumeDigits::Custom, 10);
    QCOMPARE(gaugeAt(fullDial, 0.5, dial), red);      // a dot of the ring
    QCOMPARE(gaugeAt(fullDial, 0.55, dial), darkRed); // between two dots
    QCOMPARE(gaugeAt(picture(VolumeDigits::Custom, 11), 0, dial), grey);
}

QTEST_GUILESS_MAIN(TestVolumePictures)
#include "tst_volumepictures.moc"
