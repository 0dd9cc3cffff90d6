#pragma once

#include <QColor>
#include <QImage>

// What a skin may change in the main window. The window implements it; the
// skin loader calls it only for what a skin file names and what loaded well.
class SkinTarget {
public:
    virtual ~SkinTarget() = default;

    // The window's background, drawn from its top-left corner at the picture's own size.
    virtual void setSkinBackground(const QImage &picture) = 0;
    // Fill colour of Shape1, the band behind the three window buttons.
    virtual void setControlBoxColor(const QColor &color) = 0;
    // Picture of imgDigCust(index), index 0..12 (11 off, 12 selector).
    virtual void setCustomDigitPicture(int index, const QImage &picture) = 0;
    // Text colour of lblCon, lblCambiar and lblVol.
    virtual void setMainLabelColor(const QColor &color) = 0;
    // Text colour of lblAutocon, lblCreditos, lblDigs, lblOrigen and lblSkin.
    virtual void setOptionLabelColor(const QColor &color) = 0;
    // Selects optColor(index), index 0..3, which applies that digit colour set.
    virtual void selectDigitOption(int index) = 0;
};
