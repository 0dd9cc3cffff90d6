#pragma once

#include <QString>

// What the main window asks of a stream player component. Every call returns
// at once; a call that cannot be carried out throws PlayerError.
class PlayerComponent {
public:
    virtual ~PlayerComponent() = default;

    // Starts playing the stream or playlist at this address, replacing
    // whatever played before ("open" on MediaPlayer1, "source" on RealAudio1).
    virtual void open(const QString &address) = 0;

    // Stops playback; harmless when nothing plays.
    virtual void stop() = 0;

    // The volume in the component's own scale (see VolumeScale).
    virtual void setVolume(int value) = 0;

    // Moves the keyboard focus to the component.
    virtual void takeFocus() = 0;
};
