#pragma once

#include <QRegion>
#include <QtGlobal>

// The rounded outline of the main window, as whole pixels relative to the
// window's top-left corner (frame included, as the window was designed).
struct WindowOutline {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int ellipseWidth = 0;
    int ellipseHeight = 0;

    // The pixels the outline covers, cut exactly as the original platform's
    // rounded-rectangle region: right and bottom edges excluded twice over,
    // corners rasterised row by row.
    QRegion region() const;

    friend bool operator==(const WindowOutline &, const WindowOutline &) = default;
};

// The outline for an opening fraction r (0 closed, 1 open), scaled by sx, sy
// and by the screen's twips per pixel, moved by ox, oy. Edges round halves to
// the even neighbour; the corner ellipse is never scaled.
WindowOutline CreaRegion(double r, float sx, float sy, qint16 ox, qint16 oy, double twipsPerPixelX,
                         double twipsPerPixelY);
