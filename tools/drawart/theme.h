#pragma once

#include <QColor>
#include <QString>

// One look of the main window: the built-in one and each shipped skin are a Theme.
struct Theme {
    enum class Texture { BrushedMetal, NightSky, Wood, Paper };

    QString name;
    Texture texture = Texture::BrushedMetal;
    quint32 seed = 1;

    QColor bodyTop, bodyBottom;   // the left part: station, buttons, volume, display
    QColor panelTop, panelBottom; // the options panel
    double textureStrength = 1.0;

    QColor bandTop, bandBottom; // the top band the window is dragged by
    QColor bandEdge;            // the line under the band
    QColor titleColor;
    QColor accent; // the waves of the logo, small marks

    QColor faceTop, faceBottom; // button faces and the volume plate (main labels sit on them)
    QColor faceRim;
    int rimWidth = 1;
    double gloss = 0.55;

    QColor bezel; // the frame around the status display and the web panel
    QColor bezelInner;
    QColor dialFace, dialInk; // the tuning scale at the bottom
    QColor socket;            // behind digit pictures

    QColor grooveDark, grooveLight; // etched lines and recesses
};

namespace Themes {
Theme builtIn();
Theme azulNoche();
Theme atardecer();
Theme claro();
} // namespace Themes
