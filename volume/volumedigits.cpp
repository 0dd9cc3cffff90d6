#include "volumedigits.h"

#include "pictureimage.h"
#include "playercomponent.h"
#include "playererror.h"
#include "session.h"
#include "twips.h"

#include <QButtonGroup>
#include <QImage>
#include <QPalette>
#include <QRadioButton>

using namespace Qt::StringLiterals;

// The option buttons stand in the order of the colour sets the settings name.
static_assert(int(DigitColour::Custom) == VolumeDigits::Custom);

namespace {

constexpr std::array<int, VolumeDigits::SetCount> RowTop = {300, 780, 1260, 1740};
constexpr std::array<int, VolumeDigits::SetCount> OptionTop = {420, 900, 1380, 1860};
constexpr int RowLeft = 9840;
constexpr int SelectorLeft = 9420;
constexpr int OptionLeft = 9060;

const QSize DigitBox = Twips::size(405, 405);
const QPoint DisplayPosition = Twips::point(2760, 840);
// Wholly outside the window for any picture up to 33 pixels square.
const QPoint ParkingPosition = Twips::point(-500, -500);

const std::array<QString, VolumeDigits::SetCount> ArrayNames = {u"imgDigRed"_s, u"imgDigVerde"_s,
                                                                u"imgDigAzul"_s, u"imgDigCust"_s};

// The toolkit has no caption colours. In the classic desktop scheme the
// inactive caption shares its grey with the button shadow, which the palette
// does carry and which follows the desktop's theme as the caption did.
QColor inactiveCaptionColor(const QWidget *widget) {
    return widget->palette().color(QPalette::Dark);
}

void setBackground(QRadioButton *button, const QColor &colour) {
    QPalette palette = button->palette();
    palette.setColor(QPalette::Window, colour);
    button->setPalette(palette);
}

} // namespace

VolumeDigits::VolumeDigits(Session &session, QWidget *Main, PlayerComponent *MediaPlayer1)
    : QObject(Main)
    , m_session(session)
    , m_mediaPlayer(MediaPlayer1) {
    for (int set = 0; set < SetCount; ++set) {
        for (int element = 0; element < Elements; ++element) {
            auto *image = new PictureImage(Main);
            image->setObjectName(ArrayNames[set] + QString::number(element));
            // However large a skin's picture, the element keeps its designed
            // box, and it answers no clicks: whatever lies below takes them.
            image->setFixedSize(DigitBox);
            image->setAttribute(Qt::WA_TransparentForMouseEvents);
            image->setPicture(QPixmap(builtInPicture(set, element)));
            image->move(Twips::point(element == Selector ? SelectorLeft : RowLeft, RowTop[set]));
            image->setVisible(element >= OffPicture);
            m_sets[set].append(image);
        }
    }

    // An own group keeps the four exclusive among themselves whatever else
    // the window holds.
    auto *group = new QButtonGroup(this);
    for (int index = 0; index < SetCount; ++index) {
        auto *option = new QRadioButton(Main);
        option->setObjectName(u"optColor%1"_s.arg(index));
        option->setGeometry(Twips::rect(OptionLeft, OptionTop[index], 255, 195));
        // Filled with the window colour role, which setBackground changes.
        option->setBackgroundRole(QPalette::Window);
        option->setAutoFillBackground(true);
        setBackground(option, inactiveCaptionColor(option));
        group->addButton(option, index);
        connect(option, &QRadioButton::clicked, this, [this, index] { optColor_Click(index); });
        m_optColor.append(option);
    }

    showColour(m_session.digitColour());
    connect(&m_session, &Session::digitColourChanged, this, &VolumeDigits::showColour);

    // Lit only while a station is on air, not while its lookup runs.
    connect(&m_session, &Session::onAirChanged, this, [this](bool onAir) { SetVolNum(!onAir); });
    connect(&m_session, &Session::volumeStepChanged, this, [this] {
        if (m_session.onAir())
            SetVolNum(false);
    });
}

QString VolumeDigits::builtInPicture(int colourSet, int element) {
    static const std::array<QString, SetCount> folders = {u"red"_s, u"green"_s, u"blue"_s,
                                                          u"custom"_s};
    return u":/digits/%1/%2.gif"_s.arg(folders.at(colourSet)).arg(element);
}

void VolumeDigits::setCustomPicture(int element, const QImage &picture) {
    if (element < 0 || element >= Elements)
        return;
    const bool tooLarge =
        picture.width() > DigitBox.width() || picture.height() > DigitBox.height();
    const QImage fitted =
        tooLarge ? picture.scaled(DigitBox, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                 : picture;
    m_sets[Custom][element]->setPicture(QPixmap::fromImage(fitted));
}

void VolumeDigits::SetVolNum(bool Apagado) {
    for (int element = 0; element <= OffPicture; ++element) {
        for (int set = 0; set < SetCount; ++set)
            m_sets[set][element]->setVisible(!Apagado && element == m_session.volumeStep());
    }
    if (Apagado) {
        for (int set = 0; set < SetCount; ++set)
            m_sets[set][OffPicture]->setVisible(true);
    }
}

void VolumeDigits::optColor_Click(int Index) {
    if (Index < 0 || Index >= SetCount)
        return;
    m_session.setDigitColour(DigitColour(Index));
    // The player lies outside the window, so no option keeps a focus mark. This
    // also runs before the window is first shown, where the move may fail.
    if (m_mediaPlayer) {
        try {
            m_mediaPlayer->takeFocus();
        } catch (const PlayerError &) {
        }
    }
}

void VolumeDigits::showColour(DigitColour colour) {
    const int shown = int(colour);
    for (int element = 0; element <= OffPicture; ++element) {
        for (int set = SetCount - 1; set >= 0; --set)
            m_sets[set][element]->move(set == shown ? DisplayPosition : ParkingPosition);
    }
    for (QRadioButton *option : m_optColor)
        setBackground(option, inactiveCaptionColor(option));
    m_optColor[shown]->setChecked(true);
    setBackground(m_optColor[shown], Qt::white);
}
