#include "mainui.h"

#include "clicklabel.h"
#include "pictureimage.h"
#include "shapebox.h"
#include "twips.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace {

QFont designedFont(const QString &family, qreal points, bool bold = false) {
    QFont font(family);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

template<typename T>
T *placed(T *control, const QString &name, int left, int top, int width, int height) {
    control->setObjectName(name);
    control->setGeometry(Twips::rect(left, top, width, height));
    return control;
}

ClickLabel *caption(QWidget *parent, const QString &name, const QString &text, int left, int top,
                    int width, int height) {
    return placed(new ClickLabel(text, parent), name, left, top, width, height);
}

QCursor pictureCursor(const QString &resource, int hotX, int hotY, Qt::CursorShape fallback) {
    const QPixmap picture(resource);
    return picture.isNull() ? QCursor(fallback) : QCursor(picture, hotX, hotY);
}

} // namespace

void MainUi::setupUi(QWidget *Main) {
    Main->setObjectName(u"Main"_s);
    Main->setWindowTitle(u"Sintonet Valdren"_s);
    Main->setFont(designedFont(u"MS Sans Serif"_s, 8.25));

    const QCursor buttonPointer =
        pictureCursor(u":/window/pointer-button.png"_s, 0, 0, Qt::ArrowCursor);
    const QCursor handPointer =
        pictureCursor(u":/window/pointer-hand.png"_s, 13, 9, Qt::PointingHandCursor);
    const QColor red(255, 0, 0);

    Shape1 = placed(new ShapeBox(Main), u"Shape1"_s, 2580, 60, 795, 195);
    Shape1->setFillColor(QColor(128, 128, 255));
    cmdGoTray = placed(new QPushButton(u"·"_s, Main), u"cmdGoTray"_s, 2640, 60, 195, 195);
    cmdMinimizeApp = placed(new QPushButton(u"-"_s, Main), u"cmdMinimizeApp"_s, 2880, 60, 195, 195);
    cmdCloseApp = placed(new QPushButton(u"X"_s, Main), u"cmdCloseApp"_s, 3120, 60, 195, 195);
    for (QPushButton *button : {cmdGoTray, cmdMinimizeApp, cmdCloseApp}) {
        button->setCursor(buttonPointer);
        button->setFocusPolicy(Qt::NoFocus);
    }

    cboRadios = placed(new QComboBox(Main), u"cboRadios"_s, 180, 420, 1815, 315);
    imgConectar = placed(new PictureImage(Main), u"imgConectar"_s, 2040, 420, 1395, 315);
    lblCon = caption(Main, u"lblCon"_s, u"Conectar"_s, 2100, 390, 1275, 285);
    ImgCambiar = placed(new PictureImage(Main), u"ImgCambiar"_s, 240, 780, 1035, 285);
    lblCambiar = caption(Main, u"lblCambiar"_s, u"Cambiar"_s, 240, 780, 1035, 270);
    lblVol = caption(Main, u"lblVol"_s, u"Volumen"_s, 1380, 840, 1395, 405);
    for (ClickLabel *label : {lblCon, lblCambiar, lblVol})
        label->setTextColor(red);
    for (ClickLabel *label : {lblCon, lblCambiar})
        label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    for (QWidget *control :
         {static_cast<QWidget *>(imgConectar), static_cast<QWidget *>(lblCon),
          static_cast<QWidget *>(ImgCambiar), static_cast<QWidget *>(lblCambiar)})
        control->setCursor(handPointer);

    Command1 =
        placed(new QPushButton(u"Opciones >>"_s, Main), u"Command1"_s, 1860, 2640, 1515, 255);

    // The options panel, right of 3705 twips.
    lblOrigen = caption(Main, u"lblOrigen"_s, u"Origen:"_s, 3780, 420, 1065, 345);
    lblOrigen->setFont(designedFont(u"Arial Black"_s, 12, true));
    cboPaises = placed(new QComboBox(Main), u"cboPaises"_s, 4920, 420, 2115, 315);
    chkAutoConn = placed(new QCheckBox(Main), u"chkAutoConn"_s, 3780, 930, 195, 195);
    lblAutocon = caption(Main, u"lblAutocon"_s, u"Autoconectar"_s, 4200, 900, 1500, 270);
    lblAutocon->setFont(designedFont(u"Arial Black"_s, 9.75, true));
    cboStatus = placed(new QComboBox(Main), u"cboStatus"_s, 6000, 900, 1035, 300);
    cboStatus->setFont(designedFont(u"Arial"_s, 6.75));
    lblSkin = caption(Main, u"lblSkin"_s, u"Skin:"_s, 3780, 2640, 750, 345);
    lblSkin->setCursor(buttonPointer);
    cboSkins = placed(new QComboBox(Main), u"cboSkins"_s, 4740, 2640, 2295, 315);
    List1 = placed(new QListWidget(Main), u"List1"_s, 7140, 2460, 1815, 450);
    List1->hide();
    lblCreditos = caption(Main, u"lblCreditos"_s, u"Acerca de"_s, 8280, 2160, 1500, 345);
    lblCreditos->setCursor(buttonPointer);
    lblDigs = caption(Main, u"lblDigs"_s, u"Digitos de volumen"_s, 8100, 420, 855, 615);
    lblDigs->setFont(designedFont(u"MS Sans Serif"_s, 8.25, true));
    lblDigs->setWordWrap(true);
    for (ClickLabel *label : {lblOrigen, lblAutocon, lblSkin, lblCreditos, lblDigs})
        label->setTextColor(Main->palette().color(QPalette::ButtonText));

    mnuSystemTray = new QMenu(Main);
    mnuSystemTray->setObjectName(u"mnuSystemTray"_s);
    mnuExit = mnuSystemTray->addAction(u"Salir de la aplicación"_s);
    mnuExit->setObjectName(u"mnuExit"_s);
    mnuWinOpen = mnuSystemTray->addAction(u"Abrir ventana"_s);
    mnuWinOpen->setObjectName(u"mnuWinOpen"_s);
    mnuVolume = mnuSystemTray->addMenu(u"Volumen"_s);
    mnuVolume->setObjectName(u"mnuVolume"_s);
    for (int index = 0; index <= 10; ++index) {
        const QString text = index == 10 ? u"Silencio"_s : QString::number(10 - index);
        QAction *item = mnuVolume->addAction(text);
        item->setObjectName(u"mnuVol%1"_s.arg(index));
        item->setCheckable(true);
        item->setChecked(index == 0);
        mnuVol.append(item);
    }
}
