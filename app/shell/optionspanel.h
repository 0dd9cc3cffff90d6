#pragma once

#include "windowoutline.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <vector>

class QAbstractButton;
class QWidget;

// The options panel on the right of the main window: Command1 opens and
// closes it, the window's outline growing or shrinking sideways while the
// button slides along; its caption shows the panel's state.
class OptionsPanel : public QObject {
    Q_OBJECT

public:
    static constexpr int ClosedWidth = 3705; // twips
    static constexpr int OpenWidth = 10185;  // twips
    static constexpr int Command1ClosedLeft = 1860;

    // Connects command1's clicks to Command1_Click. Both widgets stay the caller's.
    OptionsPanel(QWidget *window, QAbstractButton *command1, QObject *parent = nullptr);

    // Opening fractions that AnimaOpciones steps through, in order.
    static std::vector<double> fractions(qint16 steps, qint16 direction);

    // AnimaOpciones ("animate options"): starts the slide through the steps; atEnd runs once the
    // last step is drawn. On a window not shown the slide ends at once. Ignored while a slide is
    // under way.
    void AnimaOpciones(qint16 steps, qint16 direction, std::function<void()> atEnd = {});

    // Start-up always leaves the panel closed.
    void closeAtStartup();

    bool isSliding() const { return m_slide.isActive(); }
    // Open once an opening slide has ended, closed once a closing one has.
    bool isOpen() const { return m_open; }

    // Outer window width in twips; a frameless window's width is its client width.
    void setWindowWidth(int twips);

    int command1Left() const { return m_command1Left; }
    void setCommand1Left(int twips);

    // The outline last given to the window (RegionVentana, "window region"), in window
    // coordinates as designed, frame included.
    WindowOutline RegionVentana() const { return m_regionVentana; }

    // The screen's twips per pixel in each direction, as the outline is scaled.
    double twipsPerPixelX() const;
    double twipsPerPixelY() const;

    // How long a slide takes, whatever the machine's speed.
    static constexpr int SlideMs = 400;

public Q_SLOTS:
    void Command1_Click();

Q_SIGNALS:
    // A slide has ended and the panel is in its new state.
    void slideFinished();
    // What lies in the panel can be seen (an opening slide starts) or no
    // longer (a closing slide has ended).
    void seenChanged(bool seen);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setOutline(double r);
    void slideOn();
    void endSlide();

    QPointer<QWidget> m_window;
    QPointer<QAbstractButton> m_command1;
    int m_command1Left = Command1ClosedLeft;
    bool m_open = false;
    WindowOutline m_regionVentana;

    // The slide under way: its steps, how many are drawn, and what follows it.
    QTimer m_slide;
    QElapsedTimer m_slideClock;
    std::vector<double> m_steps;
    std::size_t m_drawn = 0;
    qint16 m_direction = 0;
    int m_slideStartLeft = 0;
    std::function<void()> m_atEnd;
};
