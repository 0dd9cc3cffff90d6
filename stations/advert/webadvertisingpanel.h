#pragma once

#include "advertisingpanel.h"

#include <QPointer>
#include <QRegion>
#include <QTimer>
#include <QUrl>
#include <QWidget>

class QWebEngineView;
class QWindow;
struct WebViewModule;

// The advertising panel on a real web view. The web engine is heavy: loading
// it starts OpenGL, takes a hundred megabytes and blocks the user-interface
// thread for a noticeable time. So the view is made only when the panel can
// first be seen: shown, its window on screen, the panel inside the window's
// outline, and that outline still for a moment (the options panel's slide
// over). Until then the panel remembers the address it was told and shows
// the page's background colour.
//
// The view lives in a native window of its own inside the panel's, so that
// the main window stays the plain window it was made as: an OpenGL child
// would have Qt make the main window anew, and draw all of it through OpenGL.
class WebAdvertisingPanel : public QWidget, public AdvertisingPanel {
    Q_OBJECT

public:
    explicit WebAdvertisingPanel(QWidget *parent = nullptr);
    ~WebAdvertisingPanel() override;

    void navigate(const QUrl &address) override;

    // The web view, once made; null until the panel could first be seen.
    QWebEngineView *view() const { return m_view; }

Q_SIGNALS:
    // The page finished loading (ok false when it could not be shown).
    void loadFinished(bool ok);

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void watchWindow();
    bool insideWindow() const;
    bool withinOutline() const;
    void considerView();
    void settled();
    void makeView();
    void embedView();

    QUrl m_address;
    QWebEngineView *m_view = nullptr;
    QWidget *m_viewWindow = nullptr;
    const WebViewModule *m_module = nullptr;
    bool m_moduleMissing = false;
    QPointer<QWidget> m_watchedWindow;
    QPointer<QWindow> m_watchedHandle;
    QTimer m_settle;
    QRegion m_outline;
};
