#pragma once

#include <QColor>
#include <QWidget>

// A filled rectangle drawn behind other controls (the band behind the window buttons).
class ShapeBox : public QWidget {
    Q_OBJECT

public:
    explicit ShapeBox(QWidget *parent = nullptr);

    QColor fillColor() const { return m_fill; }
    void setFillColor(const QColor &color);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_fill;
};
