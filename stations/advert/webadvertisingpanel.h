#pragma once

#include "advertisingpanel.h"

#include <QProcess>
#include <QTimer>
#include <QUrl>
#include <QWidget>

// The advertising panel. The web engine costs some two hundred megabytes and
// holds up the thread that starts it, so it runs in a helper process of ours
// (sintonet-valdren-web) whose view lies in this panel's native window. The
// helper starts when the page can be seen, keeps its page while the options
// panel is open or soon reopened, and ends once the panel has stayed closed
// for a while; the next opening loads the page afresh. The program never
// waits on the helper: until its first frame the box shows the page's
// background colour, and a helper that fails leaves the box so.
class WebAdvertisingPanel : public QWidget, public AdvertisingPanel {
    Q_OBJECT

public:
    static constexpr int DefaultLingerMs = 30000;
    // How long the helper may take to place its view before it counts as hung.
    static constexpr int StartLimitMs = 20000;

    explicit WebAdvertisingPanel(QWidget *parent = nullptr, int lingerMs = DefaultLingerMs);
    ~WebAdvertisingPanel() override;

    void navigate(const QUrl &address) override;
    void setSeen(bool seen) override;

    // The running helper's process id; 0 when there is none.
    qint64 helperId() const;

Q_SIGNALS:
    // The helper has placed its view in the box.
    void helperReady();

private:
    void startHelper();
    void endHelper();
    void readHelper();
    void helperFailed(const QString &why);
    void helperFinished(QProcess *helper);

    QUrl m_address;
    bool m_seen = false;
    QProcess *m_helper = nullptr;
    QByteArray m_output;
    bool m_ready = false;
    QTimer m_linger;
    QTimer m_startLimit;
};
