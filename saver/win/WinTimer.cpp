#include "saver/win/WinTimer.h"

#include <windows.h>

namespace slidora::win {

WinTimer::~WinTimer() {
    if (m_running) KillTimer(m_window, m_id);
}

void WinTimer::setIntervalMs(int intervalMs) {
    if (intervalMs == m_intervalMs) return;
    m_intervalMs = intervalMs;
    // A new interval restarts a running timer from now, as SetTimer does.
    if (m_running) {
        KillTimer(m_window, m_id);
        m_running = false;
    }
    apply();
}

void WinTimer::setEnabled(bool enabled) {
    if (enabled == m_enabled) return;
    m_enabled = enabled;
    apply();
}

void WinTimer::apply() {
    const bool wanted = m_enabled && m_intervalMs > 0;
    if (wanted && !m_running) {
        m_running = SetTimer(m_window, m_id, static_cast<UINT>(m_intervalMs), nullptr) != 0;
    } else if (!wanted && m_running) {
        KillTimer(m_window, m_id);
        m_running = false;
    }
}

void WinTimer::onTick() {
    // A tick already queued when the timer was switched off is dropped.
    if (!m_running) return;
    if (m_handler) m_handler();
}

} // namespace slidora::win
