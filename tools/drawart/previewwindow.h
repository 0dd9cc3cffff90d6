#pragma once

#include <QColor>
#include <QImage>

// A stand-in of the main window built from real controls at their designed places,
// grabbed into a picture, to judge a background with everything that sits on it.
struct PreviewLook {
    QImage background;
    QColor controlBox = QColor(128, 128, 255);
    QColor mainLabels = QColor(255, 0, 0);
    QColor optionLabels;        // invalid: the system's button text colour
    QImage display;             // the digit shown beside "Volumen"
    QImage customSelector;      // imgDigCust(12)
    QImage builtInSelectors[3]; // red, green and blue element 12, when drawn already
};

namespace PreviewWindow {

QImage grab(const PreviewLook &look, bool panelOpen);

} // namespace PreviewWindow
