#include "backgroundpainter.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QRandomGenerator>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

// Where the window's controls sit, in pixels of the client area (twips / 15).
constexpr int BandHeight = 20;
constexpr int PanelLeft = 247;
const QRect ConnectButton(136, 28, 93, 21);
const QRect ChangeButton(16, 52, 69, 19);
const QRect VolumePlate(88, 53, 146, 33);
const QRect Digit(184, 56, 27, 27);
const QRect ScrollBar(212, 56, 17, 27);
const QRect Display(9, 92, 221, 81);
const QRect TuningScale(16, 181, 100, 16);
const QRect WebPanel(252, 92, 217, 81);
const QRect DigitRack(534, 12, 134, 134);
const int SelectorLeft = 628;
const int SelectorTops[] = {20, 52, 84, 116};
const int OptionLeft = 604;

QColor mix(const QColor &a, const QColor &b, double t) {
    return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * t),
                            float(a.greenF() + (b.greenF() - a.greenF()) * t),
                            float(a.blueF() + (b.blueF() - a.blueF()) * t));
}

QColor withAlpha(QColor c, int alpha) {
    c.setAlpha(alpha);
    return c;
}

bool isDark(const QColor &c) {
    return c.lightnessF() < 0.45;
}

int clamp255(double v) {
    return int(std::lround(std::clamp(v, 0.0, 255.0)));
}

// Adds a brightness offset to every pixel of an area.
template<typename F> void shade(QImage &image, const QRect &area, F offsetAt) {
    const QRect r = area.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = r.left(); x <= r.right(); ++x) {
            const double d = offsetAt(x, y);
            const QRgb p = line[x];
            line[x] = qRgb(clamp255(qRed(p) + d), clamp255(qGreen(p) + d), clamp255(qBlue(p) + d));
        }
    }
}

void brushedMetal(QImage &image, const QRect &area, QRandomGenerator &rng, double strength) {
    // Long horizontal streaks of slightly different brightness, and a fine grain.
    std::vector<double> streak(size_t(image.height()));
    for (double &s : streak)
        s = (rng.generateDouble() - 0.5) * 5.0 * strength;
    std::vector<double> wave(size_t(image.width()));
    for (size_t x = 0; x < wave.size(); ++x)
        wave[x] = std::sin(double(x) * 0.021) * 0.8 + std::sin(double(x) * 0.0057 + 1.3) * 1.1;
    shade(image, area, [&](int x, int y) {
        return (streak[size_t(y)] * (0.7 + 0.3 * wave[size_t(x)]) +
                (rng.generateDouble() - 0.5) * 3.0 * strength);
    });
}

void paperGrain(QImage &image, const QRect &area, QRandomGenerator &rng, double strength) {
    shade(image, area, [&](int, int) { return (rng.generateDouble() - 0.5) * 4.0 * strength; });
}

void woodGrain(QImage &image, const QRect &area, QRandomGenerator &rng, double strength) {
    // Walnut: long grain lines that wander, with darker growth rings and a few pores.
    const double phase = rng.generateDouble() * 10.0;
    shade(image, area, [&](int x, int y) {
        const double fx = double(x), fy = double(y);
        const double warp = 7.0 * std::sin(fx * 0.0105 + phase) +
                            3.0 * std::sin(fx * 0.031 + fy * 0.02) +
                            1.5 * std::sin(fx * 0.09 + phase * 2.0);
        const double v = fy + warp;
        const double ring = std::pow(0.5 + 0.5 * std::sin(v * 0.55), 3.0);
        const double fine = std::sin(v * 2.3 + std::sin(fx * 0.05) * 2.0);
        const double pore = rng.generateDouble() < 0.012 ? -14.0 : 0.0;
        return strength * (-16.0 * ring + 3.5 * fine + pore + (rng.generateDouble() - 0.5) * 4.0);
    });
}

void nightSky(QImage &image, const QRect &area, QRandomGenerator &rng, double strength) {
    paperGrain(image, area, rng, 0.8 * strength);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setClipRect(area);
    // A soft glow low in the sky, then stars of a few sizes.
    QRadialGradient glow(QPointF(area.left() + area.width() * 0.3, area.bottom() + 40.0),
                         area.width() * 0.45);
    glow.setColorAt(0, QColor(80, 120, 220, 55));
    glow.setColorAt(1, QColor(80, 120, 220, 0));
    p.fillRect(area, glow);
    const int stars = area.width() * area.height() / 160;
    for (int i = 0; i < stars; ++i) {
        const QPointF at(area.left() + rng.generateDouble() * area.width(),
                         area.top() + rng.generateDouble() * area.height());
        const double b = rng.generateDouble();
        const int alpha = int(40 + 150 * b * b);
        const QColor c = rng.generateDouble() < 0.2 ? QColor(255, 236, 200, alpha)
                                                    : QColor(210, 228, 255, alpha);
        const double radius = b > 0.93 ? 1.1 : 0.6;
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.drawEllipse(at, radius, radius);
        if (b > 0.985) {
            p.setPen(QPen(withAlpha(c, alpha / 2), 0.6));
            p.drawLine(at - QPointF(3, 0), at + QPointF(3, 0));
            p.drawLine(at - QPointF(0, 3), at + QPointF(0, 3));
        }
    }
}

void texture(QImage &image, const QRect &area, const Theme &t, QRandomGenerator &rng) {
    switch (t.texture) {
    case Theme::Texture::BrushedMetal:
        brushedMetal(image, area, rng, t.textureStrength);
        break;
    case Theme::Texture::NightSky:
        nightSky(image, area, rng, t.textureStrength);
        break;
    case Theme::Texture::Wood:
        woodGrain(image, area, rng, t.textureStrength);
        break;
    case Theme::Texture::Paper:
        paperGrain(image, area, rng, t.textureStrength);
        break;
    }
}

void verticalGradient(QPainter &p, const QRectF &r, const QColor &top, const QColor &bottom) {
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.fillRect(r, g);
}

// A surface pressed into the body: dark above and left, a light lip below and right.
void recess(QPainter &p, const QRectF &r, double radius, const QColor &fill, const Theme &t,
            double depth = 1.0) {
    p.setPen(Qt::NoPen);
    p.setBrush(withAlpha(t.grooveLight, int(150 * depth)));
    p.drawRoundedRect(r.adjusted(0, 0, 1, 1), radius, radius);
    p.setBrush(withAlpha(t.grooveDark, int(200 * depth)));
    p.drawRoundedRect(r.adjusted(-1, -1, 0, 0), radius, radius);
    p.setBrush(fill);
    p.drawRoundedRect(r, radius, radius);
    // Inner shadow along the top edge.
    QLinearGradient shadow(r.topLeft(), r.topLeft() + QPointF(0, 4));
    shadow.setColorAt(0, QColor(0, 0, 0, int(70 * depth)));
    shadow.setColorAt(1, QColor(0, 0, 0, 0));
    p.setBrush(shadow);
    p.drawRoundedRect(r, radius, radius);
}

// A raised push button: a rim, a face with a soft gradient, a gloss on its upper half.
void button(QPainter &p, const QRectF &r, const Theme &t) {
    const double radius = r.height() / 2.0;
    p.setPen(Qt::NoPen);
    // Shadow cast on the body.
    for (int i = 3; i >= 1; --i) {
        p.setBrush(QColor(0, 0, 0, 18 + 10 * (3 - i)));
        p.drawRoundedRect(r.adjusted(-i * 0.5, i * 0.4, i * 0.5, i * 0.9), radius + i * 0.5,
                          radius + i * 0.5);
    }
    p.setBrush(t.faceRim);
    p.drawRoundedRect(r, radius, radius);

    const double w = t.rimWidth;
    const QRectF face = r.adjusted(w, w, -w, -w);
    QLinearGradient g(face.topLeft(), face.bottomLeft());
    g.setColorAt(0, t.faceTop);
    g.setColorAt(0.55, mix(t.faceTop, t.faceBottom, 0.7));
    g.setColorAt(1, t.faceBottom);
    p.setBrush(g);
    p.drawRoundedRect(face, radius - w, radius - w);

    // Gloss: a lighter band over the upper half, fading downwards.
    const QRectF upper(face.left() + 2, face.top() + 0.5, face.width() - 4, face.height() * 0.48);
    QLinearGradient gloss(upper.topLeft(), upper.bottomLeft());
    gloss.setColorAt(0, QColor(255, 255, 255, int(255 * t.gloss)));
    gloss.setColorAt(1, QColor(255, 255, 255, int(40 * t.gloss)));
    p.setBrush(gloss);
    p.drawRoundedRect(upper, upper.height() / 2.0, upper.height() / 2.0);

    // Light caught by the lower edge.
    QLinearGradient rim(face.topLeft(), face.bottomLeft());
    rim.setColorAt(0.75, QColor(255, 255, 255, 0));
    rim.setColorAt(1, QColor(255, 255, 255, int(90 * t.gloss + 20)));
    p.setBrush(rim);
    p.drawRoundedRect(face, radius - w, radius - w);
}

// A frame around a window of the body (the status display, the web panel).
void bezel(QPainter &p, const QRectF &inner, const Theme &t) {
    const QRectF outer = inner.adjusted(-5, -5, 5, 5);
    p.setPen(Qt::NoPen);
    p.setBrush(withAlpha(t.grooveLight, 160));
    p.drawRoundedRect(outer.adjusted(0, 0, 1, 1), 8, 8);
    p.setBrush(withAlpha(t.grooveDark, 170));
    p.drawRoundedRect(outer.adjusted(-1, -1, 0, 0), 8, 8);

    QLinearGradient ring(outer.topLeft(), outer.bottomLeft());
    ring.setColorAt(0, t.bezel.lighter(135));
    ring.setColorAt(0.5, t.bezel);
    ring.setColorAt(1, t.bezel.darker(135));
    p.setBrush(ring);
    p.drawRoundedRect(outer, 8, 8);
    // A thin bright line on the ring's top, like a chamfer.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 90), 1));
    p.drawRoundedRect(outer.adjusted(1.5, 1.5, -1.5, -1.5), 6.5, 6.5);
    p.setPen(Qt::NoPen);

    p.setBrush(t.bezelInner);
    p.drawRoundedRect(inner.adjusted(-2, -2, 2, 2), 4, 4);
}

// A tuning scale behind glass, lit from within, with its needle.
void dial(QPainter &p, const QRectF &area, const Theme &t) {
    recess(p, area.adjusted(-1, -1, 1, 1), 4, t.faceRim, t, 0.8);
    QLinearGradient glass(area.topLeft(), area.bottomLeft());
    glass.setColorAt(0, t.dialFace.lighter(104));
    glass.setColorAt(1, t.dialFace.darker(isDark(t.dialFace) ? 100 : 108));
    p.setPen(Qt::NoPen);
    p.setBrush(glass);
    p.drawRoundedRect(area, 3, 3);

    QFont small(u"DejaVu Sans"_s);
    small.setPixelSize(6);
    p.setFont(small);
    const double left = area.left() + 6, right = area.right() - 6;
    const double span = right - left;
    for (int mhz = 88; mhz <= 108; ++mhz) {
        const double x = left + span * (mhz - 88) / 20.0;
        const bool major = mhz % 4 == 0;
        p.fillRect(QRectF(x - 0.4, area.bottom() - (major ? 5.5 : 3.5), 0.8, major ? 4.5 : 2.5),
                   withAlpha(t.dialInk, major ? 230 : 150));
        if (major) {
            p.setPen(withAlpha(t.dialInk, 220));
            p.drawText(QRectF(x - 8, area.top() + 0.5, 16, 7), Qt::AlignCenter,
                       QString::number(mhz));
            p.setPen(Qt::NoPen);
        }
    }
    const double needle = left + span * (98.2 - 88) / 20.0;
    p.fillRect(QRectF(needle - 0.6, area.top() + 1, 1.2, area.height() - 2),
               QColor(0xe0, 0x24, 0x18));
    // Glass: a bright streak on the upper half.
    QLinearGradient shine(area.topLeft(), area.topLeft() + QPointF(0, area.height() / 2));
    shine.setColorAt(0, QColor(255, 255, 255, 70));
    shine.setColorAt(1, QColor(255, 255, 255, 0));
    p.setBrush(shine);
    p.drawRoundedRect(area.adjusted(1, 0.5, -1, -area.height() / 2), 2, 2);
}

// Antenna mast and waves: the program's mark, drawn in the top band.
void logo(QPainter &p, const QPointF &base, const Theme &t) {
    p.setPen(QPen(t.titleColor, 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(base, base + QPointF(0, -10));
    p.drawLine(base + QPointF(-3, 0), base + QPointF(3, 0));
    p.setBrush(t.accent);
    p.setPen(Qt::NoPen);
    p.drawEllipse(base + QPointF(0, -11), 1.8, 1.8);
    p.setBrush(Qt::NoBrush);
    for (int i = 1; i <= 2; ++i) {
        p.setPen(QPen(withAlpha(t.accent, 255 - i * 60), 1.2, Qt::SolidLine, Qt::RoundCap));
        const double r = 2.5 + i * 2.6;
        const QRectF arc(base.x() - r, base.y() - 11 - r, 2 * r, 2 * r);
        p.drawArc(arc, 30 * 16, 120 * 16);
        p.drawArc(arc, 210 * 16, 120 * 16);
    }
}

void band(QPainter &p, const Theme &t) {
    const QRectF r(0, 0, BackgroundPainter::Width, BandHeight);
    verticalGradient(p, r, t.bandTop, t.bandBottom);
    // A sheen on the top half and the edge line that closes the band.
    QLinearGradient sheen(r.topLeft(), QPointF(0, BandHeight / 2.0));
    sheen.setColorAt(0, QColor(255, 255, 255, 40));
    sheen.setColorAt(1, QColor(255, 255, 255, 0));
    p.fillRect(QRectF(0, 0, r.width(), BandHeight / 2.0), sheen);
    p.fillRect(QRectF(0, BandHeight, r.width(), 1), t.bandEdge);
    p.fillRect(QRectF(0, BandHeight + 1, r.width(), 1), mix(t.accent, t.bodyTop, 0.35));
    p.fillRect(QRectF(0, BandHeight + 2, r.width(), 1), QColor(0, 0, 0, 18));

    p.setRenderHint(QPainter::Antialiasing);
    logo(p, QPointF(21, 16), t);

    QFont title(u"DejaVu Sans"_s);
    title.setPixelSize(11);
    title.setBold(true);
    title.setLetterSpacing(QFont::AbsoluteSpacing, 0.4);
    p.setFont(title);
    const QRectF text(33, 1, 140, BandHeight - 1);
    p.setPen(QColor(0, 0, 0, 110));
    p.drawText(text.translated(0, 1), Qt::AlignLeft | Qt::AlignVCenter, u"Sintonet"_s);
    p.setPen(t.titleColor);
    p.drawText(text, Qt::AlignLeft | Qt::AlignVCenter, u"Sintonet"_s);
    const double used = p.fontMetrics().horizontalAdvance(u"Sintonet "_s);
    title.setBold(false);
    p.setFont(title);
    p.setPen(QColor(0, 0, 0, 110));
    p.drawText(text.translated(used, 1), Qt::AlignLeft | Qt::AlignVCenter, u"Valdren"_s);
    p.setPen(withAlpha(t.titleColor, 215));
    p.drawText(text.translated(used, 0), Qt::AlignLeft | Qt::AlignVCenter, u"Valdren"_s);

    // A recess where the window buttons' coloured backdrop sits.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 70));
    p.drawRoundedRect(QRectF(170.5, 2.5, 57, 17), 3, 3);
    p.setBrush(QColor(255, 255, 255, 35));
    p.drawRoundedRect(QRectF(171, 3.5, 56, 16), 3, 3);

    // The panel's own heading in the band, seen only when it is open.
    QFont small(u"DejaVu Sans"_s);
    small.setPixelSize(9);
    small.setBold(true);
    small.setLetterSpacing(QFont::AbsoluteSpacing, 1.6);
    p.setFont(small);
    p.setPen(withAlpha(t.titleColor, 150));
    p.drawText(QRectF(PanelLeft + 8, 1, 200, BandHeight - 1), Qt::AlignLeft | Qt::AlignVCenter,
               u"OPCIONES"_s);
    // Small frequency marks along the rest of the band.
    for (int x = 340; x < 650; x += 6) {
        const bool major = (x - 340) % 30 == 0;
        p.fillRect(QRectF(x, major ? 12 : 14.5, 1, major ? 5 : 2.5),
                   withAlpha(t.titleColor, major ? 110 : 60));
    }
    p.setBrush(t.accent);
    p.drawRoundedRect(QRectF(472, 10, 2, 9), 1, 1);
}

void bodyAndPanel(QImage &image, const Theme &t) {
    QRandomGenerator rng(t.seed);
    {
        QPainter p(&image);
        verticalGradient(p, QRectF(0, 0, PanelLeft - 3, BackgroundPainter::Height), t.bodyTop,
                         t.bodyBottom);
        verticalGradient(
            p, QRectF(PanelLeft - 3, 0, BackgroundPainter::Width, BackgroundPainter::Height),
            t.panelTop, t.panelBottom);
    }
    texture(image, QRect(0, 0, PanelLeft - 3, BackgroundPainter::Height), t, rng);
    Theme panel = t;
    if (t.texture == Theme::Texture::Wood || t.texture == Theme::Texture::NightSky) {
        // The wood cabinet frames a paper panel; the night sky goes on across.
        panel.texture = t.texture == Theme::Texture::Wood ? Theme::Texture::Paper : t.texture;
    }
    texture(image, QRect(PanelLeft - 3, 0, BackgroundPainter::Width, BackgroundPainter::Height),
            panel, rng);

    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // Light falls from above: a soft sheen at the top of the body.
    QLinearGradient sheen(QPointF(0, BandHeight), QPointF(0, 70));
    sheen.setColorAt(0, QColor(255, 255, 255, isDark(t.bodyTop) ? 18 : 60));
    sheen.setColorAt(1, QColor(255, 255, 255, 0));
    p.fillRect(QRectF(0, BandHeight, BackgroundPainter::Width, 50), sheen);

    // The seam between the window and its panel.
    const double seam = PanelLeft - 3.5;
    p.fillRect(QRectF(seam - 1, BandHeight + 1, 1, BackgroundPainter::Height),
               withAlpha(t.grooveDark, 200));
    p.fillRect(QRectF(seam, BandHeight + 1, 1, BackgroundPainter::Height),
               withAlpha(t.grooveLight, 170));
    QLinearGradient drop(QPointF(seam + 1, 0), QPointF(seam + 7, 0));
    drop.setColorAt(0, QColor(0, 0, 0, 40));
    drop.setColorAt(1, QColor(0, 0, 0, 0));
    p.fillRect(QRectF(seam + 1, BandHeight + 1, 6, BackgroundPainter::Height), drop);
}

void mainControls(QPainter &p, const Theme &t) {
    p.setRenderHint(QPainter::Antialiasing);
    button(p, QRectF(ConnectButton), t);
    button(p, QRectF(ChangeButton), t);

    // The volume plate: the caption "Volumen", the digit and the scroll bar sit on it.
    const QRectF plate(VolumePlate);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 30));
    p.drawRoundedRect(plate.adjusted(-1, 0, 1, 2), 7, 7);
    p.setBrush(t.faceRim);
    p.drawRoundedRect(plate, 6, 6);
    const double w = t.rimWidth;
    QLinearGradient g(plate.topLeft(), plate.bottomLeft());
    g.setColorAt(0, t.faceTop);
    g.setColorAt(1, t.faceBottom);
    p.setBrush(g);
    p.drawRoundedRect(plate.adjusted(w, w, -w, -w), 6 - w, 6 - w);
    QLinearGradient gloss(plate.topLeft(), plate.topLeft() + QPointF(0, plate.height() / 2));
    gloss.setColorAt(0, QColor(255, 255, 255, int(150 * t.gloss)));
    gloss.setColorAt(1, QColor(255, 255, 255, 0));
    p.setBrush(gloss);
    p.drawRoundedRect(plate.adjusted(w + 1, w + 0.5, -w - 1, -plate.height() / 2), 5, 5);

    recess(p, QRectF(Digit).adjusted(-2, -2, 2, 2), 3, t.socket, t);
    recess(p, QRectF(ScrollBar).adjusted(-1, -1, 1, 1), 2, mix(t.faceBottom, t.socket, 0.4), t,
           0.8);

    bezel(p, QRectF(Display), t);
    dial(p, QRectF(TuningScale), t);
}

void panelControls(QPainter &p, const Theme &t) {
    p.setRenderHint(QPainter::Antialiasing);
    // Etched lines that group the rows of the panel.
    const auto etch = [&](double x1, double x2, double y) {
        p.fillRect(QRectF(x1, y, x2 - x1, 1), withAlpha(t.grooveDark, 110));
        p.fillRect(QRectF(x1, y + 1, x2 - x1, 1), withAlpha(t.grooveLight, 150));
    };
    etch(252, 520, 54);
    etch(252, 520, 84);
    etch(252, 520, 170);

    bezel(p, QRectF(WebPanel), t);

    // The digit rack: a shallow tray with a socket for every colour set's sample.
    const QRectF rack(DigitRack);
    recess(
        p, rack, 8,
        withAlpha(mix(t.panelTop, t.panelBottom, 0.5).darker(isDark(t.panelTop) ? 115 : 104), 255),
        t, 0.8);
    for (const int top : SelectorTops) {
        recess(p, QRectF(SelectorLeft - 1, top - 1, 29, 29), 2.5, t.socket, t);
        recess(p, QRectF(OptionLeft - 2, top + 6, 21, 17), 3, withAlpha(t.socket, 60), t, 0.6);
    }
    // The corner behind "Acerca de": a faint pair of waves.
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 3; ++i) {
        p.setPen(QPen(withAlpha(t.accent, 70 - i * 18), 2.0));
        const double r = 14 + i * 9;
        p.drawArc(QRectF(640 - r, 196 - r, 2 * r, 2 * r), 90 * 16, 90 * 16);
    }
}

} // namespace

QImage BackgroundPainter::paint(const Theme &theme) {
    QImage image(Width, Height, QImage::Format_RGB32);
    image.fill(theme.bodyBottom);
    bodyAndPanel(image, theme);
    QPainter p(&image);
    band(p, theme);
    mainControls(p, theme);
    panelControls(p, theme);
    p.end();
    return image;
}
