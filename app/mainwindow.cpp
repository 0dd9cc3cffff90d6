#include "mainwindow.h"

#include "about.h"
#include "aboutlauncher.h"
#include "clicklabel.h"
#include "connectaction.h"
#include "desktopties.h"
#include "desktopurlopener.h"
#include "dialogmessages.h"
#include "jetcatalogue.h"
#include "mprisservice.h"
#include "optionspanel.h"
#include "picturebox.h"
#include "pictureimage.h"
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
#include <QTimer>

using namespace Qt::StringLiterals;

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
    m_digits = new VolumeDigits(m_session, this, MediaPlayer1);
    m_volume = new VolumeControl(m_session, Scroll1, m_ui.mnuVol, MediaPlayer1, RealAudio1, this);

    FX = new PictureBox(this);
    FX->setObjectName(u"FX"_s);
    FX->move(Twips::point(140, 1380));
    m_random = std::make_unique<RandomGenerator>();
    m_display = new StatusDisplay(m_session, FX, *m_random, this);

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
    m_stations = new StationLists(m_session, m_ui.cboPaises, m_ui.cboRadios, this);
    connect(m_stations, &StationLists::catalogueFailed, this, [this](const QString &message) {
        m_messages->show(message, windowTitle(), UserMessages::Icon::Critical);
        Q_EMIT programEnded(1);
    });
    m_connect = std::make_unique<ConnectAction>(
        m_session,
        ConnectAction::Controls{m_ui.imgConectar, m_ui.lblCon, m_ui.cboPaises, m_ui.cboRadios},
        ConnectAction::Players{MediaPlayer1, RealAudio1},
        [this](const QString &name) { m_stations->LeeDatos(name); }, *m_messages);
    connect(m_ui.imgConectar, &PictureImage::clicked, this,
            [this] { m_connect->imgConectar_Click(); });
    connect(m_ui.lblCon, &ClickLabel::clicked, this, [this] { m_connect->imgConectar_Click(); });
    connect(m_ui.ImgCambiar, &PictureImage::clicked, this,
            [this] { m_connect->ImgCambiar_Click(); });
    connect(m_ui.lblCambiar, &ClickLabel::clicked, this, [this] { m_connect->ImgCambiar_Click(); });
    m_skinner = new Skinner(m_session, m_folder, m_ui.cboSkins, m_ui.List1, *this, this);

    m_options = new OptionsPanel(this, m_ui.Command1, this);
    connect(m_options, &OptionsPanel::seenChanged, this, [this](bool seen) {
        if (m_panel)
            m_panel->setSeen(seen);
    });
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

    for (StreamPlayer *player : {MediaPlayer1, RealAudio1})
        connect(player, &StreamPlayer::nowPlayingChanged, this, &Main::updateTitle);
    connect(&m_session, &Session::connectedChanged, this, &Main::updateTitle);
    connect(&m_session, &Session::resolvedChanged, this, &Main::updateTitle);

    m_mpris = new MprisService(m_session, *this, this);
    m_desktop = new DesktopTies(m_session, *this, MediaPlayer1, RealAudio1, this);
}

Main::~Main() {
    // These read this window's parts: they go before they do.
    delete m_mpris;
    delete m_desktop;
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
    m_digits->optColor_Click(index);
}

void Main::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    if (m_background.isNull())
        painter.fillRect(rect(), palette().color(QPalette::Window));
    else
        painter.drawPixmap(0, 0, m_background);
}

void Main::Form_Load() {
    m_session.setLoading(true);
    // One read of the file for the six keys.
    const Settings saved = Settings::read(settingsFile());
    m_session.setSaved(saved);
    m_ui.chkAutoConn->setChecked(saved.autoconnect);
    m_startupStatus->PonEstado(saved.status.value_or(StartState::Normal));

    m_skinner->listSkins();
    m_skinner->restoreSavedSkin();

    // The saved colour wins over the restored skin's; chosen as a click on its option would,
    // which also takes the focus away from the options.
    m_options->setWindowWidth(OptionsPanel::ClosedWidth);
    m_digits->optColor_Click(int(saved.digits));

    m_stations->setBaseDatos(JetCatalogue::open(m_folder.catalogueFile()));
    m_stations->fillCountries();
    m_stations->restoreCountry();

    m_options->closeAtStartup();

    m_session.setVolumeStep(10);
    MediaPlayer1->setVolume(0);
    RealAudio1->setVolume(100);

    if (m_panel)
        m_panel->navigate(AdvertisingPanel::pageAddress());
    m_random->Randomize();

    if (saved.autoconnect) {
        m_connect->imgConectar_Click();
        m_states->applyStartupState(saved);
    }
    m_session.setLoading(false);
    // Without a session bus the program goes on as before.
    m_mpris->start();
    // The system bus and the network backend are asked once the window is up: the window
    // never waits on them.
    QTimer::singleShot(0, m_desktop, [desktop = m_desktop] {
        if (!desktop->started())
            desktop->start();
    });
}

void Main::connectOrCut() {
    m_connect->imgConectar_Click();
}

void Main::updateTitle() {
    const StreamPlayer *player =
        m_session.resolved().kind == PlayerKind::RealAudio ? RealAudio1 : MediaPlayer1;
    m_session.setTitle(m_session.connected() ? player->title() : QString());
}

void Main::chooseVolumeStep(int step) {
    m_volume->chooseStep(step);
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
    Settings now;
    now.lastCountry = m_session.currentCountry();
    now.lastRadio = m_session.currentStation();
    now.skin = m_ui.cboSkins->currentText();
    now.digits = m_session.digitColour();
    now.autoconnect = m_ui.chkAutoConn->isChecked();
    now.status = m_startupStatus->GuardaEstado();
    Settings::write(settingsFile(), now);
}

void Main::Form_Unload() {
    if (m_stations->BaseDatos())
        m_stations->closeBaseDatos();
}
