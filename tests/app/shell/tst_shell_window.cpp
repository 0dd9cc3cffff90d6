#include "optionspanel.h"
#include "twips.h"
#include "windowdrag.h"

#include <QImage>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// The main window as the shell sees it: frameless, Command1 where designed.
struct MainWindow {
    QWidget window;
    QPushButton *command1;
    std::unique_ptr<OptionsPanel> panel;

    MainWindow() {
        window.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
        // All one colour, Command1 included, so that the screen shows the outline alone.
        window.setStyleSheet(u"* { background: #ff0000; color: #ff0000; border: none; }"_s);
        window.setAttribute(Qt::WA_StyledBackground);
        window.resize(Twips::size(10275, 3030));
        window.move(100, 100);
        command1 = new QPushButton(u"Opciones >>"_s, &window);
        command1->setGeometry(Twips::rect(1860, 2640, 1515, 255));
        panel = std::make_unique<OptionsPanel>(&window, command1);
        panel->setWindowWidth(OptionsPanel::ClosedWidth);
        panel->closeAtStartup();
    }
};

// The pixels of the screen the window really covers, read back from the X server.
QRegion shownRegion(const QWidget &window) {
    const QRect frame = window.geometry();
    const QImage shot = window.screen()->grabWindow(0).toImage().copy(frame);
    QRegion shown;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            if (shot.pixel(x, y) == qRgb(255, 0, 0))
                shown += QRect(x, y, 1, 1);
    return shown;
}

} // namespace

class TestShellWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void command1OpensAndCloses();
    void dragByTopBand();
};

void TestShellWindow::initTestCase() {
    QCOMPARE(QGuiApplication::platformName(), u"xcb"_s);
}

// The X server cuts the window to the rounded outline, corner pixels included.
void TestShellWindow::command1OpensAndCloses() {
    MainWindow main;
    QCOMPARE(main.panel->twipsPerPixelX(), 15.0);
    main.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main.window));
    const QRegion closedMask = main.window.mask();
    QCOMPARE(closedMask.boundingRect(), QRect(0, 0, 240, 202));
    QTRY_COMPARE(shownRegion(main.window), closedMask);

    // Timers go on during the animation, clicks are refused.
    int ticks = 0;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(0);
    QSignalSpy clicks(main.command1, &QPushButton::clicked);
    QTimer::singleShot(0, [&] { QTest::mouseClick(main.command1, Qt::LeftButton); });
    QTest::mouseClick(main.command1, Qt::LeftButton);
    QCOMPARE(clicks.count(), 1);
    QVERIFY(ticks > 100);

    QCOMPARE(main.command1->text(), u"<< Opciones"_s);
    QCOMPARE(main.panel->command1Left(), 8260);
    QCOMPARE(main.command1->x(), Twips::toPixels(8260));
    QCOMPARE(main.window.width(), Twips::toPixels(10185));
    QCOMPARE(main.panel->RegionVentana(), (WindowOutline{3, 22, 674, 225, 30, 30}));
    QCOMPARE(main.window.mask().boundingRect(), QRect(0, 0, 670, 202));
    QTRY_COMPARE(shownRegion(main.window), main.window.mask());

    QTest::mouseClick(main.command1, Qt::LeftButton);
    QCOMPARE(main.command1->text(), u"Opciones >>"_s);
    QCOMPARE(main.panel->command1Left(), 1860);
    QCOMPARE(main.window.width(), Twips::toPixels(3705));
    QCOMPARE(main.panel->RegionVentana(), (WindowOutline{3, 22, 244, 225, 30, 30}));
    QCOMPARE(main.window.mask(), closedMask);
}

void TestShellWindow::dragByTopBand() {
    MainWindow main;
    WindowDrag drag(&main.window);
    main.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main.window));

    // Without a window manager the window follows the pointer itself. The
    // presses below are at 1500 twips across, pixel 100.
    auto dragBy = [&](const QPoint &delta) {
        const QPoint from = main.window.mapToGlobal(QPoint(100, 13));
        QMouseEvent move(QEvent::MouseMove, QPointF(100, 13) + delta, from + delta, Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&main.window, &move);
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(100, 13) + delta, from + delta,
                            Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&main.window, &release);
    };
    const QPoint start = main.window.pos();

    drag.Form_MouseDown(Qt::RightButton, Qt::NoModifier, 1500, 100);
    dragBy(QPoint(30, 20));
    drag.Form_MouseDown(Qt::LeftButton, Qt::NoModifier, 1500, 201);
    dragBy(QPoint(30, 20));
    QCOMPARE(main.window.pos(), start);

    drag.Form_MouseDown(Qt::LeftButton, Qt::NoModifier, 1500, 200);
    dragBy(QPoint(30, 20));
    QTRY_COMPARE(main.window.pos(), start + QPoint(30, 20));

    // A real press on pixel row 13, 195 twips down.
    QTest::mousePress(&main.window, Qt::LeftButton, {}, QPoint(50, 13));
    QTest::mouseMove(&main.window, QPoint(60, 23));
    QTest::mouseRelease(&main.window, Qt::LeftButton, {}, QPoint(60, 23));
    QTRY_COMPARE(main.window.pos(), start + QPoint(40, 30));
}

QTEST_MAIN(TestShellWindow)
#include "tst_shell_window.moc"
