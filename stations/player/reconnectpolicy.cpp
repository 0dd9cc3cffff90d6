#include "reconnectpolicy.h"

#include <algorithm>

void ReconnectPolicy::restart() {
    m_delayMs = FirstDelayMs;
    m_wasLive = false;
    m_playingFrom.reset();
}

void ReconnectPolicy::resume() {
    m_delayMs = FirstDelayMs;
    m_wasLive = true;
    m_playingFrom.reset();
}

void ReconnectPolicy::playingFrom(qint64 nowMs) {
    m_playingFrom = nowMs;
}

int ReconnectPolicy::dropped(qint64 nowMs) {
    m_wasLive = true;
    return nextDelay(nowMs);
}

std::optional<int> ReconnectPolicy::failed(qint64 nowMs) {
    if (!m_wasLive)
        return std::nullopt;
    return nextDelay(nowMs);
}

int ReconnectPolicy::nextDelay(qint64 nowMs) {
    if (m_playingFrom && nowMs - *m_playingFrom >= SteadyPlayMs)
        m_delayMs = FirstDelayMs;
    m_playingFrom.reset();
    const int delay = m_delayMs;
    m_delayMs = std::min(m_delayMs * 2, LastDelayMs);
    return delay;
}
