#pragma once

#include "mainstate.h"
#include "mainui.h"
#include "programfolder.h"

#include <QPixmap>
#include <QWidget>

// The main window: composes the designed controls, runs start-up and the close
// paths, and wires each subsystem's behaviour to its controls.
class Main : public QWidget {
    Q_OBJECT

public:
    explicit Main(const ProgramFolder &folder, QWidget *parent = nullptr);
    ~Main() override;

    // Start-up. Throws when the catalogue cannot be opened: start-up cannot go on.
    void Form_Load();

    void cmdCloseApp_Click();
    void mnuExit_Click();

    MainState &state() { return m_state; }
    const MainUi &ui() const { return m_ui; }
    const ProgramFolder &folder() const { return m_folder; }

    void setBackgroundPicture(const QPixmap &picture);

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

    ProgramFolder m_folder;
    MainState m_state;
    MainUi m_ui;
    QPixmap m_background;
};
