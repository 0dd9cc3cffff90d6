#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <utility>

// The settings the playback engine gets: our own for internet radio, then
// the ones a person adds through SINTONET_MPV_OPTIONS (to send the sound to a
// file, to silence it, to debug a stream), which win over ours.
namespace EngineOptions {

using Option = std::pair<QByteArray, QByteArray>;

inline constexpr char EnvironmentVariable[] = "SINTONET_MPV_OPTIONS";

QList<Option> radioDefaults();

// "name=value,name=value". A bare name means "yes". Two components run side
// by side, so a value naming a file or socket gets the component's name
// inserted before its extension: /tmp/out.wav becomes /tmp/out.RealAudio1.wav.
QList<Option> parse(const QString &text, const QString &componentName);

QList<Option> fromEnvironment(const QString &componentName);

} // namespace EngineOptions
