#include "updownarrows.h"

#include "twips.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionButton>

UpDownArrows::UpDownArrows(QWidget *parent)
    : QAbstractSlider(parent) {
    setOrientation(Qt::Vertical);
    setRange(0, 10);
    setSingleStep(1);
    setPageStep(1);
    setValue(10);
    setFocusPolicy(Qt::StrongFocus);
    resize(sizeHint());
}

QSize UpDownArrows::sizeHint() const {
    return Twips::size(255, 405);
}

QRect UpDownArrows::arrowRect(Arrow arrow) const {
    const int upperHeight = height() / 2;
    if (arrow == Arrow::Up)
        return QRect(0, 0, width(), upperHeight);
    return QRect(0, upperHeight, width(), height() - upperHeight);
}

void UpDownArrows::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    for (const Arrow arrow : {Arrow::Up, Arrow::Down}) {
        QStyleOptionButton button;
        button.initFrom(this);
        button.rect = arrowRect(arrow);
        button.state &= ~QStyle::State_HasFocus;
        button.state |= m_pressed == arrow ? QStyle::State_Sunken : QStyle::State_Raised;
        style()->drawPrimitive(QStyle::PE_PanelButtonBevel, &button, &painter, this);

        QStyleOption indicator;
        indicator.initFrom(this);
        indicator.state &= ~QStyle::State_HasFocus;
        indicator.rect = button.rect.adjusted(3, 3, -3, -3);
        if (m_pressed == arrow)
            indicator.rect.translate(1, 1);
        style()->drawPrimitive(arrow == Arrow::Up ? QStyle::PE_IndicatorArrowUp
                                                  : QStyle::PE_IndicatorArrowDown,
                               &indicator, &painter, this);
    }
}

void UpDownArrows::mousePressEvent(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    m_pressed =
        arrowRect(Arrow::Up).contains(event->position().toPoint()) ? Arrow::Up : Arrow::Down;
    update();
    const SliderAction action = m_pressed == Arrow::Up ? SliderSingleStepAdd : SliderSingleStepSub;
    triggerAction(action);
    setRepeatAction(action);
}

void UpDownArrows::mouseReleaseEvent(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    setRepeatAction(SliderNoAction);
    m_pressed = Arrow::None;
    update();
}

void UpDownArrows::keyPressEvent(QKeyEvent *event) {
    event->ignore();
}

void UpDownArrows::wheelEvent(QWheelEvent *event) {
    event->ignore();
}

void UpDownArrows::focusInEvent(QFocusEvent *event) {
    QAbstractSlider::focusInEvent(event);
    Q_EMIT focusReceived();
}
