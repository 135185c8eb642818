#include "saver/win/WinSaverWindow.h"

#include "platform/ErrorText.h"
#include "platform/win/Utf16.h"
#include "platform/win/WinPlatformKind.h"
#include "saver/win/WinFont.h"

#include <windows.h>

#include <imm.h>

#include <utility>
#include <vector>

namespace slidora::win {

namespace {

const wchar_t* const kWindowClass = L"SlidoraSaver";
const wchar_t* const kWindowCaption = L"SlidoraSaver";
// The program's icon in the executable's resources.
constexpr int kProgramIconResource = 1;
constexpr UINT_PTR kClockTimerId = 1;
// Posted by the preparing thread when a picture is ready to be taken.
constexpr UINT kPreparationDoneMessage = WM_APP + 1;
// How often the preview looks for its host besides waiting for its process.
constexpr DWORD kHostWatchMs = 250;

COLORREF colourRef(Rgb c) {
    return RGB(c.red, c.green, c.blue);
}

bool contains(const Rect& r, Point p) {
    return p.x >= r.left && p.y >= r.top && p.x < r.left + r.width && p.y < r.top + r.height;
}

LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* window = reinterpret_cast<WinSaverWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (window == nullptr || window->hwnd() != hwnd)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    return static_cast<LRESULT>(window->handleMessage(message, wParam, lParam));
}

void registerClass(HINSTANCE instance) {
    static const bool registered = [instance] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = windowProc;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        wc.lpszClassName = kWindowClass;
        return RegisterClassExW(&wc) != 0;
    }();
    if (!registered) throw SlidoraError("RegisterClassExW failed");
}

// A bitmap's header for GDI: its size, its row order, and for 8 bits its
// colour table.
struct DibHeader {
    BITMAPINFOHEADER header;
    RGBQUAD colours[256];
};

DibHeader dibHeaderOf(const Bitmap& bmp) {
    DibHeader h{};
    h.header.biSize = sizeof h.header;
    h.header.biWidth = bmp.width();
    h.header.biHeight = bmp.rowOrder() == RowOrder::TopDown ? -bmp.height() : bmp.height();
    h.header.biPlanes = 1;
    h.header.biBitCount = static_cast<WORD>(bmp.bitsPerPixel());
    h.header.biCompression = BI_RGB;
    if (bmp.bitsPerPixel() == 8) {
        const auto& palette = bmp.palette();
        h.header.biClrUsed = 256;
        for (std::size_t i = 0; i < palette.size() && i < 256; ++i)
            h.colours[i] = RGBQUAD{palette[i].blue, palette[i].green, palette[i].red, 0};
    }
    return h;
}

HPALETTE paletteOf(const Bitmap& bmp) {
    const auto& entries = bmp.palette();
    if (entries.empty()) return nullptr;
    const std::size_t n = std::min<std::size_t>(entries.size(), 256);
    std::vector<unsigned char> storage(sizeof(LOGPALETTE) + n * sizeof(PALETTEENTRY));
    auto* logical = reinterpret_cast<LOGPALETTE*>(storage.data());
    logical->palVersion = 0x300;
    logical->palNumEntries = static_cast<WORD>(n);
    for (std::size_t i = 0; i < n; ++i)
        logical->palPalEntry[i] =
            PALETTEENTRY{entries[i].red, entries[i].green, entries[i].blue, 0};
    return CreatePalette(logical);
}

// A screen-compatible DC for measuring, released with the object.
class MeasuringDc {
  public:
    explicit MeasuringDc(HWND window) : m_window(window), m_dc(GetDC(window)) {}
    ~MeasuringDc() {
        if (m_dc != nullptr) ReleaseDC(m_window, m_dc);
    }
    MeasuringDc(const MeasuringDc&) = delete;
    MeasuringDc& operator=(const MeasuringDc&) = delete;
    HDC get() const { return m_dc; }

  private:
    HWND m_window;
    HDC m_dc;
};

Size textExtent(HDC dc, const std::string& text, const FontSpec& font) {
    HFONT hfont = createFont(font, text, dc);
    HGDIOBJ old = hfont != nullptr ? SelectObject(dc, hfont) : nullptr;
    const std::wstring wide = toUtf16(text);
    SIZE extent{};
    GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &extent);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    if (old != nullptr) SelectObject(dc, old);
    if (hfont != nullptr) DeleteObject(hfont);
    return {static_cast<int>(extent.cx), static_cast<int>(metrics.tmHeight)};
}

// Draws `text` with its top-left corner at `at`, without a background of its
// own.
void drawText(HDC dc, const std::string& text, const FontSpec& font, Rgb colour, Point at) {
    HFONT hfont = createFont(font, text, dc);
    HGDIOBJ old = hfont != nullptr ? SelectObject(dc, hfont) : nullptr;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colourRef(colour));
    const std::wstring wide = toUtf16(text);
    TextOutW(dc, at.x, at.y, wide.c_str(), static_cast<int>(wide.size()));
    if (old != nullptr) SelectObject(dc, old);
    if (hfont != nullptr) DeleteObject(hfont);
}

FontSpec designLabelFont() {
    FontSpec font;
    font.family = kWindowFace;
    font.pixelSize = kOverlayDesignPixels;
    return font;
}

} // namespace

WinSaverWindow::WinSaverWindow(HWND parent, SaverServices& services)
    // A window handle's value fits in 32 bits, and no valid handle has 0
    // there, so the logic's preview test stays right on 64-bit Windows.
    : m_parent(parent), m_core(static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(parent)),
                               services, *this) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    registerClass(instance);
    const bool preview = parent != nullptr;
    const DWORD style = preview ? WS_CHILD | WS_DISABLED : WS_POPUP;
    // Off the task bar: the full-screen saver has no button there.
    const DWORD exStyle = preview ? 0 : WS_EX_TOPMOST | WS_EX_TOOLWINDOW;
    m_hwnd = CreateWindowExW(exStyle, kWindowClass, kWindowCaption, style, 0, 0, 0, 0, parent,
                             nullptr, instance, this);
    if (m_hwnd == nullptr)
        throw SlidoraError("CreateWindowExW failed (" + std::to_string(GetLastError()) + ")");
    // Key presses end the show; no input method may take them.
    ImmAssociateContext(m_hwnd, nullptr);
    m_timer = std::make_unique<WinTimer>(m_hwnd, static_cast<unsigned>(kClockTimerId));
    services.timer = m_timer.get();
    if (preview) {
        DWORD hostProcess = 0;
        GetWindowThreadProcessId(parent, &hostProcess);
        if (hostProcess != 0 && hostProcess != GetCurrentProcessId())
            m_hostProcess = OpenProcess(SYNCHRONIZE, FALSE, hostProcess);
    }
    m_icon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kProgramIconResource),
                                           IMAGE_ICON, kIconDesignRect.width,
                                           kIconDesignRect.height, LR_DEFAULTCOLOR));
    m_overlayFont = designLabelFont();
    m_overlay.text = kOverlayDesignCaption;
    m_overlay.box = kOverlayDesignRect;
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const COLORREF text = GetSysColor(COLOR_WINDOWTEXT);
    m_overlay.background = {GetRValue(face), GetGValue(face), GetBValue(face)};
    m_overlay.textColour = {GetRValue(text), GetGValue(text), GetBValue(text)};
}

WinSaverWindow::~WinSaverWindow() {
    if (m_cursorHidden) setCursorHidden(false);
    if (m_screenSaverRunningSet) {
        BOOL previous = FALSE;
        SystemParametersInfoW(SPI_SETSCREENSAVERRUNNING, FALSE, &previous, 0);
    }
    // The timer outlives the core (declared before it), which switches it
    // off as it goes. Messages still dispatched to the window (a closed
    // show's, or one that failed) find no object behind it.
    if (m_hwnd != nullptr && !m_destroyed) {
        SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, 0);
        if (!m_core.closed()) DestroyWindow(m_hwnd);
    }
    if (m_palette != nullptr) DeleteObject(m_palette);
    if (m_icon != nullptr) DestroyIcon(m_icon);
    if (m_hostProcess != nullptr) CloseHandle(m_hostProcess);
}

void WinSaverWindow::start() {
    if (m_parent == nullptr && platformKind() == kPlatformWindows9x) {
        // Tells the 9x family that a saver runs (which locks its task
        // switching keys); undone when the window closes.
        BOOL previous = FALSE;
        m_screenSaverRunningSet =
            SystemParametersInfoW(SPI_SETSCREENSAVERRUNNING, TRUE, &previous, 0) != FALSE;
    }
    m_core.start();
}

void WinSaverWindow::show() {
    if (m_core.closed() || m_destroyed) return;
    ShowWindow(m_hwnd, SW_SHOW);
    if (m_parent == nullptr) {
        SetWindowPos(m_hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        SetForegroundWindow(m_hwnd);
        SetFocus(m_hwnd);
    }
    UpdateWindow(m_hwnd);
}

void WinSaverWindow::invalidate() {
    if (m_hwnd != nullptr && !m_destroyed) InvalidateRect(m_hwnd, nullptr, FALSE);
}

void WinSaverWindow::setWindowRect(const Rect& rect) {
    SetWindowPos(m_hwnd, nullptr, rect.left, rect.top, rect.width, rect.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void WinSaverWindow::showBitmap(Bitmap bitmap, Point at) {
    m_picture = std::move(bitmap);
    m_pictureAt = at;
    if (m_palette != nullptr) {
        DeleteObject(m_palette);
        m_palette = nullptr;
    }
    if (m_picture->bitsPerPixel() == 8) {
        m_palette = paletteOf(*m_picture);
        realizePalette();
    }
    invalidate();
}

void WinSaverWindow::clearPicture() {
    // An empty picture stands in the icon's place and draws nothing.
    m_picture = Bitmap();
    m_overlayShown = false;
    invalidate();
}

void WinSaverWindow::presentNow() {
    // WM_PAINT is sent at once for what is invalid, instead of waiting until
    // the queue is empty.
    if (m_hwnd != nullptr) UpdateWindow(m_hwnd);
}

void WinSaverWindow::wakeForPreparation() {
    // Posted to the window's own queue; a message for a window that has gone
    // is dropped.
    PostMessageW(m_hwnd, kPreparationDoneMessage, 0, 0);
}

void WinSaverWindow::moveIcon(Point topLeft) {
    m_iconAt = topLeft;
    invalidate();
}

void WinSaverWindow::setBackground(Rgb colour) {
    // The same colour again repaints nothing.
    if (colour == m_background) return;
    m_background = colour;
    invalidate();
}

void WinSaverWindow::setOverlayFont(const FontSpec& font) {
    m_overlayFont = font;
    invalidate();
}

void WinSaverWindow::setOverlay(const OverlaySpec& overlay) {
    m_overlay = overlay;
    m_overlayShown = true;
    invalidate();
}

void WinSaverWindow::hideOverlay() {
    m_overlayShown = false;
    invalidate();
}

void WinSaverWindow::setMessage(const MessageLine& line) {
    m_message = line;
    invalidate();
}

void WinSaverWindow::setSecondLine(const MessageLine& line) {
    m_secondLine = line;
    const Size size = measureText(line.text, line.font);
    m_secondLineBox = {line.at.x, line.at.y, size.width, size.height};
    invalidate();
}

Size WinSaverWindow::measureText(const std::string& text, const FontSpec& font) const {
    const MeasuringDc dc(m_hwnd);
    if (dc.get() == nullptr) return {};
    return textExtent(dc.get(), text, font);
}

void WinSaverWindow::setCursorHidden(bool hidden) {
    if (hidden == m_cursorHidden) return;
    m_cursorHidden = hidden;
    ShowCursor(hidden ? FALSE : TRUE);
}

void WinSaverWindow::closeWindow() {
    if (m_screenSaverRunningSet) {
        BOOL previous = FALSE;
        SystemParametersInfoW(SPI_SETSCREENSAVERRUNNING, FALSE, &previous, 0);
        m_screenSaverRunningSet = false;
    }
    // Neither hidden nor destroyed here: the application ends right after
    // this and the window goes with it. Hiding or destroying a full-screen
    // window waits for a window manager to confirm it under Wine, two
    // seconds without one.
}

bool WinSaverWindow::overChild(Point client) const {
    const Rect image =
        m_picture ? Rect{m_pictureAt.x, m_pictureAt.y, m_picture->width(), m_picture->height()}
                  : Rect{m_iconAt.x, m_iconAt.y, kIconDesignRect.width, kIconDesignRect.height};
    if (contains(image, client)) return true;
    if (m_overlayShown && contains(m_overlay.box, client)) return true;
    return m_secondLine && contains(m_secondLineBox, client);
}

void WinSaverWindow::realizePalette() {
    if (m_palette == nullptr || m_destroyed) return;
    HDC dc = GetDC(m_hwnd);
    if (dc == nullptr) return;
    HPALETTE old = SelectPalette(dc, m_palette, FALSE);
    if (RealizePalette(dc) > 0) invalidate();
    SelectPalette(dc, old, FALSE);
    ReleaseDC(m_hwnd, dc);
}

void WinSaverWindow::paint() {
    PAINTSTRUCT ps{};
    HDC target = BeginPaint(m_hwnd, &ps);
    if (target == nullptr) return;
    RECT client{};
    GetClientRect(m_hwnd, &client);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    // Drawn off screen first, so that a new picture never shows half-drawn.
    HDC dc = CreateCompatibleDC(target);
    HBITMAP buffer = dc != nullptr ? CreateCompatibleBitmap(target, width, height) : nullptr;
    if (buffer == nullptr) {
        if (dc != nullptr) DeleteDC(dc);
        EndPaint(m_hwnd, &ps);
        return;
    }
    HGDIOBJ oldBitmap = SelectObject(dc, buffer);
    HPALETTE oldPalette = nullptr;
    HPALETTE oldTargetPalette = nullptr;
    if (m_palette != nullptr) {
        oldPalette = SelectPalette(dc, m_palette, FALSE);
        oldTargetPalette = SelectPalette(target, m_palette, FALSE);
        RealizePalette(target);
    }

    HBRUSH background = CreateSolidBrush(colourRef(m_background));
    FillRect(dc, &client, background);
    DeleteObject(background);

    if (m_message) drawText(dc, m_message->text, m_message->font, m_message->colour, m_message->at);

    if (m_picture && !m_picture->empty()) {
        const Bitmap& bmp = *m_picture;
        const DibHeader header = dibHeaderOf(bmp);
        StretchDIBits(dc, m_pictureAt.x, m_pictureAt.y, bmp.width(), bmp.height(), 0, 0,
                      bmp.width(), bmp.height(), bmp.data(),
                      reinterpret_cast<const BITMAPINFO*>(&header), DIB_RGB_COLORS, SRCCOPY);
    } else if (!m_picture && m_icon != nullptr) {
        DrawIconEx(dc, m_iconAt.x, m_iconAt.y, m_icon, kIconDesignRect.width,
                   kIconDesignRect.height, 0, nullptr, DI_NORMAL);
    }

    if (m_overlayShown && m_overlay.box.width > 0 && m_overlay.box.height > 0) {
        const Rect& b = m_overlay.box;
        RECT box{b.left, b.top, b.left + b.width, b.top + b.height};
        HBRUSH fill = CreateSolidBrush(colourRef(m_overlay.background));
        FillRect(dc, &box, fill);
        DeleteObject(fill);
        HRGN clip = CreateRectRgnIndirect(&box);
        SelectClipRgn(dc, clip);
        drawText(dc, m_overlay.text, m_overlayFont, m_overlay.textColour, {b.left, b.top});
        SelectClipRgn(dc, nullptr);
        DeleteObject(clip);
    }

    if (m_secondLine)
        drawText(dc, m_secondLine->text, m_secondLine->font, m_secondLine->colour,
                 m_secondLine->at);

    BitBlt(target, 0, 0, width, height, dc, 0, 0, SRCCOPY);
    if (m_palette != nullptr) {
        SelectPalette(dc, oldPalette, FALSE);
        SelectPalette(target, oldTargetPalette, FALSE);
    }
    SelectObject(dc, oldBitmap);
    DeleteObject(buffer);
    DeleteDC(dc);
    EndPaint(m_hwnd, &ps);
}

bool WinSaverWindow::hostGone() const {
    if (m_parent == nullptr) return false;
    if (!IsWindow(m_parent) || !IsWindow(m_hwnd)) return true;
    return m_hostProcess != nullptr && WaitForSingleObject(m_hostProcess, 0) == WAIT_OBJECT_0;
}

void WinSaverWindow::runMessageLoop() {
    MSG msg{};
    for (;;) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) return;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        // A host that ends without destroying its window first (killed, or
        // crashed) may leave this window without a message: the preview
        // then ends with the host's process.
        if (!m_core.closed() && hostGone()) {
            m_core.onEndRequest();
            continue;
        }
        const DWORD handles = m_hostProcess != nullptr ? 1 : 0;
        MsgWaitForMultipleObjects(handles, handles != 0 ? &m_hostProcess : nullptr, FALSE,
                                  m_parent != nullptr ? kHostWatchMs : INFINITE, QS_ALLINPUT);
    }
}

std::intptr_t WinSaverWindow::handleMessage(unsigned message, std::uintptr_t wParam,
                                            std::intptr_t lParam) {
    const auto clientPoint = [lParam] {
        return Point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    };
    switch (message) {
    case WM_TIMER:
        if (wParam == kClockTimerId) m_timer->onTick();
        return 0;
    case kPreparationDoneMessage:
        m_core.onPreparationReady();
        return 0;
    case WM_PAINT:
        paint();
        return 0;
    case WM_ERASEBKGND:
        return 1; // painting covers every pixel
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        m_core.onKey();
        return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_XBUTTONDOWN:
        if (!overChild(clientPoint())) m_core.onMouseDown();
        return 0;
    case WM_MOUSEMOVE: {
        const Point at = clientPoint();
        if (m_parent != nullptr || overChild(at)) return 0;
        POINT screen{at.x, at.y};
        ClientToScreen(m_hwnd, &screen);
        m_core.onMouseMove({screen.x, screen.y});
        return 0;
    }
    case WM_SYSCOMMAND:
        // No saver starts over the running one.
        if ((wParam & 0xFFF0) == SC_SCREENSAVE) return 1;
        break;
    case WM_POWERBROADCAST:
    case WM_POWER:
        m_core.onPowerMessage();
        return 0;
    case WM_QUERYENDSESSION:
        return m_core.onSessionEndQuery() ? TRUE : FALSE;
    case WM_ENDSESSION:
        if (wParam != FALSE) m_core.onEndRequest();
        return 0;
    case WM_CLOSE:
        m_core.onCloseRequest();
        return 0;
    case WM_QUERYNEWPALETTE:
        realizePalette();
        return m_palette != nullptr ? TRUE : FALSE;
    case WM_PALETTECHANGED:
        if (reinterpret_cast<HWND>(wParam) != m_hwnd) realizePalette();
        return 0;
    case WM_DESTROY:
        // The preview's host took the window with it.
        m_destroyed = true;
        if (!m_core.closed()) m_core.onEndRequest();
        return 0;
    default:
        break;
    }
    return static_cast<std::intptr_t>(
        DefWindowProcW(m_hwnd, message, static_cast<WPARAM>(wParam), static_cast<LPARAM>(lParam)));
}

} // namespace slidora::win
