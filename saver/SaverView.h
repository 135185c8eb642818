#pragma once
// What the saver's logic draws through: one implementation per toolkit, and a
// recording one in tests. The view holds the window's parts as the form
// designs them (the icon at kIconDesignRect, the overlay label with its
// design caption, a hidden second message line) and changes them only when
// told; it decides nothing.
#include "platform/Bitmap.h"
#include "platform/FontSpec.h"
#include "platform/Geometry.h"

#include <string>

namespace slidora {

// The program icon's place and size in the window before set-up moves it.
inline constexpr Rect kIconDesignRect{53, 5, 32, 32};
// The overlay label's design box, caption and pixel height, kept until the
// first picture places it.
inline constexpr Rect kOverlayDesignRect{384, 296, 50, 18};
inline constexpr const char* kOverlayDesignCaption = "Label1";
inline constexpr int kOverlayDesignPixels = 18;
// The window's own face; the view adds a gothic face with the Japanese
// glyphs behind it where it is not installed.
inline constexpr const char* kWindowFace = "ＭＳ Ｐゴシック";

// The overlay label's text, box and colours.
struct OverlaySpec {
    std::string text;
    Rect box;
    Rgb background;
    Rgb textColour;
};

// A line of message-mode text. `at` is the top-left corner of the text's
// line box in window pixels.
struct MessageLine {
    std::string text;
    Point at;
    Rgb colour;
    FontSpec font;
};

class SaverView {
  public:
    virtual ~SaverView() = default;
    // The window's place and size in screen pixels (in its host's pixels
    // for a preview).
    virtual void setWindowRect(const Rect& rect) = 0;
    // Shows `bitmap` at its own size with its top-left corner at `at`
    // (negative when it is larger than the window); replaces the icon. The
    // view keeps the pixels for as long as it shows them.
    virtual void showBitmap(Bitmap bitmap, Point at) = 0;
    // Moves the icon, keeping its size.
    virtual void moveIcon(Point topLeft) = 0;
    // The colour of the whole window behind the picture and the text.
    virtual void setBackground(Rgb colour) = 0;
    virtual void setOverlayFont(const FontSpec& font) = 0;
    // Shows the overlay label with this text, box and colours, above the
    // picture.
    virtual void setOverlay(const OverlaySpec& overlay) = 0;
    virtual void hideOverlay() = 0;
    // The message-mode text drawn on the window itself.
    virtual void setMessage(const MessageLine& line) = 0;
    // The second message line above it, shown until the window closes.
    virtual void setSecondLine(const MessageLine& line) = 0;
    // Width and line height of `text` (UTF-8) in `font`.
    virtual Size measureText(const std::string& text, const FontSpec& font) const = 0;
    // Hides or restores the pointer over the whole screen.
    virtual void setCursorHidden(bool hidden) = 0;
    // Takes the window off the screen; the logic has already shut down.
    virtual void closeWindow() = 0;
    // Hides the icon and the overlay label while the first picture is being
    // prepared: the window shows only its background until showBitmap and
    // setOverlay bring them back.
    virtual void clearPicture() = 0;
    // Puts what the window now holds on the screen before returning, instead
    // of at the window's next turn of its event loop: the first picture goes
    // up before the rest of the set-up runs.
    virtual void presentNow() = 0;
    // The one call made on another thread: a preparation is done. The
    // window then calls SaverCore::onPreparationReady on its own thread,
    // soon, unless it has gone by then.
    virtual void wakeForPreparation() = 0;
};

} // namespace slidora
