#include "webviewmodule.h"

#include <QWebEnginePage>
#include <QWebEngineView>

namespace {

QWebEngineView *make(const QColor &background, std::function<void(bool)> loadFinished) {
    auto *view = new QWebEngineView;
    view->setContextMenuPolicy(Qt::NoContextMenu);
    view->page()->setBackgroundColor(background);
    QObject::connect(view, &QWebEngineView::loadFinished, view, std::move(loadFinished));
    return view;
}

QWidget *widget(QWebEngineView *view) {
    return view;
}

void setUrl(QWebEngineView *view, const QUrl &address) {
    view->setUrl(address);
}

const WebViewModule Module{make, widget, setUrl};

} // namespace

extern "C" Q_DECL_EXPORT const WebViewModule *sintonetValdrenWebViewModule() {
    return &Module;
}
