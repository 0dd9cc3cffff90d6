#pragma once

#include <QColor>

// What the program and its web page helper (sintonet-valdren-web, beside the
// executable) agree on. The program starts the helper as
//   sintonet-valdren-web <box window id> <width> <height> <page address>
// and the helper puts its view inside that window, then writes ReadyLine on
// its standard output. It ends when its standard input reaches its end, which
// happens whatever way the program ends, since the program holds the other end.
namespace WebHelper {

inline constexpr char ExecutableName[] = "sintonet-valdren-web";
// Where tests, which run from elsewhere, name the helper's executable.
inline constexpr char ExecutableVariable[] = "SINTONET_WEB_HELPER";
inline constexpr char ReadyLine[] = "ready\n";
// The largest box the helper accepts, in pixels each way.
inline constexpr int MaxSide = 4096;

// The page's own background, so the box does not flash white before the
// engine has drawn the page.
inline QColor pageBackground() {
    return QColor(0x14, 0x32, 0x5c);
}

} // namespace WebHelper
