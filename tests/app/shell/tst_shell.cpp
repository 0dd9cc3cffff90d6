#include "about.h"
#include "aboutlauncher.h"
#include "desktopsession.h"
#include "optionspanel.h"
#include "settings.h"
#include "twips.h"
#include "urlopener.h"
#include "windowcentring.h"
#include "windowdrag.h"
#include "windowoutline.h"
#include "windowstates.h"

#include <QApplication>
#include <QBitmap>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStyle>
#include <QTest>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// The main window as the shell sees it: frameless, Command1 where designed, the tray menu. All
// one colour, Command1 included, so that the screen shows the outline alone.
struct MainWindow {
    QWidget window;
    QMenu mnuSystemTray;
    WindowStates states{&window, &mnuSystemTray};
    QSignalSpy menus{&mnuSystemTray, &QMenu::aboutToShow};
    QPushButton *command1 = new QPushButton(u"Opciones >>"_s, &window);
    std::unique_ptr<OptionsPanel> panel;

    MainWindow() {
        window.setWindowIcon(QApplication::style()->standardIcon(QStyle::SP_ComputerIcon));
        window.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
        window.setStyleSheet(u"* { background: #ff0000; color: #ff0000; border: none; }"_s);
        window.setAttribute(Qt::WA_StyledBackground);
        window.resize(Twips::size(10275, 3030));
        window.move(100, 100);
        mnuSystemTray.addAction(u"Abrir ventana"_s);
        command1->setGeometry(Twips::rect(1860, 2640, 1515, 255));
        panel = std::make_unique<OptionsPanel>(&window, command1);
        panel->setWindowWidth(OptionsPanel::ClosedWidth);
        panel->closeAtStartup();
    }
};

// The pixels of the screen the window really covers, read back from the X server.
QRegion shownRegion(const QWidget &window) {
    const QImage shot = window.screen()->grabWindow(0).toImage().copy(window.geometry());
    return QRegion(QBitmap::fromImage(shot.createMaskFromColor(qRgb(255, 0, 0), Qt::MaskOutColor)));
}

struct RecordingOpener : UrlOpener {
    void openUrl(const QUrl &url) override { opened.append(url); }
    QList<QUrl> opened;
};

} // namespace

// Window shapes, moves, the tray and the About window, on a real X server.
class TestShell : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        QCOMPARE(QGuiApplication::platformName(), u"xcb"_s);
        m_trayHost.start(u"trayer"_s, {});
        QVERIFY2(m_trayHost.waitForStarted(), "trayer did not start");
        QTRY_VERIFY_WITH_TIMEOUT(QSystemTrayIcon::isSystemTrayAvailable(), 10000);
    }

    void cleanupTestCase() {
        m_trayHost.terminate();
        m_trayHost.waitForFinished(5000);
    }

    // The outline a whole animation leaves, as the stepping really ends. Halves round to even,
    // offsets and scale applied first.
    void outlineAndCentring() {
        const auto last = [](double tpp, qint16 direction) {
            return CreaRegion(OptionsPanel::fractions(200, direction).back(), 1, 1, 0, 0, tpp, tpp);
        };
        QCOMPARE(last(15, 1), (WindowOutline{3, 22, 674, 225, 30, 30}));
        QCOMPARE(last(15, -1), (WindowOutline{3, 22, 244, 225, 30, 30}));
        QCOMPARE(last(12, 1), (WindowOutline{4, 28, 842, 281, 30, 30}));
        // At 18 twips per pixel: left 2.5, top 18.33, right 201.67, bottom 187.5.
        QCOMPARE(CreaRegion(0, 1, 1, 0, 0, 18, 18), (WindowOutline{2, 18, 202, 188, 30, 30}));
        QCOMPARE(CreaRegion(1, 1.5f, 1, -2, 0, 15, 15).left, 2); // 3 * 1.5 - 2 = 2.5

        // The 30 x 30 corners row by row, as the original platform cuts them: the rectangle's last
        // column and row left out, the top corners one row taller than the bottom ones.
        QList<int> insets{11, 9, 7, 6, 5, 4, 3, 2, 2, 1, 1, 0, 0, 0, 0};
        insets += QList<int>(210 - 37, 0);
        insets += {0, 0, 0, 1, 1, 2, 2, 3, 4, 5, 6, 7, 9, 11};
        QRegion expected;
        for (int y = 22; y <= 223; ++y)
            expected += QRect(QPoint(3 + insets[y - 22], y), QPoint(672 - insets[y - 22], y));
        QCOMPARE(last(15, 1).region(), expected);

        // A screen smaller than the window: equal negative overhangs. Halves are cut toward zero,
        // and a panel at the screen's top shifts the area.
        QCOMPARE(WindowCentring::origin(QRect(0, 0, 3000, 2250), QSize(4020, 4530)),
                 QPoint(-510, -1140));
        QCOMPARE(WindowCentring::origin(QRect(0, 450, 3015, 3000), QSize(3990, 4500)),
                 QPoint(-487, 450 - 750));
    }

    // One window without a window manager: the X server cuts it to the rounded outline, corner
    // pixels included, as Command1 opens and closes the panel; the top band drags it; then the
    // tray icon's clicks, as the X11 tray delivers them, and the messages they become.
    void shapeDragAndTray() {
        MainWindow main;
        WindowDrag drag(&main.window);
        main.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main.window));
        const QRegion closedMask = main.window.mask();
        QCOMPARE(closedMask.boundingRect(), QRect(0, 0, 240, 202));
        QTRY_COMPARE(shownRegion(main.window), closedMask);

        QSignalSpy clicks(main.command1, &QPushButton::clicked);
        QTest::mouseClick(main.command1, Qt::LeftButton);
        // Refused while the panel slides.
        QTest::mouseClick(main.command1, Qt::LeftButton);
        QCOMPARE(clicks.count(), 1);

        // The outline grows where a person sees it, one width after another.
        QList<int> widths{closedMask.boundingRect().width()};
        QVERIFY(QTest::qWaitFor(
            [&] {
                if (const int w = main.window.mask().boundingRect().width(); w != widths.last())
                    widths.append(w);
                return main.command1->text() == u"<< Opciones"_s;
            },
            10000));
        QVERIFY2(widths.size() >= 5, qPrintable(u"%1 outlines seen"_s.arg(widths.size())));
        // The first step is at fraction 0, two pixels short of the closed outline.
        QVERIFY(std::is_sorted(widths.cbegin() + 1, widths.cend()));

        // The window's width once open, and the outline's, are the journey's.
        QCOMPARE(main.command1->x(), Twips::toPixels(8260));
        QTRY_COMPARE(shownRegion(main.window), main.window.mask());

        QTest::mouseClick(main.command1, Qt::LeftButton);
        QTRY_COMPARE(main.command1->text(), u"Opciones >>"_s);
        QCOMPARE(main.command1->x(), Twips::toPixels(1860));
        QCOMPARE(main.window.width(), Twips::toPixels(3705));
        QCOMPARE(main.window.mask(), closedMask);

        const QPoint start = main.window.pos();
        // Without a window manager the window follows the pointer itself. Of these presses at
        // 1500 twips (100 pixels) across, only the last is a left one inside the top band.
        for (const auto &[button, y] : {std::pair{Qt::RightButton, 100.f},
                                        {Qt::LeftButton, 201.f},
                                        {Qt::LeftButton, 200.f}}) {
            drag.Form_MouseDown(button, Qt::NoModifier, 1500, y);
            const QPoint to = main.window.mapToGlobal(QPoint(130, 33));
            QMouseEvent move(QEvent::MouseMove, QPointF(130, 33), to, Qt::NoButton, Qt::LeftButton,
                             Qt::NoModifier);
            QMouseEvent release(QEvent::MouseButtonRelease, QPointF(130, 33), to, Qt::LeftButton,
                                Qt::NoButton, Qt::NoModifier);
            QCoreApplication::sendEvent(&main.window, &move);
            QCoreApplication::sendEvent(&main.window, &release);
        }
        QTRY_COMPARE(main.window.pos(), start + QPoint(30, 20));

        // A real press on pixel row 13, 195 twips down.
        QTest::mousePress(&main.window, Qt::LeftButton, {}, QPoint(50, 13));
        QTest::mouseMove(&main.window, QPoint(60, 23));
        QTest::mouseRelease(&main.window, Qt::LeftButton, {}, QPoint(60, 23));
        QTRY_COMPARE(main.window.pos(), start + QPoint(40, 30));

        main.states.cmdGoTray_Click();
        // The icon's own widget, where the X11 tray delivers its clicks.
        QWidget *icon = nullptr;
        QTRY_VERIFY(std::ranges::any_of(QApplication::topLevelWidgets(), [&icon](QWidget *w) {
            return w->objectName() == u"QSystemTrayIconSys"_s && w->isVisible() && (icon = w);
        }));

        QTimer::singleShot(0, &main.mnuSystemTray, &QMenu::hide);
        QTest::mouseClick(icon, Qt::RightButton);
        QCOMPARE(main.menus.count(), 1);
        QTest::mouseClick(icon, Qt::LeftButton);
        QVERIFY(!main.window.isVisible());
        QTest::mouseDClick(icon, Qt::LeftButton);
        QVERIFY(main.window.isVisible() && !main.states.trayIcon()->isVisible());

        // Over a shown window these are ordinary mouse moves.
        main.states.Form_MouseMove(517);
        QCOMPARE(main.menus.count(), 1);

        // Anything arriving while the menu is open is dropped.
        main.states.PonEnTray();
        QTimer::singleShot(0, [&] {
            main.states.Form_MouseMove(517);
            main.states.Form_MouseMove(515);
            main.mnuSystemTray.hide();
        });
        main.states.Form_MouseMove(517);
        QCOMPARE(main.menus.count(), 2);
        QVERIFY(!main.window.isVisible());
        main.states.Form_MouseMove(515);
        QVERIFY(main.window.isVisible());

        // With auto-connect the saved state applies (without, see the window suite's settings
        // case).
        Settings saved{{}, {}, {}, DigitColour::Red, true, StartState::Minimized};
        main.states.applyStartupState(saved);
        QVERIFY(main.window.isMinimized() && !main.states.trayIcon()->isVisible());
        saved.status = StartState::InTray;
        main.states.applyStartupState(saved);
        QVERIFY(main.states.trayIcon()->isVisible());
    }

    // Under a window manager. Minimized with "-", restored from the task list by the window
    // manager, then to the tray and back: the window must come back normal, not iconic, and
    // listed in the task list.
    void underAWindowManager() {
        DesktopSession desktop;
        QVERIFY(desktop.start(/*trayHost=*/false));
        MainWindow main;
        // The window manager's word for the window: "Normal", "Iconic", or empty while unmanaged.
        const auto state = [&] {
            const QString said = QString::fromUtf8(desktop.run(
                u"xprop"_s, {u"-id"_s, QString::number(main.window.winId()), u"WM_STATE"_s}));
            const QString word =
                said.section(u"window state: "_s, 1, 1).section(u'\n', 0, 0).trimmed();
            return word == u"Withdrawn"_s ? QString() : word;
        };
        // To the tray before ever being shown, as an auto-connecting start-up goes.
        main.states.PonEnTray();
        QVERIFY(main.states.taskbarEntry().isSkipped());
        main.states.mnuWinOpen_Click();
        // Seen mapped, the toolkit asks for activation, which would undo a minimize sent first.
        QVERIFY(QTest::qWaitForWindowExposed(&main.window));
        QTRY_COMPARE_WITH_TIMEOUT(state(), u"Normal"_s, 10000);
        QVERIFY(!main.states.taskbarEntry().isSkipped());

        main.states.cmdMinimizeApp_Click();
        QTRY_COMPARE_WITH_TIMEOUT(state(), u"Iconic"_s, 10000);
        QCOMPARE(QProcess::execute(u"xdotool"_s,
                                   {u"windowactivate"_s, QString::number(main.window.winId())}),
                 0);
        QTRY_COMPARE_WITH_TIMEOUT(state(), u"Normal"_s, 10000);
        // As a person's next click would, let the toolkit hear of the restore if it ever does.
        (void)QTest::qWaitFor([&] { return !main.window.isMinimized(); }, 5000);

        main.states.cmdGoTray_Click();
        QTRY_COMPARE_WITH_TIMEOUT(state(), QString(), 10000);
        main.states.mnuWinOpen_Click();
        QTRY_COMPARE_WITH_TIMEOUT(state(), u"Normal"_s, 10000);
        // The toolkit may hear of the window manager's state changes a little later.
        QTRY_VERIFY(main.window.isVisible() && !main.window.isMinimized());

        // One About window at a time, a fresh one after Cerrar; under a window manager it is the
        // frame that sits in the middle, once the manager has put it around the window.
        RecordingOpener opener;
        AboutLauncher launcher(opener);
        launcher.lblCreditos_Click();
        QPointer<About> first = launcher.openWindow();
        QVERIFY(first);
        // The credits rise 15 twips a tick from 3310; once the whole panel has left the viewport,
        // past -9000, they start again.
        for (int tick = 1; tick <= 821; ++tick)
            first->Timer1_Timer();
        QCOMPARE(first->picture2Top(), -9005);
        QVERIFY(first->findChild<QWidget *>(u"Picture2"_s)->geometry().bottom() < 0);
        first->Timer1_Timer();

        // Asked again, the same window goes on rising where it was.
        launcher.lblCreditos_Click();
        QCOMPARE(launcher.openWindow(), first.data());
        QCOMPARE(first->picture2Top(), 3295);

        for (const QString &label : {u"Label3"_s, u"Label4"_s})
            QTest::mouseClick(first->findChild<QLabel *>(label), Qt::LeftButton);
        QCOMPARE(opener.opened, (QList<QUrl>{QUrl(About::homePage()),
                                             QUrl(u"mailto:"_s + About::supportEmail())}));

        QTest::mouseClick(first->findChild<QPushButton *>(u"Cmd1"_s), Qt::LeftButton);
        QVERIFY(!launcher.openWindow());
        QTRY_VERIFY(!first);

        launcher.lblCreditos_Click();
        QPointer<About> second = launcher.openWindow();
        QVERIFY(second);
        QCOMPARE(second->picture2Top(), 3310);
        QVERIFY(second->findChild<QTimer *>(u"Timer1"_s)->isActive());
        const QRect area = second->screen()->availableGeometry();
        // Off the middle by half a pixel at most: an odd difference has no middle. The frame is
        // the inner window's place as the X server has it, widened by the extents the window
        // manager declares: none until it is framed.
        const QString id = QString::number(second->winId());
        const QRegularExpression frame(
            u"upper-left X:\\s+(-?\\d+)\\s+Absolute upper-left Y:\\s+(-?\\d+).*Width: (\\d+)\\s+"
            "Height: (\\d+).*= (\\d+), (\\d+), (\\d+), (\\d+)"_s,
            QRegularExpression::DotMatchesEverythingOption);
        const auto twiceOffCentre = [&] {
            const QRegularExpressionMatch m = frame.match(QString::fromUtf8(
                desktop.run(u"xwininfo"_s, {u"-id"_s, id}) +
                desktop.run(u"xprop"_s, {u"-id"_s, id, u"_NET_FRAME_EXTENTS"_s})));
            const auto n = [&m](int i) { return m.captured(i).toInt(); };
            const QRect f = QRect(n(1), n(2), n(3), n(4)).adjusted(-n(5), -n(7), n(6), n(8));
            const QPoint off = f.topLeft() + f.bottomRight() - area.topLeft() - area.bottomRight();
            return m.hasMatch() ? qMax(qAbs(off.x()), qAbs(off.y())) : INT_MAX;
        };
        QTRY_VERIFY_WITH_TIMEOUT(twiceOffCentre() <= 1, 45000);

        // The program's close button shuts it first.
        launcher.closeIfOpen();
        QTRY_VERIFY(!second);
        launcher.closeIfOpen();
    }

private:
    QProcess m_trayHost;
};

QTEST_MAIN(TestShell)
#include "tst_shell.moc"
