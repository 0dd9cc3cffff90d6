#pragma once

#include "advertisingpanel.h"

#include <QPointer>
#include <QWidget>

class QWebEngineView;
class QWindow;

// The advertising panel on a real web view. Starting the web engine blocks the
// user-interface thread for a noticeable time, so the view is only made once
// the window holding the panel is on screen; until then the panel remembers
// the address it was told and shows the page's background colour.
class WebAdvertisingPanel : public QWidget, public AdvertisingPanel {
    Q_OBJECT

public:
    explicit WebAdvertisingPanel(QWidget *parent = nullptr);

    void navigate(const QUrl &address) override;

    // The web view, once made; null before the window was first shown.
    QWebEngineView *view() const { return m_view; }

Q_SIGNALS:
    // The page finished loading (ok false when it could not be shown).
    void loadFinished(bool ok);

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void makeViewOnceExposed();
    void scheduleView();
    void makeView();

    QUrl m_address;
    QWebEngineView *m_view = nullptr;
    QPointer<QWindow> m_watchedWindow;
    bool m_scheduled = false;
};
