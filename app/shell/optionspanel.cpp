#include "optionspanel.h"

#include "twips.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QScreen>
#include <QWidget>

using namespace Qt::StringLiterals;

namespace {

const QString CaptionClosed = u"Opciones >>"_s;
const QString CaptionOpen = u"<< Opciones"_s;
constexpr int Command1Step = 32; // twips per animation step
constexpr qint16 AnimationSteps = 200;

} // namespace

OptionsPanel::OptionsPanel(QWidget *window, QAbstractButton *command1, QObject *parent)
    : QObject(parent)
    , m_window(window)
    , m_command1(command1)
    , m_command1Left(Twips::fromPixels(command1->x())) {
    connect(command1, &QAbstractButton::clicked, this, &OptionsPanel::Command1_Click);
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

void OptionsPanel::AnimaOpciones(qint16 steps, qint16 direction) {
    const std::vector<double> outlines = fractions(steps, direction);
    if (m_window && !m_window->isVisible() && !outlines.empty()) {
        // Nobody sees the slide of a window not on screen (start-up closes
        // the panel before the window shows): only where it ends.
        setOutline(outlines.back());
        setCommand1Left(m_command1Left + direction * Command1Step * int(outlines.size()));
        return;
    }
    for (const double r : outlines) {
        // Pending events run between the steps so that timers and repaints go on.
        QCoreApplication::processEvents();
        setOutline(r);
        QCoreApplication::processEvents();
        setCommand1Left(m_command1Left + direction * Command1Step);
        QCoreApplication::processEvents();
    }
}

void OptionsPanel::closeAtStartup() {
    AnimaOpciones(AnimationSteps, -1);
    setCommand1Left(Command1ClosedLeft);
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
    if (!m_window || !m_command1)
        return;
    // No click may land while the animation lets pending events run. The
    // window refuses its input as a disabled window would, but without
    // greying every control for the length of the animation.
    QCoreApplication::instance()->installEventFilter(this);
    const QString caption = m_command1->text();
    if (caption == CaptionClosed) {
        // Widen first, so the growing outline never reaches past the window.
        setWindowWidth(OpenWidth);
        AnimaOpciones(AnimationSteps, 1);
        m_command1->setText(CaptionOpen);
    } else if (caption == CaptionOpen) {
        AnimaOpciones(AnimationSteps, -1);
        setWindowWidth(ClosedWidth);
        m_command1->setText(CaptionClosed);
    }
    QCoreApplication::instance()->removeEventFilter(this);
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
