#include "mainwindow.h"

#include "about.h"
#include "aboutlauncher.h"
#include "clicklabel.h"
#include "connectaction.h"
#include "desktopurlopener.h"
#include "dialogmessages.h"
#include "ini.h"
#include "jetcatalogue.h"
#include "mprisservice.h"
#include "optionspanel.h"
#include "picturebox.h"
#include "pictureimage.h"
#include "profilefile.h"
#include "randomgenerator.h"
#include "shapebox.h"
#include "skinner.h"
#include "startupstatus.h"
#include "stationlists.h"
#include "statusdisplay.h"
#include "streamplayer.h"
#include "twips.h"
#include "updownarrows.h"
#include "volumecontrol.h"
#include "volumedigits.h"
#include "webadvertisingpanel.h"
#include "windowdrag.h"
#include "windowstates.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QPainter>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace {
const QString General = u"General"_s;
}

Main::Main(const ProgramFolder &folder)
    : Main(folder, Outside()) {}

Main::Main(const ProgramFolder &folder, const Outside &outside)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint)
    , m_folder(folder) {
    m_ui.setupUi(this);
    setBackgroundPicture(QPixmap(u":/window/background.jpg"_s));
    setWindowIcon(QIcon(u":/window/icon32.png"_s));
    // The client area as designed; start-up narrows the window to hide the options panel.
    resize(Twips::size(10275, 3030));

    if (outside.messages) {
        m_messages = outside.messages;
    } else {
        m_ownMessages = std::make_unique<DialogMessages>(this);
        m_messages = m_ownMessages.get();
    }
    UrlOpener *urlOpener = outside.urlOpener;
    if (!urlOpener) {
        m_ownUrlOpener = std::make_unique<DesktopUrlOpener>();
        urlOpener = m_ownUrlOpener.get();
    }

    // The players live outside the visible window; only their focus is ever used.
    MediaPlayer1 = new StreamPlayer(u"MediaPlayer1"_s, VolumeScale::mediaPlayer(), this);
    MediaPlayer1->setGeometry(Twips::rect(3840, -5000, 4455, 1635));
    RealAudio1 = new StreamPlayer(u"RealAudio1"_s, VolumeScale::realAudio(), this);
    RealAudio1->setGeometry(Twips::rect(3840, -5000, 4515, 1455));

    Scroll1 = new UpDownArrows(this);
    Scroll1->setObjectName(u"Scroll1"_s);
    Scroll1->move(Twips::point(3180, 840));
    m_digits = new VolumeDigits(m_state, this, MediaPlayer1);
    m_volume = new VolumeControl(m_state, Scroll1, m_ui.mnuVol, MediaPlayer1, RealAudio1,
                                 m_ui.imgConectar, m_digits, this);

    FX = new PictureBox(this);
    FX->setObjectName(u"FX"_s);
    FX->move(Twips::point(140, 1380));
    m_random = std::make_unique<RandomGenerator>();
    m_display = new StatusDisplay(m_state, FX, *m_random, this);

    if (outside.makeAdvertisingPanel) {
        m_panel = outside.makeAdvertisingPanel(this);
        Propaganda = dynamic_cast<QWidget *>(m_panel);
    } else {
        auto *panel = new WebAdvertisingPanel(this);
        m_panel = panel;
        Propaganda = panel;
    }
    if (Propaganda) {
        Propaganda->setObjectName(u"Propaganda"_s);
        Propaganda->move(Twips::point(3780, 1380));
    }

    m_about = std::make_unique<AboutLauncher>(*urlOpener);
    m_stations = new StationLists(m_state, m_ui.cboPaises, m_ui.cboRadios, this);
    connect(m_stations, &StationLists::catalogueFailed, this, [this](const QString &message) {
        m_messages->show(message, windowTitle(), UserMessages::Icon::Critical);
        Q_EMIT programEnded(1);
    });
    m_connect = std::make_unique<ConnectAction>(
        m_state,
        ConnectAction::Controls{m_ui.imgConectar, m_ui.lblCon, m_ui.cboPaises, m_ui.cboRadios},
        ConnectAction::Players{MediaPlayer1, RealAudio1},
        ConnectAction::Calls{
            [this](const QString &name) { m_stations->LeeDatos(name); },
            [this](bool Apagado) { m_digits->SetVolNum(Apagado); },
            [this] { m_display->start(); },
            [this] { m_display->cut(); },
        },
        *m_messages);
    connect(m_ui.imgConectar, &PictureImage::clicked, this,
            [this] { m_connect->imgConectar_Click(); });
    connect(m_ui.lblCon, &ClickLabel::clicked, this, [this] { m_connect->imgConectar_Click(); });
    connect(m_ui.ImgCambiar, &PictureImage::clicked, this,
            [this] { m_connect->ImgCambiar_Click(); });
    connect(m_ui.lblCambiar, &ClickLabel::clicked, this, [this] { m_connect->ImgCambiar_Click(); });
    m_skinner = new Skinner(m_state, m_folder, m_ui.cboSkins, m_ui.List1, *this, this);

    m_options = new OptionsPanel(this, m_ui.Command1, this);
    m_drag = new WindowDrag(this, this);
    m_startupStatus = new StartupStatus(m_ui.chkAutoConn, m_ui.cboStatus, this);
    m_states = new WindowStates(this, m_ui.mnuSystemTray, this);
    connect(m_ui.cmdGoTray, &QPushButton::clicked, m_states, &WindowStates::cmdGoTray_Click);
    connect(m_ui.cmdMinimizeApp, &QPushButton::clicked, m_states,
            &WindowStates::cmdMinimizeApp_Click);
    connect(m_ui.mnuWinOpen, &QAction::triggered, m_states, &WindowStates::mnuWinOpen_Click);

    // The captions lie over the images: a click on the word is a click on the image.
    m_ui.lblCon->raise();
    m_ui.lblCambiar->raise();

    connect(m_ui.cmdCloseApp, &QPushButton::clicked, this, &Main::cmdCloseApp_Click);
    connect(m_ui.mnuExit, &QAction::triggered, this, &Main::mnuExit_Click);
    connect(m_ui.lblCreditos, &ClickLabel::clicked, this, [this] { m_about->lblCreditos_Click(); });

    // The desktop's media controls look again after whatever may change what
    // they show; connected last, so that they look after the handlers ran.
    m_mpris = new MprisService(*this, this);
    for (PictureImage *image : {m_ui.imgConectar, m_ui.ImgCambiar})
        connect(image, &PictureImage::clicked, m_mpris, &MprisService::controlsChanged);
    for (ClickLabel *caption : {m_ui.lblCon, m_ui.lblCambiar})
        connect(caption, &ClickLabel::clicked, m_mpris, &MprisService::controlsChanged);
    for (StreamPlayer *player : {MediaPlayer1, RealAudio1})
        connect(player, &StreamPlayer::nowPlayingChanged, m_mpris, &MprisService::controlsChanged);
    connect(Scroll1, &UpDownArrows::valueChanged, m_mpris, &MprisService::controlsChanged);
    for (QAction *item : std::as_const(m_ui.mnuVol))
        connect(item, &QAction::triggered, m_mpris, &MprisService::controlsChanged);
}

Main::~Main() {
    // The service reads this window's parts: it goes before they do.
    delete m_mpris;
}

void Main::setBackgroundPicture(const QPixmap &picture) {
    m_background = picture;
    update();
}

void Main::setSkinBackground(const QImage &picture) {
    setBackgroundPicture(QPixmap::fromImage(picture));
}

void Main::setControlBoxColor(const QColor &color) {
    m_ui.Shape1->setFillColor(color);
}

void Main::setCustomDigitPicture(int index, const QImage &picture) {
    m_digits->setCustomPicture(index, picture);
}

void Main::setMainLabelColor(const QColor &color) {
    for (ClickLabel *label : {m_ui.lblCon, m_ui.lblCambiar, m_ui.lblVol})
        label->setTextColor(color);
}

void Main::setOptionLabelColor(const QColor &color) {
    for (ClickLabel *label :
         {m_ui.lblAutocon, m_ui.lblCreditos, m_ui.lblDigs, m_ui.lblOrigen, m_ui.lblSkin})
        label->setTextColor(color);
}

void Main::selectDigitOption(int index) {
    m_digits->selectOption(index);
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
    // One read of the file for the six keys.
    const ProfileFile settings = ProfileFile::load(settingsFile());
    m_state.SkinGuardado = settings.value(General, u"Skin"_s);
    m_state.UltimoPais = settings.value(General, u"LastCountry"_s);
    m_state.UltimaRadio = settings.value(General, u"LastRadio"_s);

    m_state.AutoConexion = settings.value(General, u"Autoconnect"_s) == u"1"_s;
    m_ui.chkAutoConn->setChecked(m_state.AutoConexion);

    m_state.EstadoGuardado = settings.value(General, u"Status"_s);
    m_startupStatus->PonEstado(m_state.EstadoGuardado);

    m_skinner->listSkins();
    m_skinner->restoreSavedSkin();

    m_state.VolCol = settings.value(General, u"NumberType"_s);
    m_options->setWindowWidth(OptionsPanel::ClosedWidth);
    m_digits->selectFromDigitType();

    m_stations->setBaseDatos(JetCatalogue::open(m_folder.catalogueFile()));
    m_stations->fillCountries();
    m_stations->restoreCountry();

    m_options->closeAtStartup();

    m_state.VolNum = 10;
    MediaPlayer1->setVolume(0);
    RealAudio1->setVolume(100);

    if (m_panel)
        m_panel->navigate(AdvertisingPanel::pageAddress());
    m_random->Randomize();

    if (m_state.AutoConexion) {
        m_connect->imgConectar_Click();
        m_states->applyStartupState(m_state);
    }
    m_state.Cargando = false;
    // Without a session bus the program goes on as before.
    m_mpris->start();
}

bool Main::playing() const {
    return m_connect->connected();
}

void Main::connectOrCut() {
    m_connect->imgConectar_Click();
}

// What the status display shows: set by a connect that went through.
QString Main::station() const {
    return m_state.RadioFX;
}

QString Main::country() const {
    return m_state.PaisFX;
}

QString Main::icyTitle() const {
    if (!playing())
        return {};
    const StreamPlayer *player = m_state.MedioRadio == u"RP"_s ? RealAudio1 : MediaPlayer1;
    return player->title();
}

int Main::volumeStep() const {
    return m_state.VolNum;
}

// The tray's "Volumen" items run from "10" (index 0) down to "Silencio" (index 10).
void Main::chooseVolumeStep(int step) {
    m_volume->mnuVol_Click(10 - qBound(0, step, 10));
}

void Main::raiseWindow() {
    if (m_states->isInTray()) {
        m_states->mnuWinOpen_Click();
        return;
    }
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void Main::cmdCloseApp_Click() {
    m_about->closeIfOpen();
    close();
}

void Main::mnuExit_Click() {
    m_states->deleteTrayIcon();
    Q_EMIT programEnded(0);
}

void Main::showAsLoaded() {
    if (!m_states->isInTray() && !isVisible())
        show();
}

void Main::closeEvent(QCloseEvent *event) {
    Form_QueryUnload();
    Form_Unload();
    event->accept();
    // The program ends when no window is left.
    if (About *open = m_about->openWindow())
        connect(open, &QObject::destroyed, this, [this] { Q_EMIT programEnded(0); });
    else
        Q_EMIT programEnded(0);
}

void Main::Form_QueryUnload() {
    m_states->deleteTrayIcon();
    // One write for the six: a close cut short keeps the old settings or the new ones.
    EscribeINI(settingsFile(), General,
               {{u"LastCountry"_s, m_state.PaisActual},
                {u"LastRadio"_s, m_state.RadioActual},
                {u"Skin"_s, m_ui.cboSkins->currentText()},
                {u"NumberType"_s, m_state.VolCol},
                {u"Autoconnect"_s, m_ui.chkAutoConn->isChecked() ? u"1"_s : u"0"_s},
                {u"Status"_s, m_startupStatus->GuardaEstado()}});
}

void Main::Form_Unload() {
    if (m_stations->BaseDatos())
        m_stations->closeBaseDatos();
}
