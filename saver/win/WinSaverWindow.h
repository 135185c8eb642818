#pragma once
// The saver window on Win32: full screen (a top-most WS_POPUP at the screen's
// origin reaching two pixels past its right and bottom edges) or a preview,
// a disabled WS_CHILD filling its host window's client area and ending with
// it. It draws what the saver's logic tells it, feeds it the window's input
// and system messages, and provides the logic's clock as a window timer; the
// logic decides everything.
#include "platform/Bitmap.h"
#include "saver/SaverCore.h"
#include "saver/SaverView.h"
#include "saver/win/WinTimer.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

struct HWND__;
struct HICON__;
struct HPALETTE__;

namespace slidora::win {

class WinSaverWindow final : public SaverView {
  public:
    // `parent` is the preview host; null for full screen. Creates the window,
    // not yet shown, and sets `services.timer` to the window's own clock
    // timer (the services must outlive the window). Throws SlidoraError when
    // the system refuses the window.
    WinSaverWindow(HWND__* parent, SaverServices& services);
    ~WinSaverWindow() override;
    WinSaverWindow(const WinSaverWindow&) = delete;
    WinSaverWindow& operator=(const WinSaverWindow&) = delete;

    // The set-up; then show() puts the window on the screen.
    void start();
    void show();
    // Dispatches the thread's messages until the application quits.
    void runMessageLoop();
    HWND__* hwnd() const { return m_hwnd; }
    bool closed() const { return m_core.closed(); }
    SaverCore& core() { return m_core; }

    // SaverView
    void setWindowRect(const Rect& rect) override;
    void showBitmap(Bitmap bitmap, Point at) override;
    void moveIcon(Point topLeft) override;
    void setBackground(Rgb colour) override;
    void setOverlayFont(const FontSpec& font) override;
    void setOverlay(const OverlaySpec& overlay) override;
    void hideOverlay() override;
    void setMessage(const MessageLine& line) override;
    void setSecondLine(const MessageLine& line) override;
    Size measureText(const std::string& text, const FontSpec& font) const override;
    void setCursorHidden(bool hidden) override;
    void closeWindow() override;
    void clearPicture() override;
    void presentNow() override;
    void wakeForPreparation() override;

    // The window procedure's work for this window: LRESULT of one message.
    std::intptr_t handleMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam);

  private:
    void paint();
    void invalidate();
    // True when `client` lies over the picture (or the icon) or a visible
    // label: presses and moves there reach nothing.
    bool overChild(Point client) const;
    void realizePalette();
    bool hostGone() const;

    HWND__* m_parent;
    HWND__* m_hwnd = nullptr;
    void* m_hostProcess = nullptr; // the preview host's process, owned
    std::unique_ptr<WinTimer> m_timer;
    HICON__* m_icon = nullptr;

    Rgb m_background{0, 128, 128};
    // The picture as shown, or the icon while none is.
    std::optional<Bitmap> m_picture;
    HPALETTE__* m_palette = nullptr; // for an 8-bit picture
    Point m_pictureAt;
    Point m_iconAt{kIconDesignRect.left, kIconDesignRect.top};
    FontSpec m_overlayFont;
    OverlaySpec m_overlay;
    bool m_overlayShown = true;
    std::optional<MessageLine> m_message;
    std::optional<MessageLine> m_secondLine;
    Rect m_secondLineBox;
    bool m_cursorHidden = false;
    bool m_screenSaverRunningSet = false;
    bool m_destroyed = false;
    SaverCore m_core;
};

} // namespace slidora::win
