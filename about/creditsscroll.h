#pragma once

// The credits panel rises one pixel (15 twips) a tick, and once it has
// wholly left the viewport it starts again just above the viewport's bottom.
namespace CreditsScroll {

inline constexpr int StartTop = 3310;
inline constexpr int Step = 15;
inline constexpr int RestartBelow = -9000;

// The panel's top, in twips, after one tick.
constexpr int nextTop(int top) {
    if (top < RestartBelow)
        top = StartTop;
    return top - Step;
}

} // namespace CreditsScroll
