#include "optionspanel.h"

#include "twips.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

const QString CaptionClosed = u"Opciones >>"_s;
const QString CaptionOpen = u"<< Opciones"_s;
constexpr int Command1Step = 32; // twips per animation step
constexpr qint16 AnimationSteps = 200;
// About as often as a screen refreshes.
constexpr int SlideTickMs = 15;

} // namespace

OptionsPanel::OptionsPanel(QWidget *window, QAbstractButton *command1, QObject *parent)
    : QObject(parent)
    , m_window(window)
    , m_command1(command1)
    , m_command1Left(Twips::fromPixels(command1->x())) {
    connect(command1, &QAbstractButton::clicked, this, &OptionsPanel::Command1_Click);
    m_slide.setTimerType(Qt::PreciseTimer);
    m_slide.setInterval(SlideTickMs);
    connect(&m_slide, &QTimer::timeout, this, &OptionsPanel::slideOn);
}

std::vector<double> OptionsPanel::fractions(qint16 steps, qint16 direction) {
    std::vector<double> result;
    // Any other step count or direction would never reach the end.
    if (steps <= 0 || (direction != 1 && direction != -1))
        return result;
    // Repeated addition never lands exactly on the end value: 200 steps open
    // from 0 to 0.995 and close from 1 to 0.005, and the outline keeps that.
    const double step = static_cast<double>(direction) / steps;
    const double end = (1.0 + direction) / 2.0;
    for (double r = (1.0 - direction) / 2.0; direction > 0 ? r <= end : r >= end; r += step)
        result.push_back(r);
    return result;
}

void OptionsPanel::AnimaOpciones(qint16 steps, qint16 direction, std::function<void()> atEnd) {
    // One slide at a time; a second would leave the first one's end undone.
    if (isSliding())
        return;
    m_steps = fractions(steps, direction);
    m_drawn = 0;
    m_direction = direction;
    m_slideStartLeft = m_command1Left;
    m_atEnd = std::move(atEnd);
    if (m_steps.empty() || !m_window || !m_window->isVisible()) {
        // Nobody sees the slide of a window not on screen (start-up closes
        // the panel before the window shows): only where it ends.
        m_drawn = m_steps.size();
        if (!m_steps.empty()) {
            setOutline(m_steps.back());
            setCommand1Left(m_slideStartLeft + direction * Command1Step * int(m_steps.size()));
        }
        endSlide();
        return;
    }
    // Paced by the clock, not run back to back: a person sees the outline
    // grow, and the event loop stays free for timers and repaints meanwhile.
    m_slideClock.start();
    m_slide.start();
    slideOn();
}

void OptionsPanel::slideOn() {
    const std::size_t count = m_steps.size();
    const auto due = std::min<std::size_t>(
        count, 1 + std::size_t(m_slideClock.elapsed() * qint64(count) / SlideMs));
    if (due > m_drawn) {
        // A late tick draws only the latest step due; the button lands where
        // every step in between would have put it.
        m_drawn = due;
        setOutline(m_steps[m_drawn - 1]);
        setCommand1Left(m_slideStartLeft + m_direction * Command1Step * int(m_drawn));
    }
    if (m_drawn == count) {
        m_slide.stop();
        endSlide();
    }
}

void OptionsPanel::endSlide() {
    // Moved out first: what runs at the end may start another slide.
    const std::function<void()> atEnd = std::move(m_atEnd);
    m_atEnd = {};
    if (atEnd)
        atEnd();
    Q_EMIT slideFinished();
}

void OptionsPanel::closeAtStartup() {
    // Before the window shows: where a closing slide would end.
    setOutline(fractions(AnimationSteps, -1).back());
    setCommand1Left(Command1ClosedLeft);
    m_open = false;
}

void OptionsPanel::setWindowWidth(int twips) {
    if (!m_window)
        return;
    const int pixels = Twips::toPixels(twips);
    if (m_window->minimumWidth() == m_window->maximumWidth())
        m_window->setFixedWidth(pixels);
    else
        m_window->resize(pixels, m_window->height());
}

void OptionsPanel::setCommand1Left(int twips) {
    // Kept in twips: pixel positions would lose a fraction on every step.
    m_command1Left = twips;
    if (m_command1)
        m_command1->move(Twips::toPixels(twips), m_command1->y());
}

double OptionsPanel::twipsPerPixelX() const {
    const QScreen *screen = m_window ? m_window->screen() : nullptr;
    return screen ? Twips::perPixelAt(screen->logicalDotsPerInchX()) : Twips::PerPixel;
}

double OptionsPanel::twipsPerPixelY() const {
    const QScreen *screen = m_window ? m_window->screen() : nullptr;
    return screen ? Twips::perPixelAt(screen->logicalDotsPerInchY()) : Twips::PerPixel;
}

void OptionsPanel::Command1_Click() {
    // A click during a slide is refused, as the window refuses all input then.
    if (!m_window || !m_command1 || isSliding())
        return;
    // No click may land while the panel slides. The window refuses its input
    // as a disabled window would, but without greying every control meanwhile.
    QCoreApplication::instance()->installEventFilter(this);
    if (!m_open) {
        // Widen first, so the growing outline never reaches past the window.
        setWindowWidth(OpenWidth);
        Q_EMIT seenChanged(true);
        AnimaOpciones(AnimationSteps, 1, [this] {
            m_open = true;
            if (m_command1)
                m_command1->setText(CaptionOpen);
            QCoreApplication::instance()->removeEventFilter(this);
        });
    } else {
        AnimaOpciones(AnimationSteps, -1, [this] {
            setWindowWidth(ClosedWidth);
            m_open = false;
            if (m_command1)
                m_command1->setText(CaptionClosed);
            QCoreApplication::instance()->removeEventFilter(this);
            Q_EMIT seenChanged(false);
        });
    }
}

bool OptionsPanel::eventFilter(QObject *watched, QEvent *event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
        if (watched->isWidgetType() && m_window) {
            auto *widget = static_cast<QWidget *>(watched);
            return widget == m_window || m_window->isAncestorOf(widget);
        }
        return false;
    default:
        return false;
    }
}

void OptionsPanel::setOutline(double r) {
    m_regionVentana = CreaRegion(r, 1, 1, 0, 0, twipsPerPixelX(), twipsPerPixelY());
    if (!m_window)
        return;
    // A frameless window has no frame: its client area starts where the
    // designed outline did, so the outline moves up and left by that much.
    m_window->setMask(
        m_regionVentana.region().translated(-m_regionVentana.left, -m_regionVentana.top));
}
