#pragma once
// The saver's clock over WM_TIMER: a window timer of the saver window, so
// its ticks arrive on the user-interface thread, also inside modal loops
// (message boxes, the password dialog) that dispatch the window's messages.
#include "platform/Clock.h"

#include <functional>

struct HWND__;

namespace slidora::win {

class WinTimer final : public Timer {
  public:
    // `window` receives WM_TIMER with `id` and hands it to onTick().
    WinTimer(HWND__* window, unsigned id) : m_window(window), m_id(id) {}
    ~WinTimer() override;
    WinTimer(const WinTimer&) = delete;
    WinTimer& operator=(const WinTimer&) = delete;

    void setIntervalMs(int intervalMs) override;
    int intervalMs() const override { return m_intervalMs; }
    void setEnabled(bool enabled) override;
    bool enabled() const override { return m_enabled; }
    void setHandler(std::function<void()> handler) override { m_handler = std::move(handler); }

    unsigned id() const { return m_id; }
    // The window procedure's WM_TIMER for this id.
    void onTick();

  private:
    // Sets or kills the system timer to match the state.
    void apply();

    HWND__* m_window;
    unsigned m_id;
    int m_intervalMs = 0;
    bool m_enabled = false;
    bool m_running = false; // a system timer is set
    std::function<void()> m_handler;
};

} // namespace slidora::win
