#include "mainwindow.h"

#include "ini.h"
#include "twips.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QPainter>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace {
const QString General = u"General"_s;
}

Main::Main(const ProgramFolder &folder, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
    , m_folder(folder) {
    m_ui.setupUi(this);
    setBackgroundPicture(QPixmap(u":/window/background.jpg"_s));
    setWindowIcon(QIcon(u":/window/icon32.png"_s));
    // The client area as designed; start-up narrows the window to hide the options panel.
    resize(Twips::size(10275, 3030));

    connect(m_ui.cmdCloseApp, &QPushButton::clicked, this, &Main::cmdCloseApp_Click);
    connect(m_ui.mnuExit, &QAction::triggered, this, &Main::mnuExit_Click);
}

Main::~Main() = default;

void Main::setBackgroundPicture(const QPixmap &picture) {
    m_background = picture;
    update();
}

void Main::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    if (m_background.isNull())
        painter.fillRect(rect(), palette().color(QPalette::Window));
    else
        painter.drawPixmap(0, 0, m_background);
}

void Main::Form_Load() {
    m_state.Cargando = true;
    m_state.SkinGuardado = LeeINI(settingsFile(), General, u"Skin"_s);
    m_state.UltimoPais = LeeINI(settingsFile(), General, u"LastCountry"_s);
    m_state.UltimaRadio = LeeINI(settingsFile(), General, u"LastRadio"_s);

    m_state.AutoConexion = LeeINI(settingsFile(), General, u"Autoconnect"_s) == u"1"_s;
    m_ui.chkAutoConn->setChecked(m_state.AutoConexion);

    m_state.EstadoGuardado = LeeINI(settingsFile(), General, u"Status"_s);

    m_state.VolCol = LeeINI(settingsFile(), General, u"NumberType"_s);
    resize(Twips::toPixels(3705), height());

    m_state.VolNum = 10;
    m_state.Cargando = false;
}

void Main::cmdCloseApp_Click() {
    close();
    Q_EMIT programEnded(0);
}

void Main::mnuExit_Click() {
    Q_EMIT programEnded(0);
}

void Main::closeEvent(QCloseEvent *event) {
    Form_QueryUnload();
    Form_Unload();
    event->accept();
}

void Main::Form_QueryUnload() {
    EscribeINI(settingsFile(), General, u"LastCountry"_s, m_state.PaisActual);
    EscribeINI(settingsFile(), General, u"LastRadio"_s, m_state.RadioActual);
    EscribeINI(settingsFile(), General, u"Skin"_s, m_ui.cboSkins->currentText());
    EscribeINI(settingsFile(), General, u"NumberType"_s, m_state.VolCol);
    EscribeINI(settingsFile(), General, u"Autoconnect"_s,
               m_ui.chkAutoConn->isChecked() ? u"1"_s : u"0"_s);
}

void Main::Form_Unload() {}
