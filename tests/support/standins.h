#pragma once

#include "advertisingpanel.h"
#include "usermessages.h"

#include <QList>
#include <QStringList>
#include <QUrl>
#include <QWidget>

#include <functional>

// What the window reaches outside of itself, for suites that drive the real window: no message
// box waits for a click and no web page loads, and both remember what they were asked to do.

class RecordingMessages : public UserMessages {
public:
    // Each box as "caption|text|icon".
    void show(const QString &text, const QString &caption, Icon icon) override {
        shown.append(QStringLiteral("%1|%2|%3").arg(caption, text).arg(int(icon)));
        if (whileShown)
            whileShown();
    }
    QStringList shown;
    // Runs while the box would be up: what the window shows behind it.
    std::function<void()> whileShown;
};

class RecordingPanel : public QWidget, public AdvertisingPanel {
public:
    using QWidget::QWidget;
    void navigate(const QUrl &address) override { visits.append(address); }
    QList<QUrl> visits;
};
