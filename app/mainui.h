#pragma once

#include <QList>

class ClickLabel;
class PictureImage;
class ShapeBox;
class QAction;
class QCheckBox;
class QComboBox;
class QListWidget;
class QMenu;
class QPushButton;
class QWidget;

// The controls of the main window as designed: created, named and placed here,
// with their designed texts, fonts, colours, pointers and hidden states. The
// behaviour lives with the subsystems; the window wires the two together.
struct MainUi {
    void setupUi(QWidget *Main);

    ShapeBox *Shape1 = nullptr;
    QPushButton *cmdGoTray = nullptr;
    QPushButton *cmdMinimizeApp = nullptr;
    QPushButton *cmdCloseApp = nullptr;
    QComboBox *cboRadios = nullptr;
    PictureImage *imgConectar = nullptr;
    ClickLabel *lblCon = nullptr;
    PictureImage *ImgCambiar = nullptr;
    ClickLabel *lblCambiar = nullptr;
    ClickLabel *lblVol = nullptr;
    QPushButton *Command1 = nullptr;
    ClickLabel *lblOrigen = nullptr;
    QComboBox *cboPaises = nullptr;
    QCheckBox *chkAutoConn = nullptr;
    ClickLabel *lblAutocon = nullptr;
    QComboBox *cboStatus = nullptr;
    ClickLabel *lblSkin = nullptr;
    QComboBox *cboSkins = nullptr;
    QListWidget *List1 = nullptr;
    ClickLabel *lblCreditos = nullptr;
    ClickLabel *lblDigs = nullptr;

    // The tray's pop-up menu; it never appears in a menu bar.
    QMenu *mnuSystemTray = nullptr;
    QAction *mnuExit = nullptr;
    QAction *mnuWinOpen = nullptr;
    QMenu *mnuVolume = nullptr;
    QList<QAction *> mnuVol; // "10" down to "1", then "Silencio"
};
