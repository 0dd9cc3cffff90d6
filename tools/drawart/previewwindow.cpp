#include "previewwindow.h"

#include "clicklabel.h"
#include "pictureimage.h"
#include "twips.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScrollBar>

using namespace Qt::StringLiterals;

namespace {

QImage ledSample(const QColor &lit) {
    QImage image(27, 27, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter p(&image);
    QFont f(u"DejaVu Sans Mono"_s);
    f.setPixelSize(17);
    f.setBold(true);
    p.setFont(f);
    p.setPen(lit);
    p.drawText(image.rect(), Qt::AlignCenter, u"10"_s);
    return image;
}

template<typename W> W *place(QWidget *parent, W *w, int left, int top, int width, int height) {
    w->setParent(parent);
    w->setGeometry(Twips::rect(left, top, width, height));
    return w;
}

} // namespace

QImage PreviewWindow::grab(const PreviewLook &look, bool panelOpen) {
    QWidget window;
    window.resize(Twips::toPixels(10275), Twips::toPixels(3030));
    QPalette pal = window.palette();
    pal.setBrush(QPalette::Window, QPixmap::fromImage(look.background));
    window.setPalette(pal);
    window.setAutoFillBackground(true);

    auto *shape = place(&window, new QFrame, 2580, 60, 795, 195);
    shape->setAutoFillBackground(true);
    QPalette sp = shape->palette();
    sp.setColor(QPalette::Window, look.controlBox);
    shape->setPalette(sp);
    place(&window, new QPushButton(u"·"_s), 2640, 60, 195, 195);
    place(&window, new QPushButton(u"-"_s), 2880, 60, 195, 195);
    place(&window, new QPushButton(u"X"_s), 3120, 60, 195, 195);

    auto *radios = place(&window, new QComboBox, 180, 420, 1815, 315);
    radios->addItem(u"Radio Clásica FM"_s);
    QList<ClickLabel *> mainLabels{
        place(&window, new ClickLabel(u"Conectar"_s), 2100, 390, 1275, 285),
        place(&window, new ClickLabel(u"Cambiar"_s), 240, 780, 1035, 270),
        place(&window, new ClickLabel(u"Volumen"_s), 1380, 840, 1395, 405)};
    for (ClickLabel *l : mainLabels) {
        l->setTextColor(look.mainLabels);
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
    }
    mainLabels[0]->setAlignment(Qt::AlignCenter);
    mainLabels[1]->setAlignment(Qt::AlignCenter);
    auto *digit = place(&window, new PictureImage, 2760, 840, 405, 405);
    digit->setPicture(QPixmap::fromImage(look.display));
    auto *scroll = place(&window, new QScrollBar(Qt::Vertical), 3180, 840, 255, 405);
    scroll->setValue(50);

    auto *fx = place(&window, new QLabel, 140, 1380, 3315, 1215);
    fx->setAutoFillBackground(true);
    QPalette fp = fx->palette();
    fp.setColor(QPalette::Window, QColor(0, 0, 128));
    fp.setColor(QPalette::WindowText, QColor(255, 255, 200));
    fx->setPalette(fp);
    fx->setText(u"  Origen: España\n  Radio: Radio Clásica FM"_s);
    QFont ff = fx->font();
    ff.setPixelSize(17);
    ff.setBold(true);
    fx->setFont(ff);

    place(&window, new QPushButton(panelOpen ? u"<< Opciones"_s : u"Opciones >>"_s),
          panelOpen ? 8260 : 1860, 2640, 1515, 255);

    QList<ClickLabel *> optionLabels;
    auto *origen = place(&window, new ClickLabel(u"Origen:"_s), 3780, 420, 1065, 345);
    QFont black(u"Liberation Sans"_s);
    black.setPointSizeF(12);
    black.setWeight(QFont::Black);
    origen->setFont(black);
    auto *autocon = place(&window, new ClickLabel(u"Autoconectar"_s), 4200, 900, 1500, 270);
    black.setPointSizeF(9.75);
    autocon->setFont(black);
    auto *skin = place(&window, new ClickLabel(u"Skin:"_s), 3780, 2640, 750, 345);
    auto *creditos = place(&window, new ClickLabel(u"Acerca de"_s), 8280, 2160, 1500, 345);
    auto *digs = place(&window, new ClickLabel(u"Digitos de volumen"_s), 8100, 420, 855, 615);
    digs->setWordWrap(true);
    QFont bold = digs->font();
    bold.setPointSizeF(8.25);
    bold.setBold(true);
    digs->setFont(bold);
    optionLabels << origen << autocon << skin << creditos << digs;
    for (ClickLabel *l : optionLabels) {
        if (look.optionLabels.isValid())
            l->setTextColor(look.optionLabels);
    }
    place(&window, new QComboBox, 4920, 420, 2115, 315)->addItem(u"España"_s);
    place(&window, new QCheckBox, 3780, 930, 195, 195);
    auto *web = place(&window, new QLabel(u"publicidad"_s), 3780, 1380, 3255, 1215);
    web->setAlignment(Qt::AlignCenter);
    web->setAutoFillBackground(true);
    QPalette wp = web->palette();
    wp.setColor(QPalette::Window, Qt::white);
    web->setPalette(wp);
    place(&window, new QComboBox, 4740, 2640, 2295, 315)->addItem(u"Azul Noche"_s);

    const int tops[] = {420, 900, 1380, 1860};
    const QColor leds[] = {Qt::red, Qt::green, Qt::cyan};
    QImage samples[4];
    for (int i = 0; i < 3; ++i) {
        samples[i] =
            look.builtInSelectors[i].isNull() ? ledSample(leds[i]) : look.builtInSelectors[i];
    }
    samples[3] = look.customSelector;
    for (int i = 0; i < 4; ++i) {
        auto *option = place(&window, new QFrame, 9060, tops[i], 255, 195);
        option->setAutoFillBackground(true);
        QPalette op = option->palette();
        op.setColor(QPalette::Window, i == 3 ? Qt::white : QColor(0xbf, 0xcd, 0xdb));
        option->setPalette(op);
        auto *sample = place(&window, new PictureImage, 9420, tops[i] - 120, 405, 405);
        sample->setPicture(QPixmap::fromImage(samples[i]));
    }

    QImage shot(window.size(), QImage::Format_ARGB32_Premultiplied);
    shot.fill(Qt::transparent);
    window.render(&shot);

    // Cut the rounded outline as the window does.
    QImage out(window.size(), QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    QPainter p(&out);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath outline;
    outline.addRoundedRect(QRectF(0, 0, panelOpen ? 671 : 241, 203), 15, 15);
    p.setClipPath(outline);
    p.drawImage(0, 0, shot);
    p.end();
    return out.copy(0, 0, panelOpen ? 672 : 242, 204);
}
