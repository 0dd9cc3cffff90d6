#pragma once

#include <QTimer>
#include <QWidget>

class UrlOpener;

// The About window: the program's name, two links and a few words by the
// author, as credits that rise through a black box without end. The controls
// carry their designed names as object names (Picture2, Cmd1, Label3 ...).
class About : public QWidget {
    Q_OBJECT

public:
    explicit About(UrlOpener &opener, QWidget *parent = nullptr);

    // The author's home page and the support address, shown and opened from here only.
    static QString homePage();
    static QString supportEmail();

    // Centres the window on its screen and starts the credits.
    void Form_Load();
    // One step of the credits.
    void Timer1_Timer();
    void Label3_Click();
    void Label4_Click();
    void Cmd1_Click();

    // Top of the credits panel inside its viewport, in twips.
    int picture2Top() const { return m_picture2Top; }

protected:
    void closeEvent(QCloseEvent *event) override;
    void moveEvent(QMoveEvent *event) override;

private:
    void centre();
    void placePicture2();

    UrlOpener &m_opener;
    QWidget *m_picture2 = nullptr;
    QTimer m_timer1;
    int m_picture2Top;
    // The frame's size is known only once the window manager has framed the
    // window: until then the centring was a guess.
    bool m_centreWhenFramed = false;
};
