#include "testfiles.h"
#include "webadvertisingpanel.h"

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QScreen>
#include <QTest>

#include <algorithm>
#include <csignal>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

// Share of the image's pixels close to the colour.
double share(const QImage &image, QColor colour) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    const auto *pixels = reinterpret_cast<const QRgb *>(rgb.constBits());
    const qsizetype hits = std::count_if(pixels, pixels + rgb.sizeInBytes() / 4, [&](QRgb p) {
        return qAbs(qRed(p) - colour.red()) <= 16 && qAbs(qGreen(p) - colour.green()) <= 16 &&
               qAbs(qBlue(p) - colour.blue()) <= 16;
    });
    return rgb.isNull() ? 0.0 : double(hits) / (rgb.sizeInBytes() / 4);
}

// The fields of /proc/<pid>/stat after the name: the state, then the parent.
QList<QByteArray> stat(qint64 pid) {
    const QByteArray text = TestFiles::read(u"/proc/%1/stat"_s.arg(pid));
    return text.mid(text.lastIndexOf(") ") + 2).split(' ');
}

// Running, not a zombie left for a parent that is gone.
bool alive(qint64 pid) {
    return !QByteArrayList{"", "Z", "X"}.contains(stat(pid).value(0));
}

QList<qint64> descendants(qint64 pid) {
    QList<qint64> found;
    for (const QString &entry : QDir(u"/proc"_s).entryList(QDir::Dirs))
        if (stat(entry.toLongLong()).value(1).toLongLong() == pid)
            found << entry.toLongLong() << descendants(entry.toLongLong());
    return found;
}

// The panel in a window, as the main window holds it.
struct Host {
    explicit Host(int lingerMs) {
        window.resize(400, 200);
        panel = new WebAdvertisingPanel(&window, lingerMs);
        panel->move(20, 30);
        panel->navigate(AdvertisingPanel::pageAddress());
        window.show();
    }
    // What the X server shows in the box: the page's navy ground and orange
    // ribbon, or only the navy of the box itself.
    QImage box() const {
        return window.screen()
            ->grabWindow(window.winId(), panel->x(), panel->y(), panel->width(), panel->height())
            .toImage();
    }
    bool pageDrawn() const { return share(box(), QColor(0xf2, 0x8c, 0x28)) > 0.08; }
    bool blank() const { return share(box(), QColor(0x14, 0x32, 0x5c)) > 0.99; }

    QWidget window;
    WebAdvertisingPanel *panel;
};

} // namespace

class TestAdvertPanel : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void helperFollowsThePanel() {
        Host host(300);
        QVERIFY(QTest::qWaitForWindowExposed(&host.window));
        QCOMPARE(host.panel->helperId(), 0);
        host.panel->setSeen(true);
        const qint64 helper = host.panel->helperId();
        QVERIFY(helper != 0);
        QTRY_VERIFY_WITH_TIMEOUT(host.pageDrawn(), 60000);
        // The engine stays out of this process.
        QVERIFY(!TestFiles::read(u"/proc/self/maps"_s).contains("WebEngine"));
        // Closed and at once reopened: the same helper, its page kept.
        host.panel->setSeen(false);
        host.panel->setSeen(true);
        QCOMPARE(host.panel->helperId(), helper);
        host.panel->setSeen(false);
        QTRY_VERIFY_WITH_TIMEOUT(!alive(helper), 10000);
        QCOMPARE(host.panel->helperId(), 0);
        QTRY_VERIFY(host.blank());

        // Opened again a new helper draws the page; killed, it is started again on the next
        // opening.
        host.panel->setSeen(true);
        QTRY_VERIFY_WITH_TIMEOUT(host.pageDrawn(), 60000);
        ::kill(pid_t(host.panel->helperId()), SIGKILL);
        QTRY_COMPARE(host.panel->helperId(), 0);
        QTRY_VERIFY(host.blank());
        host.panel->setSeen(false);
        host.panel->setSeen(true);
        QTRY_VERIFY_WITH_TIMEOUT(host.pageDrawn(), 60000);
    }

    void helperEndsWithAKilledProgram() {
        // This test as the program, the panel open, killed once its page shows.
        QProcess program;
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program.start(QCoreApplication::applicationFilePath(), {u"--host"_s});
        QTRY_VERIFY_WITH_TIMEOUT(program.canReadLine(), 60000);
        QCOMPARE(program.readLine(), "drawn\n");
        const QList<qint64> tree = descendants(program.processId());
        QVERIFY(!tree.isEmpty());
        program.kill();
        QVERIFY(program.waitForFinished());
        QTRY_VERIFY_WITH_TIMEOUT(std::none_of(tree.begin(), tree.end(), alive), 10000);
    }
};

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    if (app.arguments().contains(u"--host"_s)) {
        Host host(WebAdvertisingPanel::DefaultLingerMs);
        if (!QTest::qWaitForWindowExposed(&host.window))
            return 1;
        host.panel->setSeen(true);
        while (!host.pageDrawn())
            QTest::qWait(100);
        std::puts("drawn");
        std::fflush(stdout);
        return app.exec();
    }
    TestAdvertPanel test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_advertpanel.moc"
