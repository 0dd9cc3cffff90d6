#include "webadvertisingpanel.h"

#include "twips.h"

#include <QEvent>
#include <QPalette>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QWindow>

namespace {
// The page's own background, so the panel does not flash white before the
// engine has drawn it.
const QColor PageBackground(0x14, 0x32, 0x5c);
} // namespace

WebAdvertisingPanel::WebAdvertisingPanel(QWidget *parent)
    : QWidget(parent) {
    setFixedSize(Twips::size(3255, 1215));
    QPalette p = palette();
    p.setColor(QPalette::Window, PageBackground);
    setPalette(p);
    setAutoFillBackground(true);
}

void WebAdvertisingPanel::navigate(const QUrl &address) {
    m_address = address;
    if (m_view)
        m_view->setUrl(m_address);
    else
        makeViewOnceExposed();
}

void WebAdvertisingPanel::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    makeViewOnceExposed();
}

void WebAdvertisingPanel::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    if (m_view)
        m_view->setGeometry(rect());
}

// The panel is shown while its window is being shown, before anything is
// on screen: wait for the window's first expose, whose handling paints and
// flushes the window, and make the view in the turn of the event loop after it.
void WebAdvertisingPanel::makeViewOnceExposed() {
    if (m_view || m_scheduled || m_address.isEmpty() || !isVisible())
        return;
    QWindow *handle = window()->windowHandle();
    if (!handle)
        return;
    if (handle->isExposed()) {
        scheduleView();
        return;
    }
    if (m_watchedWindow != handle) {
        if (m_watchedWindow)
            m_watchedWindow->removeEventFilter(this);
        m_watchedWindow = handle;
        handle->installEventFilter(this);
    }
}

bool WebAdvertisingPanel::eventFilter(QObject *watched, QEvent *event) {
    // Qt has already recorded the new state when the event reaches a filter.
    if (watched == m_watchedWindow && event->type() == QEvent::Expose &&
        m_watchedWindow->isExposed()) {
        m_watchedWindow->removeEventFilter(this);
        m_watchedWindow = nullptr;
        scheduleView();
    }
    return QWidget::eventFilter(watched, event);
}

void WebAdvertisingPanel::scheduleView() {
    m_scheduled = true;
    QTimer::singleShot(0, this, &WebAdvertisingPanel::makeView);
}

void WebAdvertisingPanel::makeView() {
    m_view = new QWebEngineView(this);
    m_view->setContextMenuPolicy(Qt::NoContextMenu);
    m_view->page()->setBackgroundColor(PageBackground);
    m_view->setGeometry(rect());
    connect(m_view, &QWebEngineView::loadFinished, this, &WebAdvertisingPanel::loadFinished);
    m_view->setUrl(m_address);
    m_view->show();
}
