#include "about.h"

#include "clicklabel.h"
#include "creditsscroll.h"
#include "twips.h"
#include "urlopener.h"
#include "windowcentring.h"

#include <QCloseEvent>
#include <QFrame>
#include <QPushButton>
#include <QScreen>
#include <QUrl>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

// The designed Windows faces first, then look-alikes that Linux has.
QFont designedFont(const QString &family, double points, bool bold = false,
                   bool underline = false) {
    QFont font;
    if (family == u"Arial")
        font.setFamilies({family, u"Liberation Sans"_s});
    else if (family == u"Comic Sans MS")
        font.setFamilies({family, u"Comic Neue"_s});
    else
        font.setFamilies({family, u"Liberation Sans"_s, u"DejaVu Sans"_s});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setUnderline(underline);
    return font;
}

QFont standardFont() {
    return designedFont(u"MS Sans Serif"_s, 8.25);
}

void fill(QWidget *widget, const QColor &colour) {
    QPalette p = widget->palette();
    p.setColor(QPalette::Window, colour);
    widget->setPalette(p);
    widget->setAutoFillBackground(true);
}

QWidget *box(QWidget *parent, const QString &name, const QRect &twips, const QColor &colour) {
    auto *widget = new QWidget(parent);
    widget->setObjectName(name);
    widget->setGeometry(twips);
    fill(widget, colour);
    return widget;
}

ClickLabel *label(QWidget *parent, const QString &name, const QRect &twips, const QString &text,
                  const QColor &colour, const QFont &font, Qt::Alignment alignment) {
    auto *caption = new ClickLabel(text, parent);
    caption->setObjectName(name);
    caption->setGeometry(twips);
    caption->setTextColor(colour);
    caption->setFont(font);
    caption->setAlignment(alignment | Qt::AlignTop);
    caption->setWordWrap(true);
    caption->setTextFormat(Qt::PlainText);
    return caption;
}

QFrame *rule(QWidget *parent, const QString &name, const QRect &twips) {
    auto *line = new QFrame(parent);
    line->setObjectName(name);
    line->setGeometry(twips);
    fill(line, QColor(128, 128, 255));
    return line;
}

// The panel moves by whole pixels; rounding down keeps every step one pixel,
// also across zero.
int pixelsDown(int twips) {
    return int(std::floor(double(twips) / Twips::PerPixel));
}

} // namespace

QString About::homePage() {
    return u"https://sintonet.example.org/"_s;
}

QString About::supportEmail() {
    return u"soporte@sintonet.example.org"_s;
}

About::About(UrlOpener &opener, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint)
    , m_opener(opener)
    , m_picture2Top(CreditsScroll::StartTop) {
    setObjectName(u"About"_s);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(u"Acerca de Sintonet Valdren"_s);
    setFixedSize(Twips::size(3990, 4500));
    setFont(standardFont());
    fill(this, Qt::black);

    QWidget *picture1 = box(this, u"Picture1"_s, Twips::rect(120, 120, 3705, 3435), Qt::black);
    m_picture2 = box(picture1, u"Picture2"_s, Twips::rect(180, 0, 3255, 8715), Qt::black);
    placePicture2();

    const QColor lilac(128, 128, 255);
    const QColor link(0, 0, 255);
    const QFont heading = designedFont(u"Arial"_s, 12, true, true);
    const QFont linkFont = designedFont(u"Comic Sans MS"_s, 8.25, true, true);
    const QFont bold = designedFont(u"MS Sans Serif"_s, 8.25, true);
    const QFont standard = standardFont();

    label(m_picture2, u"Label1"_s, Twips::rect(60, 240, 3075, 375), u"Sintonet Valdren"_s,
          Qt::white, heading, Qt::AlignHCenter);
    label(m_picture2, u"Label2"_s, Twips::rect(180, 720, 2835, 855),
          u"Sintonet Valdren es un sencillo oyente de emisoras de radio por internet, hecho "
          u"por mí en mis ratos libres."_s,
          lilac, standard, Qt::AlignLeft);
    rule(m_picture2, u"Frame1"_s, Twips::rect(900, 1620, 1380, 30));
    ClickLabel *label3 = label(m_picture2, u"Label3"_s, Twips::rect(60, 1680, 3075, 255),
                               u"Accede a mi página web"_s, link, linkFont, Qt::AlignHCenter);
    ClickLabel *label4 = label(m_picture2, u"Label4"_s, Twips::rect(60, 2040, 3075, 255),
                               u"E-mail: "_s + supportEmail(), link, linkFont, Qt::AlignHCenter);
    rule(m_picture2, u"Frame2"_s, Twips::rect(480, 2520, 2280, 30));
    label(m_picture2, u"Label5"_s, Twips::rect(60, 2820, 3075, 375), u"Unos datos sobre mi"_s,
          Qt::white, heading, Qt::AlignHCenter);
    label(m_picture2, u"Label7"_s, Twips::rect(300, 3360, 2535, 1635),
          u"Soy programador de oficio: de día escribo programas de gestión y de noche, con los "
          u"auriculares puestos, recorro emisoras de medio mundo. De esas noches nació este "
          u"programa."_s,
          lilac, bold, Qt::AlignLeft);
    label(m_picture2, u"Label8"_s, Twips::rect(300, 5100, 2535, 675),
          u"Espero te resulte de cierta utilidad este programa, pero que conste:"_s, lilac, bold,
          Qt::AlignLeft);
    label(m_picture2, u"Label9"_s, Twips::rect(60, 6120, 3135, 1635),
          u"Este programa no podría haber sido realizado sin la ayuda del código fuente obtenido "
          u"en diversas direcciones de internet; doy las gracias a todos los programadores que "
          u"han subido su codigo a algún sitio en internet para que otros, como yo, podamos "
          u"aprender de él."_s,
          link, bold, Qt::AlignLeft);
    // Where the catalogue's stream addresses come from, in the gap above the notice.
    label(m_picture2, u"Label10"_s, Twips::rect(60, 7770, 3075, 390),
          u"Emisoras: TDTChannels y radio-browser.info\ngithub.com/LaQuay/TDTChannels"_s, lilac,
          designedFont(u"MS Sans Serif"_s, 6.75), Qt::AlignHCenter);
    label(m_picture2, u"Label6"_s, Twips::rect(60, 8160, 3075, 435),
          u"© Sintonet Valdren y su autor. Reservados todos los derechos."_s, QColor(255, 192, 192),
          standard, Qt::AlignHCenter);

    for (ClickLabel *target : {label3, label4})
        target->setCursor(Qt::PointingHandCursor);
    connect(label3, &ClickLabel::clicked, this, &About::Label3_Click);
    connect(label4, &ClickLabel::clicked, this, &About::Label4_Click);

    QWidget *frame3 = box(this, u"Frame3"_s, Twips::rect(120, 3600, 3735, 735), Qt::black);
    auto *cmd1 = new QPushButton(u"Cerrar"_s, frame3);
    cmd1->setObjectName(u"Cmd1"_s);
    cmd1->setGeometry(Twips::rect(1080, 240, 1695, 405));
    connect(cmd1, &QPushButton::clicked, this, &About::Cmd1_Click);

    m_timer1.setObjectName(u"Timer1"_s);
    m_timer1.setParent(this);
    m_timer1.setInterval(15);
    connect(&m_timer1, &QTimer::timeout, this, &About::Timer1_Timer);
}

void About::Form_Load() {
    centre();
    m_centreWhenFramed = frameGeometry().size() == size();
    m_timer1.start();
}

void About::centre() {
    const QRect area = screen()->availableGeometry();
    const QRect areaTwips(Twips::fromPixels(area.x()), Twips::fromPixels(area.y()),
                          Twips::fromPixels(area.width()), Twips::fromPixels(area.height()));
    const QSize outer = frameGeometry().size();
    const QPoint origin = WindowCentring::origin(
        areaTwips, QSize(Twips::fromPixels(outer.width()), Twips::fromPixels(outer.height())));
    // A window's position is that of its frame.
    move(Twips::point(origin.x(), origin.y()));
}

void About::moveEvent(QMoveEvent *event) {
    QWidget::moveEvent(event);
    // Once, when the window manager has put its frame around the window.
    if (m_centreWhenFramed && frameGeometry().size() != size()) {
        m_centreWhenFramed = false;
        centre();
    }
}

void About::Timer1_Timer() {
    m_picture2Top = CreditsScroll::nextTop(m_picture2Top);
    placePicture2();
}

void About::Label3_Click() {
    m_opener.openUrl(QUrl(homePage()));
}

void About::Label4_Click() {
    m_opener.openUrl(QUrl(u"mailto:"_s + supportEmail()));
}

void About::Cmd1_Click() {
    close();
}

void About::closeEvent(QCloseEvent *event) {
    m_timer1.stop();
    QWidget::closeEvent(event);
}

void About::placePicture2() {
    m_picture2->move(m_picture2->x(), pixelsDown(m_picture2Top));
}
