#include "webadvertisingpanel.h"

#include "twips.h"
#include "webviewmodule.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QLibrary>
#include <QOpenGLContext>
#include <QPalette>
#include <QWindow>

QT_BEGIN_NAMESPACE
// Qt's own, exported for the web engine, which declares it the same way.
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext *context);
QT_END_NAMESPACE

namespace {

// The page's own background, so the panel does not flash white before the
// engine has drawn it.
const QColor PageBackground(0x14, 0x32, 0x5c);
// How long the window's outline must stay as it is before the view is made.
constexpr int SettleMs = 100;

QOpenGLContext *sharedContext = nullptr;

void dropSharedContext() {
    qt_gl_set_global_share_context(nullptr);
    delete sharedContext;
    sharedContext = nullptr;
}

// What the engine would have Qt do before the application starts, done now:
// one OpenGL context that the engine's contexts and the view's share.
void shareOpenGlContexts() {
    if (QOpenGLContext::globalShareContext())
        return;
    auto *context = new QOpenGLContext;
    if (!context->create()) {
        delete context; // the engine then draws without OpenGL
        return;
    }
    sharedContext = context;
    qt_gl_set_global_share_context(context);
    qAddPostRoutine(dropSharedContext);
}

const WebViewModule *loadModule() {
    QString file = qEnvironmentVariable(WebViewModuleVariable);
    if (file.isEmpty())
        file = QDir(QCoreApplication::applicationDirPath())
                   .filePath(QString::fromLatin1(WebViewModuleFile));
    // Before the engine's libraries are loaded: they look for it then.
    shareOpenGlContexts();
    QLibrary library(file);
    using Entry = const WebViewModule *(*)();
    const auto entry = reinterpret_cast<Entry>(library.resolve(WebViewModuleEntry));
    if (!entry) {
        qWarning("sintonet-valdren: the advertising panel stays empty: %s",
                 qPrintable(library.errorString()));
        return nullptr;
    }
    // Left loaded: the engine cannot be unloaded once started.
    return entry();
}

} // namespace

WebAdvertisingPanel::WebAdvertisingPanel(QWidget *parent)
    : QWidget(parent) {
    setFixedSize(Twips::size(3255, 1215));
    QPalette p = palette();
    p.setColor(QPalette::Window, PageBackground);
    setPalette(p);
    setAutoFillBackground(true);
    m_settle.setSingleShot(true);
    m_settle.setInterval(SettleMs);
    connect(&m_settle, &QTimer::timeout, this, &WebAdvertisingPanel::settled);
}

WebAdvertisingPanel::~WebAdvertisingPanel() {
    // The view's window lies inside this one's: it goes first.
    delete m_viewWindow;
}

void WebAdvertisingPanel::navigate(const QUrl &address) {
    m_address = address;
    if (m_view)
        m_module->setUrl(m_view, m_address);
    else
        considerView();
}

void WebAdvertisingPanel::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    considerView();
}

void WebAdvertisingPanel::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    if (m_viewWindow)
        m_viewWindow->setGeometry(rect());
}

// The window's size and exposure decide whether the panel can be seen: its
// resizes, shows and exposes are watched, with no timer running meanwhile.
void WebAdvertisingPanel::watchWindow() {
    QWidget *top = window();
    if (top != this && m_watchedWindow != top) {
        if (m_watchedWindow)
            m_watchedWindow->removeEventFilter(this);
        m_watchedWindow = top;
        top->installEventFilter(this);
    }
    QWindow *handle = top->windowHandle();
    if (handle && m_watchedHandle != handle) {
        if (m_watchedHandle)
            m_watchedHandle->removeEventFilter(this);
        m_watchedHandle = handle;
        handle->installEventFilter(this);
    }
}

bool WebAdvertisingPanel::eventFilter(QObject *watched, QEvent *event) {
    if (watched == m_viewWindow && event->type() == QEvent::WinIdChange) {
        embedView();
        return QWidget::eventFilter(watched, event);
    }
    if ((watched == m_watchedWindow &&
         (event->type() == QEvent::Resize || event->type() == QEvent::Show)) ||
        (watched == m_watchedHandle && event->type() == QEvent::Expose))
        considerView();
    return QWidget::eventFilter(watched, event);
}

// Shown, its window on screen, and the panel inside the window's rectangle
// (the options panel widened the window).
bool WebAdvertisingPanel::insideWindow() const {
    if (!isVisible())
        return false;
    const QWidget *top = window();
    const QWindow *handle = top->windowHandle();
    if (!handle || !handle->isExposed())
        return false;
    return top->rect().intersects(QRect(mapTo(top, QPoint(0, 0)), size()));
}

bool WebAdvertisingPanel::withinOutline() const {
    const QWidget *top = window();
    const QRegion outline = top->mask();
    return outline.isEmpty() || outline.intersects(QRect(mapTo(top, QPoint(0, 0)), size()));
}

void WebAdvertisingPanel::considerView() {
    if (m_view || m_moduleMissing || m_address.isEmpty())
        return;
    watchWindow();
    if (!insideWindow() || m_settle.isActive())
        return;
    m_outline = window()->mask();
    m_settle.start();
}

// The options panel widens the window, then slides open by changing the
// window's outline step after step: the view, whose start holds everything
// up, waits until the outline has reached the panel and stopped changing.
void WebAdvertisingPanel::settled() {
    if (m_view || !insideWindow())
        return;
    const QRegion outline = window()->mask();
    if (outline != m_outline || !withinOutline()) {
        m_outline = outline;
        m_settle.start();
        return;
    }
    makeView();
}

void WebAdvertisingPanel::makeView() {
    if (!m_module)
        m_module = loadModule();
    if (!m_module) {
        m_moduleMissing = true;
        return;
    }
    for (QObject *watched : {static_cast<QObject *>(m_watchedWindow.data()),
                             static_cast<QObject *>(m_watchedHandle.data())}) {
        if (watched)
            watched->removeEventFilter(this);
    }
    m_view = m_module->make(PageBackground, [this](bool ok) { Q_EMIT loadFinished(ok); });
    m_viewWindow = m_module->widget(m_view);
    m_viewWindow->setWindowFlags(Qt::FramelessWindowHint);
    m_viewWindow->resize(size());
    // The engine makes its drawing surface as it starts loading, so the
    // view's window is made of the OpenGL kind at once.
    m_module->setUrl(m_view, m_address);
    // Native windows for this panel only: its neighbours stay drawn as one
    // with the main window, as they were.
    QCoreApplication::setAttribute(Qt::AA_DontCreateNativeWidgetSiblings);
    setAttribute(Qt::WA_NativeWindow);
    winId();
    m_viewWindow->installEventFilter(this);
    embedView();
    m_viewWindow->show();
}

// Inside the panel's native window; again whenever Qt makes the view's
// window anew, which it does when the kind of window it needs changes.
void WebAdvertisingPanel::embedView() {
    m_viewWindow->winId();
    QWindow *handle = m_viewWindow->windowHandle();
    if (!handle || !windowHandle() || handle->parent() == windowHandle())
        return;
    handle->setParent(windowHandle());
    m_viewWindow->setGeometry(rect());
}
