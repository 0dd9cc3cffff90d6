#include "statusdisplay.h"

#include "displayturn.h"
#include "picturebox.h"
#include "randomsource.h"
#include "session.h"
#include "twips.h"

#include <QFont>

#include <cmath>

using namespace Qt::StringLiterals;

StatusDisplay::StatusDisplay(Session &session, PictureBox *fx, RandomSource &random,
                             QObject *parent)
    : QObject(parent)
    , m_session(session)
    , m_fx(fx)
    , m_random(random) {
    QFont font(u"MS Sans Serif"_s);
    font.setPointSizeF(13.5);
    font.setWeight(QFont::Normal);
    m_fx->setFont(font);
    m_fx->setFixedSize(Twips::size(3315, 1215));
    m_fx->setBackColor(QColor(0, 0, 255));

    for (int i = 1, n = 0; i <= 250; i += 10, ++n)
        m_shades[n] = QColor(i + 1, i + 1, 99);
    prepareLines();

    Timer1.setInterval(TickInterval);
    Timer2.setInterval(RestInterval);
    connect(&Timer1, &QTimer::timeout, this, &StatusDisplay::Timer1_Timer);
    connect(&Timer2, &QTimer::timeout, this, &StatusDisplay::Timer2_Timer);
    // Not on the connected state: that is set before the lookup, and a lookup that fails
    // must not set the text turning behind its message.
    connect(&m_session, &Session::onAirChanged, this, [this](bool onAir) {
        if (onAir)
            start();
        else
            cut();
    });
}

void StatusDisplay::start() {
    enable(Timer1, true);
}

void StatusDisplay::cut() {
    enable(Timer1, false);
    enable(Timer2, false);
    m_fx->cls();
}

void StatusDisplay::Timer1_Timer() {
    Dibujador();
}

void StatusDisplay::Dibujador() {
    const double pi = 4 * std::atan(1.0);
    m_fx->cls();
    const double c = std::cos(Angulo * pi / 180);
    const double s = -std::sin(Angulo * pi / 180);

    const DisplayTurn turn = nextTurn(Angulo, Cuadrante, Reversa);
    Angulo = turn.Angulo;
    Cuadrante = turn.Cuadrante;
    if (turn.restBegins) {
        enable(Timer1, false);
        enable(Timer2, true);
    }

    prepareLines();
    // Dark to bright: the brightest copy, furthest out, is printed over all the others.
    for (int i = 1, n = 0; i <= 250; i += 10, ++n) {
        m_fx->setForeColor(m_shades[n]);
        const float x = float(c / 1.5 * i + 200);
        m_fx->setCurrentX(x);
        m_fx->setCurrentY(float(s / 1.5 * i + 150));
        m_fx->print(m_origenLine);
        m_fx->setCurrentX(x);
        m_fx->setCurrentY(float(s / 1.5 * i + 500 + 150));
        m_fx->print(m_radioLine);
    }
}

void StatusDisplay::Timer2_Timer() {
    enable(Timer1, true);
    enable(Timer2, false);
    const float r = m_random.Rnd();
    if (UltimoAzar > r) {
        Reversa = true;
    } else if (UltimoAzar < r) {
        Reversa = false;
    } else {
        // The same number twice: rest another round in the same direction.
        enable(Timer1, false);
        enable(Timer2, true);
    }
    UltimoAzar = r;
}

void StatusDisplay::enable(QTimer &timer, bool on) {
    // Enabling a running timer leaves its count alone.
    if (!on)
        timer.stop();
    else if (!timer.isActive())
        timer.start();
}

void StatusDisplay::prepareLines() {
    // Built again only when the connect action has brought other texts.
    if (m_origenLine.isNull() || m_pais != m_session.shownCountry()) {
        m_pais = m_session.shownCountry();
        m_origenLine = u"Origen: "_s + m_pais;
    }
    if (m_radioLine.isNull() || m_radio != m_session.shownStation()) {
        m_radio = m_session.shownStation();
        m_radioLine = u"Radio: "_s + m_radio;
    }
}
