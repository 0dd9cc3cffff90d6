#pragma once

#include "mainui.h"
#include "mediacontrols.h"
#include "programfolder.h"
#include "session.h"
#include "skintarget.h"

#include <QPixmap>
#include <QWidget>

#include <functional>
#include <memory>

class AboutLauncher;
class AdvertisingPanel;
class ConnectAction;
class DesktopTies;
class MprisService;
class OptionsPanel;
class StartupStatus;
class WindowDrag;
class WindowStates;
class PictureBox;
class RandomGenerator;
class Skinner;
class StationLists;
class StatusDisplay;
class StreamPlayer;
class UpDownArrows;
class UrlOpener;
class UserMessages;
class VolumeControl;
class VolumeDigits;

// The main window: composes the designed controls, runs start-up and the close
// paths, and wires each subsystem's behaviour to its controls.
class Main : public QWidget, public SkinTarget, public MediaControls {
    Q_OBJECT

public:
    // The parts that reach outside the program. Left empty, the real ones are made.
    struct Outside {
        std::function<AdvertisingPanel *(QWidget *parent)> makeAdvertisingPanel;
        UrlOpener *urlOpener = nullptr;
        UserMessages *messages = nullptr;
    };

    explicit Main(const ProgramFolder &folder);
    Main(const ProgramFolder &folder, const Outside &outside);
    ~Main() override;

    // Start-up. Throws when the catalogue cannot be opened: start-up cannot go on.
    void Form_Load();

    void cmdCloseApp_Click();
    void mnuExit_Click();

    Session &session() { return m_session; }
    const MainUi &ui() const { return m_ui; }
    const ProgramFolder &folder() const { return m_folder; }

    StreamPlayer *MediaPlayer1 = nullptr;
    StreamPlayer *RealAudio1 = nullptr;
    UpDownArrows *Scroll1 = nullptr;
    PictureBox *FX = nullptr;
    QWidget *Propaganda = nullptr;

    VolumeDigits &digits() { return *m_digits; }
    VolumeControl &volume() { return *m_volume; }
    StatusDisplay &statusDisplay() { return *m_display; }
    ConnectAction &connectAction() { return *m_connect; }
    AboutLauncher &about() { return *m_about; }
    Skinner &skinner() { return *m_skinner; }
    StationLists &stations() { return *m_stations; }
    OptionsPanel &optionsPanel() { return *m_options; }
    StartupStatus &startupStatus() { return *m_startupStatus; }
    WindowStates &windowStates() { return *m_states; }

    void setBackgroundPicture(const QPixmap &picture);
    // Shows the window as start-up left it: normal, minimized, or only in the tray.
    void showAsLoaded();

    // What a skin changes.
    void setSkinBackground(const QImage &picture) override;
    void setControlBoxColor(const QColor &color) override;
    void setCustomDigitPicture(int index, const QImage &picture) override;
    void setMainLabelColor(const QColor &color) override;
    void setOptionLabelColor(const QColor &color) override;
    void selectDigitOption(int index) override;

    // What the desktop's media controls do.
    void connectOrCut() override;
    void chooseVolumeStep(int step) override;
    void raiseWindow() override;
    MprisService &mpris() { return *m_mpris; }
    DesktopTies &desktopTies() { return *m_desktop; }

Q_SIGNALS:
    // The program must end now with this status.
    void programEnded(int status);

protected:
    void closeEvent(QCloseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void Form_QueryUnload();
    void Form_Unload();
    QString settingsFile() const { return m_folder.settingsFile(); }
    // The title of the player the last resolved station uses, while connected.
    void updateTitle();

    ProgramFolder m_folder;
    Session m_session;
    MainUi m_ui;
    QPixmap m_background;

    std::unique_ptr<UserMessages> m_ownMessages;
    std::unique_ptr<UrlOpener> m_ownUrlOpener;
    UserMessages *m_messages = nullptr;
    AdvertisingPanel *m_panel = nullptr;
    std::unique_ptr<RandomGenerator> m_random;
    StatusDisplay *m_display = nullptr;
    VolumeDigits *m_digits = nullptr;
    VolumeControl *m_volume = nullptr;
    std::unique_ptr<ConnectAction> m_connect;
    std::unique_ptr<AboutLauncher> m_about;
    Skinner *m_skinner = nullptr;
    StationLists *m_stations = nullptr;
    OptionsPanel *m_options = nullptr;
    WindowDrag *m_drag = nullptr;
    StartupStatus *m_startupStatus = nullptr;
    WindowStates *m_states = nullptr;
    MprisService *m_mpris = nullptr;
    DesktopTies *m_desktop = nullptr;
};
