#include "about.h"
#include "aboutlauncher.h"
#include "urlopener.h"
#include "windowcentring.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QScreen>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

class RecordingOpener : public UrlOpener {
public:
    void openUrl(const QUrl &url) override { opened.append(url); }
    QList<QUrl> opened;
};

QList<About *> visibleAboutWindows() {
    QList<About *> found;
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (auto *about = qobject_cast<About *>(widget); about && about->isVisible())
            found.append(about);
    return found;
}

QString tool(const QString &program, const QStringList &arguments) {
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(15000) ? QString::fromUtf8(process.readAllStandardOutput())
                                          : QString();
}

// The window's frame as the X server has it: the inner window's place on the screen, widened
// by the frame extents the window manager declares. Null until the window is framed.
QRect frameOnScreen(const QWidget &window) {
    const QString id = QString::number(window.winId());
    const QString info = tool(u"xwininfo"_s, {u"-id"_s, id});
    const QRegularExpressionMatch e =
        QRegularExpression(u"= (\\d+), (\\d+), (\\d+), (\\d+)"_s)
            .match(tool(u"xprop"_s, {u"-id"_s, id, u"_NET_FRAME_EXTENTS"_s}));
    const auto value = [&info](const QString &label) {
        return QRegularExpression(label + u":\\s+(-?\\d+)"_s).match(info).captured(1).toInt();
    };
    if (!e.hasMatch() || info.isEmpty())
        return {};
    return QRect(value(u"Absolute upper-left X"_s), value(u"Absolute upper-left Y"_s),
                 value(u"Width"_s), value(u"Height"_s))
        .adjusted(-e.captured(1).toInt(), -e.captured(3).toInt(), e.captured(2).toInt(),
                  e.captured(4).toInt());
}

} // namespace

class TestAbout : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // 15 twips a tick from 3310; past -9000 it starts again.
    void creditsRiseAndStartAgain() {
        RecordingOpener opener;
        About about(opener);
        auto *picture2 = about.findChild<QWidget *>(u"Picture2"_s);
        QCOMPARE(about.picture2Top(), 3310);
        const QMap<int, int> expected = {{1, 3295}, {2, 3280}, {821, -9005}, {822, 3295}};
        for (int tick = 1; tick <= 822; ++tick) {
            about.Timer1_Timer();
            if (expected.contains(tick))
                QCOMPARE(about.picture2Top(), expected[tick]);
            // By tick 821 the whole panel has left the viewport.
            if (tick >= 821)
                QCOMPARE(picture2->geometry().bottom() < 0, tick == 821);
        }
    }

    // A screen smaller than the window: equal negative overhangs. Halves are cut toward zero,
    // and a panel at the screen's top shifts the area.
    void centresOnTheScreen() {
        QCOMPARE(WindowCentring::origin(QRect(0, 0, 3000, 2250), QSize(4020, 4530)),
                 QPoint(-510, -1140));
        QCOMPARE(WindowCentring::origin(QRect(0, 450, 3015, 3000), QSize(3990, 4500)),
                 QPoint(-487, 450 - 750));
    }

    // Under a window manager it is the frame that sits in the middle, once
    // the manager has put it around the window.
    void frameCentredUnderAWindowManager() {
        QProcess windowManager;
        windowManager.start(u"openbox"_s, {u"--sm-disable"_s});
        QVERIFY2(windowManager.waitForStarted(), "openbox did not start");
        const auto stop = qScopeGuard([&] {
            windowManager.terminate();
            windowManager.waitForFinished(5000);
        });
        // A window mapped before the manager takes charge is never framed.
        QTRY_VERIFY_WITH_TIMEOUT(
            tool(u"xprop"_s, {u"-root"_s, u"_NET_SUPPORTING_WM_CHECK"_s}).contains(u"window id"_s),
            30000);

        RecordingOpener opener;
        AboutLauncher launcher(opener);
        launcher.lblCreditos_Click();
        About *about = launcher.openWindow();
        const QRect area = about->screen()->availableGeometry();
        // On a loaded machine the manager may still be starting when the window is mapped, and
        // then never frames it: map it again after a while. Twice the frame's offset from the
        // middle is at most a pixel: an odd difference has no middle.
        QElapsedTimer mapped;
        mapped.start();
        const auto twiceOffCentre = [&] {
            const QRect frame = frameOnScreen(*about);
            if (frame.isNull() && mapped.elapsed() > 5000) {
                about->hide();
                about->show();
                mapped.restart();
            }
            return frame.isNull() ? INT_MAX
                                  : qMax(qAbs(2 * frame.left() + frame.width() - 2 * area.left() -
                                              area.width()),
                                         qAbs(2 * frame.top() + frame.height() - 2 * area.top() -
                                              area.height()));
        };
        QTRY_VERIFY_WITH_TIMEOUT(twiceOffCentre() <= 1, 45000);
        launcher.closeIfOpen();
    }

    void oneWindowAtATimeAndAFreshOneAfterCerrar() {
        RecordingOpener opener;
        AboutLauncher launcher(opener);
        QVERIFY(!launcher.openWindow());

        launcher.lblCreditos_Click();
        QPointer<About> first = launcher.openWindow();
        QVERIFY(first);
        first->Timer1_Timer();
        first->Timer1_Timer();

        launcher.lblCreditos_Click();
        QCOMPARE(launcher.openWindow(), first.data());
        QCOMPARE(visibleAboutWindows().size(), 1);
        QCOMPARE(first->picture2Top(), 3280);

        // The links open the home page and a new mail.
        for (const QString &label : {u"Label3"_s, u"Label4"_s})
            QTest::mouseClick(first->findChild<QLabel *>(label), Qt::LeftButton);
        QCOMPARE(opener.opened, (QList<QUrl>{QUrl(About::homePage()),
                                             QUrl(u"mailto:"_s + About::supportEmail())}));

        QTest::mouseClick(first->findChild<QPushButton *>(u"Cmd1"_s), Qt::LeftButton);
        QVERIFY(!launcher.openWindow());
        QVERIFY(visibleAboutWindows().isEmpty());
        QTRY_VERIFY(!first);

        launcher.lblCreditos_Click();
        About *second = launcher.openWindow();
        QVERIFY(second);
        QCOMPARE(second->picture2Top(), 3310);
        QVERIFY(second->findChild<QTimer *>(u"Timer1"_s)->isActive());

        // The program's close button shuts it first.
        launcher.closeIfOpen();
        QVERIFY(visibleAboutWindows().isEmpty());
        launcher.closeIfOpen();
    }
};

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
