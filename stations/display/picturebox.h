#pragma once

#include <QColor>
#include <QFont>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QStaticText>
#include <QWidget>

// A picture box that is printed on: text goes into an off-screen picture that
// keeps its pixels until it is cleared, and the widget only shows that picture.
// Drawing positions are in twips from the top-left corner.
class PictureBox : public QWidget {
    Q_OBJECT

public:
    explicit PictureBox(QWidget *parent = nullptr);

    QColor backColor() const { return m_backColor; }
    // A new background clears the picture.
    void setBackColor(const QColor &color);

    QColor foreColor() const { return m_foreColor; }
    void setForeColor(const QColor &color) { m_foreColor = color; }

    float currentX() const { return m_currentX; }
    void setCurrentX(float twips) { m_currentX = twips; }
    float currentY() const { return m_currentY; }
    void setCurrentY(float twips) { m_currentY = twips; }

    // Paints the whole picture in the background colour; the position returns to 0, 0.
    void cls();
    // Prints text in the fore colour with its top-left at the current position, without
    // a background box, then moves the position to the start of the next line.
    void print(const QString &text);

    // The picture as printed so far, in device pixels.
    QImage picture() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    QPainter &painter();
    void finishPainting() const;
    void fitPicture();
    void preparePrintFont();
    const QStaticText &staticText(const QString &text);

    QImage m_picture;
    mutable QPainter m_painter; // open while printing, so a tick begins it only once
    QColor m_backColor = Qt::white;
    QColor m_foreColor = Qt::black;
    float m_currentX = 0;
    float m_currentY = 0;
    QFont m_printFont;
    float m_lineTwips = 0;
    QHash<QString, QStaticText> m_texts; // laid out once, printed many times
};
