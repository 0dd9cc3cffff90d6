#pragma once

#include <QUrl>

// The options panel's web page. Behind an interface so the window's tests can
// record the call instead of starting a web engine.
class AdvertisingPanel {
public:
    virtual ~AdvertisingPanel() = default;

    // Remembers the page to show and returns at once; whatever the page does
    // afterwards is the browser's affair.
    virtual void navigate(const QUrl &address) = 0;

    // Whether the page can be seen: the options panel is opening or open.
    virtual void setSeen(bool seen) { Q_UNUSED(seen); }

    // The page that ships with the program, so it shows without a network.
    static QUrl pageAddress() { return QUrl(QStringLiteral("qrc:/advert/propaganda.html")); }
};
