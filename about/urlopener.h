#pragma once

#include <QUrl>

// Opens an address with the program the desktop associates with it. Behind an
// interface so tests can see what would be opened without opening anything.
class UrlOpener {
public:
    virtual ~UrlOpener() = default;
    // Failures are not reported: a missing browser or mail program is the desktop's affair.
    virtual void openUrl(const QUrl &url) = 0;
};
