#pragma once

#include <QString>

#include <optional>

// The window state the program starts in when it connects by itself.
enum class StartState { InTray, Minimized, Normal };

// The colour set of the volume digits, in the order of the option buttons.
enum class DigitColour { Red, Green, Blue, Custom };

// The keys of the settings file's [General] section. Read once at start-up; the six written
// once at close, and nothing else touches the file.
struct Settings {
    QString lastCountry;                   // "LastCountry": the country shown at the last close
    QString lastRadio;                     // "LastRadio": the station of the last connect attempt
    QString skin;                          // "Skin": the caption of the chosen skin; empty for none
    DigitColour digits = DigitColour::Red; // "NumberType"
    bool autoconnect = false;              // "Autoconnect": exactly "1" turns it on
    std::optional<StartState> status;      // "Status"; empty when none is chosen
    // "Notificaciones": desktop notifications; exactly "0" turns them off. Set by hand and
    // never written, so the user's line stays as it is.
    bool notifications = true;

    // A missing or unreadable file gives the defaults.
    static Settings read(const QString &path);
    // One write for the six: a close cut short keeps the old settings or the new ones.
    static void write(const QString &path, const Settings &settings);

    // The words stored in the file. Reading ignores letter case; an unknown word is the
    // default (red digits, a normal window).
    static DigitColour digitColourFromWord(const QString &word);
    static QString wordOf(DigitColour colour);
    static StartState startStateFromWord(const QString &word);
    static QString wordOf(std::optional<StartState> state);
};
