#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include <array>

enum class DigitColour;

class Session;
class PictureImage;
class QImage;
class QRadioButton;
class QWidget;
class PlayerComponent;

// The volume step shown as a picture in one of four colour sets. Every set
// has thirteen picture elements: 0..10 for the steps, 11 the off picture and
// 12 the selector shown beside the set's option button. The chosen set sits at
// the display position, the others are parked outside the window, and all four
// follow the step alike, so a change of set shows the right picture at once.
class VolumeDigits : public QObject {
    Q_OBJECT

public:
    enum ColourSet { Red, Green, Blue, Custom };
    static constexpr int SetCount = 4;
    static constexpr int Elements = 13;
    static constexpr int OffPicture = 11;
    static constexpr int Selector = 12;

    // Creates the 52 picture elements and the four option buttons on Main, at
    // their designed places, with the built-in pictures. MediaPlayer1 takes the
    // focus from the option buttons; it may be null.
    VolumeDigits(Session &session, QWidget *Main, PlayerComponent *MediaPlayer1);

    // Shows the session's step, or the off picture when Apagado ("off") is set. Run for each
    // change of the session's step while on air, and when it goes on air or off.
    void SetVolNum(bool Apagado = false);

    // The user chose colour set Index (0 red, 1 green, 2 blue, 3 custom) for the session. Also
    // run for a colour chosen by the program, at start-up and by a skin, as a click would.
    void optColor_Click(int Index);

    const QList<PictureImage *> &imgDigRed() const { return m_sets[Red]; }
    const QList<PictureImage *> &imgDigVerde() const { return m_sets[Green]; }
    const QList<PictureImage *> &imgDigAzul() const { return m_sets[Blue]; }
    // A skin loads its own pictures into these.
    const QList<PictureImage *> &imgDigCust() const { return m_sets[Custom]; }
    // A skin's picture for element 0..12 of the custom set. One larger than
    // the designed 27 x 27 box is scaled down into it, its proportions kept.
    void setCustomPicture(int element, const QImage &picture);
    const QList<PictureImage *> &elements(int colourSet) const { return m_sets.at(colourSet); }

    const QList<QRadioButton *> &optColor() const { return m_optColor; }

    // Resource path of a built-in picture, e.g. ":/digits/custom/5.gif".
    static QString builtInPicture(int colourSet, int element);

private:
    // Puts the session's colour set in view: at the display position, its option marked.
    void showColour(DigitColour colour);

    Session &m_session;
    PlayerComponent *m_mediaPlayer;
    std::array<QList<PictureImage *>, SetCount> m_sets;
    QList<QRadioButton *> m_optColor;
};
