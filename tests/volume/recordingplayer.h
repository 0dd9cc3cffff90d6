#pragma once

#include "playercomponent.h"
#include "playererror.h"

#include <QList>

// Stands in for a stream player where a test is about the volume logic only.
class RecordingPlayer : public PlayerComponent {
public:
    void open(const QString &) override {}
    void stop() override {}
    void setVolume(int value) override {
        if (failing)
            throw PlayerError(QStringLiteral("volume refused"));
        volumes.append(value);
    }
    void takeFocus() override { ++focusMoves; }

    void forget() {
        volumes.clear();
        focusMoves = 0;
    }

    QList<int> volumes;
    int focusMoves = 0;
    bool failing = false;
};
