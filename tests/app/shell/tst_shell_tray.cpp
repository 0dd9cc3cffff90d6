#include "settings.h"
#include "startupstatus.h"
#include "windowstates.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QMenu>
#include <QPixmap>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWidget>

using namespace Qt::StringLiterals;

namespace {

struct MainWindow {
    QWidget window;
    QMenu mnuSystemTray;
    WindowStates states{&window, &mnuSystemTray};
    QSignalSpy menus{&mnuSystemTray, &QMenu::aboutToShow};

    MainWindow() {
        QPixmap icon(32, 32);
        icon.fill(Qt::darkBlue);
        window.setWindowIcon(QIcon(icon));
        window.setWindowTitle(u"Sintonet Valdren"_s);
        window.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
        window.resize(247, 202);
        mnuSystemTray.addAction(u"Abrir ventana"_s);
    }
};

// The icon's own widget, where the X11 tray delivers its clicks.
QWidget *iconWidget() {
    const QWidgetList widgets = QApplication::topLevelWidgets();
    for (QWidget *w : widgets)
        if (w->objectName() == u"QSystemTrayIconSys"_s && w->isVisible())
            return w;
    return nullptr;
}

// Runs an X tool; whether it succeeded, and what it printed.
bool runTool(const QString &tool, const QStringList &arguments, QString *said = nullptr) {
    QProcess process;
    process.start(tool, arguments);
    const bool ok = process.waitForFinished(5000) && process.exitCode() == 0;
    if (said)
        *said = QString::fromUtf8(process.readAllStandardOutput());
    return ok;
}

// What the window manager says of the window: "Normal", "Iconic", or empty while it does not
// manage it.
QString wmState(QWidget &window) {
    QString said;
    runTool(u"xprop"_s, {u"-id"_s, QString::number(window.winId()), u"WM_STATE"_s}, &said);
    const QString state = said.section(u"window state: "_s, 1, 1).section(u'\n', 0, 0).trimmed();
    return state == u"Withdrawn"_s ? QString() : state;
}

} // namespace

class TestShellTray : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanupTestCase() { stopTrayHost(); }

    void initTestCase() {
        m_trayHost.start(u"trayer"_s, {});
        QVERIFY2(m_trayHost.waitForStarted(), "trayer did not start");
        QTRY_VERIFY_WITH_TIMEOUT(QSystemTrayIcon::isSystemTrayAvailable(), 10000);
    }

    // Clicks on the icon as the X11 tray delivers them, and the messages they become.
    void iconClicks() {
        MainWindow main;
        main.states.cmdGoTray_Click();
        QVERIFY(!main.window.isVisible());
        QCOMPARE(main.states.trayIcon()->toolTip(), u"Sintonet Valdren"_s);
        QWidget *icon = nullptr;
        QTRY_VERIFY((icon = iconWidget()));

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
    }

    // Minimized with "-", restored from the task list by the window manager, then to the tray
    // and back: the window must come back normal, not iconic, and listed in the task list.
    void backFromTheTrayAfterARestoreByTheWindowManager() {
        // To the tray before ever being shown, as an auto-connecting start-up goes.
        MainWindow main;
        main.states.PonEnTray();
        QVERIFY(main.states.taskbarEntry().isSkipped());
        main.states.mnuWinOpen_Click();
        QVERIFY(QTest::qWaitForWindowExposed(&main.window));
        QVERIFY(!main.states.taskbarEntry().isSkipped());

        QProcess windowManager;
        windowManager.start(u"openbox"_s, {u"--sm-disable"_s});
        QVERIFY2(windowManager.waitForStarted(), "openbox did not start");
        const auto stop = qScopeGuard([&] {
            windowManager.terminate();
            windowManager.waitForFinished(5000);
        });
        // A window mapped before the manager takes charge is never managed.
        QTRY_VERIFY_WITH_TIMEOUT(runTool(u"xprop"_s, {u"-root"_s, u"_NET_SUPPORTING_WM_CHECK"_s}),
                                 10000);
        main.window.hide();
        main.window.show();
        QTRY_COMPARE_WITH_TIMEOUT(wmState(main.window), u"Normal"_s, 10000);

        main.states.cmdMinimizeApp_Click();
        QTRY_COMPARE_WITH_TIMEOUT(wmState(main.window), u"Iconic"_s, 10000);
        const QString id = QString::number(main.window.winId());
        QVERIFY(runTool(u"xdotool"_s, {u"windowactivate"_s, id}));
        QTRY_COMPARE_WITH_TIMEOUT(wmState(main.window), u"Normal"_s, 10000);

        main.states.cmdGoTray_Click();
        QTRY_COMPARE_WITH_TIMEOUT(wmState(main.window), QString(), 10000);
        main.states.mnuWinOpen_Click();
        QTRY_VERIFY_WITH_TIMEOUT(!wmState(main.window).isEmpty(), 10000);
        QCOMPARE(wmState(main.window), u"Normal"_s);
        // The toolkit may hear of the window manager's state changes a little later.
        QTRY_VERIFY(main.window.isVisible() && !main.window.isMinimized());
        QVERIFY(!main.states.trayIcon()->isVisible());
        // Once shown, the window manager holds the task list state and must be asked.
        QTRY_VERIFY(!main.states.taskbarEntry().isSkipped());
        TaskbarEntry entry(&main.window);
        entry.setListed(false);
        QTRY_VERIFY(entry.isSkipped());
        entry.setListed(true);
        QTRY_VERIFY(!entry.isSkipped());
    }

    // Hidden while auto-connect is off; hidden, the choice still counts at the next close.
    // Its words are the settings' (the session suite).
    void statusList() {
        QWidget window;
        auto *chkAutoConn = new QCheckBox(&window);
        auto *cboStatus = new QComboBox(&window);
        StartupStatus status(chkAutoConn, cboStatus);
        QCOMPARE(status.GuardaEstado(), std::nullopt);
        QVERIFY(cboStatus->isHidden());
        chkAutoConn->setChecked(true);
        QVERIFY(!cboStatus->isHidden());
        status.PonEstado(StartState::InTray);
        QCOMPARE(cboStatus->currentText(), u"En Tray"_s);
        chkAutoConn->setChecked(false);
        QVERIFY(cboStatus->isHidden());
        QCOMPARE(status.GuardaEstado(), StartState::InTray);
    }

    // With auto-connect the saved state applies (without it the window suite's start opens
    // normally).
    void startupState() {
        for (const StartState state : {StartState::InTray, StartState::Minimized}) {
            MainWindow main;
            Settings saved;
            saved.autoconnect = true;
            saved.status = state;
            main.states.applyStartupState(saved);
            QCOMPARE(main.states.isInTray(), state == StartState::InTray);
            QCOMPARE(main.states.trayIcon()->isVisible(), state == StartState::InTray);
            QCOMPARE(main.window.isMinimized(), state == StartState::Minimized);
        }
    }

    // Without a tray the window is minimized instead, so it can be found again.
    void noTrayMinimizes() {
        stopTrayHost();
        QTRY_VERIFY_WITH_TIMEOUT(!QSystemTrayIcon::isSystemTrayAvailable(), 10000);
        MainWindow main;
        main.window.show();
        main.states.cmdGoTray_Click();
        QVERIFY(main.window.isVisible() && main.window.isMinimized());
        QVERIFY(!main.states.trayIcon()->isVisible());
    }

private:
    void stopTrayHost() {
        m_trayHost.terminate();
        m_trayHost.waitForFinished(5000);
    }

    QProcess m_trayHost;
};

QTEST_MAIN(TestShellTray)
#include "tst_shell_tray.moc"
