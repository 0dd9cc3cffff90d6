#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QWindow>

#include <cstdio>

using namespace Qt::StringLiterals;

// The end-to-end tests' eyes on the X screen:
//   sv-e2e-grab <x> <y> <width> <height> <file.png>
//       saves what the screen shows in the rectangle as a PNG file;
//   sv-e2e-grab --probe
//       shows a small window and succeeds once it is on screen: the window
//       manager has taken charge of the desktop.
int main(int argc, char *argv[]) {
    QGuiApplication app(argc, argv);
    const QStringList arguments = QGuiApplication::arguments();
    if (arguments.size() == 2 && arguments.at(1) == u"--probe"_s) {
        QWindow probe;
        probe.resize(40, 40);
        probe.show();
        const QDeadlineTimer deadline(3000);
        while (!probe.isExposed() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        return probe.isExposed() ? 0 : 1;
    }
    if (arguments.size() != 6) {
        std::fputs("usage: sv-e2e-grab x y width height file.png | sv-e2e-grab --probe\n", stderr);
        return 2;
    }
    QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return 1;
    const QPixmap picture = screen->grabWindow(0, arguments.at(1).toInt(), arguments.at(2).toInt(),
                                               arguments.at(3).toInt(), arguments.at(4).toInt());
    return !picture.isNull() && picture.save(arguments.at(5), "PNG") ? 0 : 1;
}
