#pragma once

#include <QColor>
#include <QObject>
#include <QString>
#include <QTimer>

#include <array>

class Session;
class PictureBox;
class RandomSource;

// The turning shadowed text that FX shows while a station plays: "Origen: " with
// the country and "Radio: " with the station, printed 25 times from dark blue to
// light yellow, each copy a little further in the direction of Angulo. The angle
// turns a quarter at a time; between quarters the display rests on Timer2 and then
// turns on, forwards or back at random.
class StatusDisplay : public QObject {
    Q_OBJECT

public:
    // Gives fx its designed look (pure blue, MS Sans Serif 13.5 pt, 3315 x 1215 twips);
    // placing it is the window's business.
    StatusDisplay(Session &session, PictureBox *fx, RandomSource &random,
                  QObject *parent = nullptr);

    // Timer1 ticks about as often as a desktop timer can, some 60 times a second, so a
    // quarter turn takes about 0.3 s; much faster would spin the text and burn a core.
    static constexpr int TickInterval = 16;
    static constexpr int RestInterval = 2000;

    // None of these is reset by a connect or a cut: the next connection
    // continues the turn where the last one stopped.
    double Angulo = 0;     // direction of the effect in degrees, 0 right, 90 up
    quint8 Cuadrante = 0;  // the quarter turn in progress, 0..3
    bool Reversa = false;  // false: the angle grows; true: it shrinks
    double UltimoAzar = 0; // random number drawn at the previous rest

    QTimer Timer1; // draws and turns
    QTimer Timer2; // ends a rest

    // Run when the session goes on air and off it. Start: the display turns from the next
    // tick. Cut: both timers stop and FX is cleared.
    void start();
    void cut();

    // Dibujador ("drawer"): turns the angle one step and redraws FX.
    void Dibujador();

public Q_SLOTS:
    void Timer1_Timer();
    void Timer2_Timer();

private:
    static void enable(QTimer &timer, bool on);
    void prepareLines();

    Session &m_session;
    PictureBox *m_fx;
    RandomSource &m_random;
    std::array<QColor, 25> m_shades;
    QString m_pais;
    QString m_radio;
    QString m_origenLine;
    QString m_radioLine;
};
