#include "picturebox.h"
#include "randomgenerator.h"
#include "session.h"
#include "statusdisplay.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTest>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// Hands out the numbers a test chooses, then a half.
class ChosenNumbers : public RandomSource {
public:
    QList<float> numbers;

    float Rnd() override { return numbers.isEmpty() ? 0.5f : numbers.takeFirst(); }
};

struct Fixture {
    Session session;
    PictureBox fx;
    ChosenNumbers random;
    StatusDisplay display{session, &fx, random};

    bool turning() const { return display.Timer1.isActive() && !display.Timer2.isActive(); }
    bool resting() const { return !display.Timer1.isActive() && display.Timer2.isActive(); }

    // Ticks until the quarter turn ends; the angles after each tick that turned.
    QList<double> runQuarter() {
        QList<double> angles;
        for (int ticks = 0; display.Timer1.isActive() && ticks < 100; ++ticks) {
            display.Timer1_Timer();
            if (display.Timer1.isActive())
                angles.append(display.Angulo);
        }
        return angles;
    }
};

const QRgb Blue = qRgb(0, 0, 255);
const QRgb Brightest = qRgb(242, 242, 99);

// FX with nothing drawn on it.
QImage blankFx() {
    QImage image(221, 81, QImage::Format_RGB32);
    image.fill(Blue);
    return image;
}

} // namespace

class TestStatusDisplay : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Forwards a full circle, then back: each quarter 18 ticks, each rest on a multiple of 90
    // degrees. A number below the last turns back; an equal one (as drawn, in single
    // precision) rests again in the same direction.
    void turnsRestsAndStopsOnACut() {
        Fixture f;
        f.random.numbers = {0.2f, 0.4f, 0.7f, 0.7f, 0.5f, 0.4f, 0.3f, 0.2f, 0.1f, 0.9f};
        f.session.setOnAir(true);
        const double rests[] = {90, 180, 270, 0, 270, 180, 90, 0};
        for (int q = 0; q < 8; ++q) {
            const double from = f.display.Angulo;
            const QList<double> angles = f.runQuarter();
            QCOMPARE(angles.size(), 18);
            QCOMPARE(angles.first(), q < 4 ? from + 5 : from == 0 ? 355 : from - 5);
            QCOMPARE(angles.last(), q == 3 ? 360 : rests[q]);
            QCOMPARE(f.display.Angulo, rests[q]);
            QCOMPARE(int(f.display.Cuadrante), int(rests[q] / 90));
            QVERIFY(f.resting());
            f.display.Timer2_Timer();
            if (q == 3) {
                QVERIFY(f.resting() && !f.display.Reversa);
                f.display.Timer2_Timer();
            }
            QVERIFY(f.turning());
            QCOMPARE(f.display.Reversa, q >= 3);
        }

        // Cut during a rest: both timers stop and FX is blank. The next connection turns on at
        // once from where the rest was cut.
        f.runQuarter();
        QVERIFY(f.resting());
        QVERIFY(f.fx.picture() != blankFx());
        f.session.setConnected(false);
        QVERIFY(!f.display.Timer1.isActive() && !f.display.Timer2.isActive());
        QVERIFY(f.fx.picture() == blankFx());

        f.session.setOnAir(true);
        QVERIFY(f.turning());
        f.display.Timer1_Timer();
        QCOMPARE(f.display.Angulo, 265.0);
        // One number drawn at each rest's end, none on the way back on: the last is left.
        QCOMPARE(f.random.numbers, QList<float>{0.9f});
    }

    // The brightest copy is drawn last, over the darker ones: printed alone at its place, it
    // shows wherever it covers a pixel. Its top-left pixels are the base points (200, 150) and
    // (200, 650) twips moved 160 2/3 twips along the angle.
    void drawing() {
        const QList<std::tuple<QString, QString, double, QPoint, QPoint>> rows = {
            {u"España"_s, u"Radio <b>Nacional</b>"_s, 0.0, {24, 10}, {24, 43}},
            {u"Perú"_s, QString(), 0.0, {24, 10}, {24, 43}},
            {u"Chile"_s, u"Bío-Bío"_s, 90.0, {13, -1}, {13, 33}}};
        for (const auto &[pais, radio, angulo, origen, emisora] : rows) {
            Fixture f;
            f.session.setShown(pais, radio);
            f.display.Angulo = angulo;
            f.display.Cuadrante = quint8(angulo / 90);
            f.session.setOnAir(true);
            f.display.Timer1_Timer();
            const QImage shown = f.fx.picture();
            QCOMPARE(shown.size(), QSize(221, 81));
            QCOMPARE(f.fx.grab().toImage().convertToFormat(QImage::Format_RGB32), shown);

            QImage last = blankFx();
            QPainter p(&last);
            QFont font = f.fx.font();
            font.setPixelSize(18);
            p.setFont(font);
            p.setPen(QColor(Brightest));
            const QPointF down(0, QFontMetricsF(font).ascent());
            p.drawText(origen + down, u"Origen: "_s + pais);
            p.drawText(emisora + down, u"Radio: "_s + radio);
            p.end();
            int covered = 0, darker = 0;
            for (int y = 0; y < shown.height(); ++y)
                for (int x = 0; x < shown.width(); ++x) {
                    if (last.pixel(x, y) == Brightest) {
                        ++covered;
                        QVERIFY2(shown.pixel(x, y) == Brightest,
                                 qPrintable(u"%1 %2,%3"_s.arg(pais).arg(x).arg(y)));
                    }
                    darker += shown.pixel(x, y) != Blue && shown.pixel(x, y) != Brightest;
                }
            // The darker copies trail the brightest one.
            QVERIFY(covered > 0 && darker > 0);
        }
    }

    void generatorStaysBelowOne() {
        RandomGenerator generator;
        generator.Randomize();
        QList<float> drawn(100000);
        std::generate(drawn.begin(), drawn.end(), [&] { return generator.Rnd(); });
        const auto [low, high] = std::minmax_element(drawn.cbegin(), drawn.cend());
        QVERIFY(*low >= 0 && *low < 0.01f && *high > 0.99f && *high < 1);
    }
};

QTEST_MAIN(TestStatusDisplay)
#include "tst_statusdisplay.moc"
