#include "picturebox.h"

#include "twips.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QPaintEvent>

#include <cmath>

namespace {

// A picture box prints few distinct texts; past this many, the cache starts afresh.
constexpr qsizetype MaxCachedTexts = 64;

} // namespace

PictureBox::PictureBox(QWidget *parent)
    : QWidget(parent) {
    // The picture covers every pixel, so nothing needs erasing first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    preparePrintFont();
}

void PictureBox::setBackColor(const QColor &color) {
    m_backColor = color;
    cls();
}

void PictureBox::cls() {
    QPainter &p = painter();
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.fillRect(QRectF(QPointF(0, 0), m_picture.deviceIndependentSize()), m_backColor);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    m_currentX = 0;
    m_currentY = 0;
}

void PictureBox::print(const QString &text) {
    QPainter &p = painter();
    // Whole device pixels, as the text would land on a screen's pixel grid.
    const qreal dpr = m_picture.devicePixelRatio();
    const QPointF at(std::round(m_currentX / Twips::PerPixel * dpr) / dpr,
                     std::round(m_currentY / Twips::PerPixel * dpr) / dpr);
    p.setPen(m_foreColor);
    p.drawStaticText(at, staticText(text));
    m_currentX = 0;
    m_currentY += m_lineTwips;
}

QImage PictureBox::picture() const {
    finishPainting();
    return m_picture;
}

void PictureBox::paintEvent(QPaintEvent *) {
    fitPicture();
    finishPainting();
    QPainter p(this);
    p.drawImage(QPointF(0, 0), m_picture);
}

void PictureBox::changeEvent(QEvent *event) {
    if (event->type() == QEvent::FontChange) {
        finishPainting();
        preparePrintFont();
    }
    QWidget::changeEvent(event);
}

QPainter &PictureBox::painter() {
    fitPicture();
    if (!m_painter.isActive()) {
        m_painter.begin(&m_picture);
        m_painter.setFont(m_printFont);
        // Everything printed until the next paint shows at once, in one update.
        update();
    }
    return m_painter;
}

void PictureBox::finishPainting() const {
    if (m_painter.isActive())
        m_painter.end();
}

void PictureBox::fitPicture() {
    const qreal dpr = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * dpr).toSize();
    if (m_picture.size() == pixels && m_picture.devicePixelRatio() == dpr)
        return;
    finishPainting();
    QImage picture(pixels, QImage::Format_RGB32);
    picture.setDevicePixelRatio(dpr);
    picture.fill(m_backColor);
    if (!m_picture.isNull()) {
        // A new size or screen keeps what was printed.
        QPainter p(&picture);
        p.drawImage(QRectF(QPointF(0, 0), m_picture.deviceIndependentSize()), m_picture);
    }
    m_picture = picture;
    // Another screen may have another dpi.
    preparePrintFont();
}

void PictureBox::preparePrintFont() {
    // The picture has no screen of its own: print at the size the widget shows its font.
    m_printFont = font();
    if (m_printFont.pointSizeF() > 0)
        m_printFont.setPixelSize(qRound(m_printFont.pointSizeF() * logicalDpiY() / 72.0));
    m_lineTwips = float(QFontMetricsF(m_printFont).height() * Twips::PerPixel);
    m_texts.clear();
}

const QStaticText &PictureBox::staticText(const QString &text) {
    auto it = m_texts.find(text);
    if (it == m_texts.end()) {
        if (m_texts.size() >= MaxCachedTexts)
            m_texts.clear();
        QStaticText laidOut(text);
        laidOut.setTextFormat(Qt::PlainText);
        it = m_texts.insert(text, laidOut);
    }
    return *it;
}
