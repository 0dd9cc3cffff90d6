#include "webadvertisingpanel.h"
#include "webenginesetup.h"

#include <QApplication>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QWebEngineHistory>
#include <QWebEngineView>

namespace {

bool near(QRgb pixel, QColor colour, int tolerance) {
    return qAbs(qRed(pixel) - colour.red()) <= tolerance &&
           qAbs(qGreen(pixel) - colour.green()) <= tolerance &&
           qAbs(qBlue(pixel) - colour.blue()) <= tolerance;
}

// Share of the image's pixels close to the colour.
double share(const QImage &image, QColor colour) {
    qsizetype hits = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            hits += near(image.pixel(x, y), colour, 16);
    return image.isNull() ? 0.0 : double(hits) / (image.width() * image.height());
}

} // namespace

class TestAdvertPanel : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void showsTheShippedPageOnceTheWindowIsUp() {
        QWidget window;
        window.resize(400, 200);
        WebAdvertisingPanel panel(&window);
        panel.move(20, 30);
        QCOMPARE(panel.size(), QSize(217, 81));
        QSignalSpy loaded(&panel, &WebAdvertisingPanel::loadFinished);

        panel.navigate(AdvertisingPanel::pageAddress());
        window.show();
        // Nothing of the engine may run before the window has been drawn.
        QVERIFY(!panel.view());

        QTRY_COMPARE_WITH_TIMEOUT(loaded.count(), 1, 60000);
        QCOMPARE(loaded.at(0).at(0).toBool(), true);
        QCOMPARE(panel.view()->url(), AdvertisingPanel::pageAddress());
        QCOMPARE(panel.view()->history()->count(), 1);

        // What the X server really shows: the page's navy ground and its
        // orange ribbon, not a blank panel.
        QImage shown;
        const auto grabPanel = [&] {
            shown = window.screen()
                        ->grabWindow(window.winId(), panel.x(), panel.y(), panel.width(),
                                     panel.height())
                        .toImage();
            return share(shown, QColor(0x14, 0x32, 0x5c)) > 0.25 &&
                   share(shown, QColor(0xf2, 0x8c, 0x28)) > 0.08;
        };
        QTRY_VERIFY_WITH_TIMEOUT(grabPanel(), 30000);
        QCOMPARE(loaded.count(), 1);
    }
};

int main(int argc, char **argv) {
    // As on the program's start-up: as root the engine needs its sandbox off.
    WebEngineSetup::prepareBeforeApplication();
    QApplication app(argc, argv);
    TestAdvertPanel test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_advertpanel.moc"
