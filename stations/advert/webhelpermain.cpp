#include "webenginesetup.h"
#include "webhelper.h"

#include <QApplication>
#include <QEvent>
#include <QLoggingCategory>
#include <QSocketNotifier>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QWindow>

#include <csignal>
#include <cstdio>
#include <sys/prctl.h>
#include <unistd.h>

namespace {

// Keeps the view's window inside the program's box: Qt makes the window anew
// when the view first needs OpenGL, and the new one starts as a top-level.
class BoxPlacement : public QObject {
public:
    BoxPlacement(QWidget *view, QWindow *box)
        : QObject(view)
        , m_view(view)
        , m_box(box) {
        place();
        view->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (watched == m_view && event->type() == QEvent::WinIdChange)
            place();
        return QObject::eventFilter(watched, event);
    }

private:
    void place() {
        m_view->winId();
        QWindow *handle = m_view->windowHandle();
        if (handle && handle->parent() != m_box) {
            handle->setParent(m_box);
            handle->setPosition(0, 0);
        }
    }

    QWidget *m_view;
    QWindow *m_box;
};

int usage() {
    std::fputs("uso: sintonet-valdren-web <ventana> <ancho> <alto> <dirección>\n", stderr);
    return 2;
}

} // namespace

int main(int argc, char *argv[]) {
    // The program sets this too before starting us; here it also covers a
    // start by hand. If the program is already gone, there is nothing to show.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    WebEngineSetup::prepareBeforeApplication();
    // The engine's account of its OpenGL set-up would land on the program's
    // standard error at every opening.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.info=false"));
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);

    const QStringList arguments = app.arguments();
    if (arguments.size() != 5)
        return usage();
    bool ok[3] = {};
    const WId box = arguments[1].toULongLong(&ok[0]);
    const int width = arguments[2].toInt(&ok[1]);
    const int height = arguments[3].toInt(&ok[2]);
    const QUrl address(arguments[4], QUrl::StrictMode);
    if (!ok[0] || !ok[1] || !ok[2] || box == 0 || width < 1 || height < 1 ||
        width > WebHelper::MaxSide || height > WebHelper::MaxSide || !address.isValid() ||
        arguments[4].size() > 2048)
        return usage();

    // The program's end closes our input: we go with it.
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char buffer[256];
        if (read(STDIN_FILENO, buffer, sizeof buffer) <= 0)
            QCoreApplication::quit();
    });

    QWebEngineView view;
    view.setWindowFlags(Qt::FramelessWindowHint);
    view.setContextMenuPolicy(Qt::NoContextMenu);
    view.page()->setBackgroundColor(WebHelper::pageBackground());
    view.resize(width, height);
    // Loading first: the engine makes its drawing surface as it starts, so
    // the view's window is of the OpenGL kind from the outset.
    view.setUrl(address);
    BoxPlacement placement(&view, QWindow::fromWinId(box));
    view.show();
    std::fputs(WebHelper::ReadyLine, stdout);
    std::fflush(stdout);
    return app.exec();
}
