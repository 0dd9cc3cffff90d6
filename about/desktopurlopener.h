#pragma once

#include "urlopener.h"

class DesktopUrlOpener : public UrlOpener {
public:
    void openUrl(const QUrl &url) override;
};
