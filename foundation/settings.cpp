#include "settings.h"

#include "ini.h"
#include "profilefile.h"

#include <array>

using namespace Qt::StringLiterals;

namespace {

const QString General = u"General"_s;
const QString LastCountry = u"LastCountry"_s;
const QString LastRadio = u"LastRadio"_s;
const QString Skin = u"Skin"_s;
const QString NumberType = u"NumberType"_s;
const QString Autoconnect = u"Autoconnect"_s;
const QString Status = u"Status"_s;
const QString Notifications = u"Notificaciones"_s;

const std::array<QString, 4> DigitWords = {u"Red"_s, u"Green"_s, u"Blue"_s, u"Custom"_s};

} // namespace

Settings Settings::read(const QString &path) {
    const ProfileFile file = ProfileFile::load(path);
    const auto value = [&file](const QString &key) { return file.value(General, key); };
    Settings settings;
    settings.lastCountry = value(LastCountry);
    settings.lastRadio = value(LastRadio);
    settings.skin = value(Skin);
    settings.digits = digitColourFromWord(value(NumberType));
    settings.autoconnect = value(Autoconnect) == u"1"_s;
    settings.status = startStateFromWord(value(Status));
    settings.notifications = value(Notifications) != u"0"_s;
    return settings;
}

void Settings::write(const QString &path, const Settings &settings) {
    EscribeINI(path, General,
               {{LastCountry, settings.lastCountry},
                {LastRadio, settings.lastRadio},
                {Skin, settings.skin},
                {NumberType, wordOf(settings.digits)},
                {Autoconnect, settings.autoconnect ? u"1"_s : u"0"_s},
                {Status, wordOf(settings.status)}});
}

DigitColour Settings::digitColourFromWord(const QString &word) {
    for (std::size_t i = 0; i < DigitWords.size(); ++i) {
        if (word.compare(DigitWords[i], Qt::CaseInsensitive) == 0)
            return DigitColour(i);
    }
    return DigitColour::Red;
}

QString Settings::wordOf(DigitColour colour) {
    return DigitWords.at(std::size_t(colour));
}

StartState Settings::startStateFromWord(const QString &word) {
    if (word.compare(u"InTray"_s, Qt::CaseInsensitive) == 0)
        return StartState::InTray;
    if (word.compare(u"Minimized"_s, Qt::CaseInsensitive) == 0)
        return StartState::Minimized;
    return StartState::Normal;
}

QString Settings::wordOf(std::optional<StartState> state) {
    if (!state)
        return QString();
    switch (*state) {
    case StartState::InTray:
        return u"InTray"_s;
    case StartState::Minimized:
        return u"Minimized"_s;
    case StartState::Normal:
        return u"Normal"_s;
    }
    return QString();
}
