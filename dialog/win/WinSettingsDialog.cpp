#include "dialog/win/WinSettingsDialog.h"

#include "dialog/DialogControls.h"
#include "dialog/DialogLayout.h"
#include "dialog/DialogModel.h"
#include "dialog/DialogRules.h"
#include "dialog/win/DialogTemplate.h"
#include "dialog/win/FormIcon.h"
#include "dialog/win/WinDialogBoxes.h"
#include "platform/win/Utf16.h"
#include "platform/win/WinErrorReport.h"
#include "platform/win/WinPaths.h"

#include <commctrl.h>
#include <ole2.h>

#include <algorithm>
#include <charconv>
#include <map>
#include <memory>
#include <stdexcept>
#include <vector>

namespace slidora {

namespace {

using win::DialogItem;
using win::toUtf16;
using win::toUtf8;

std::wstring windowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

// A spin edit's text as an integer; nothing when it is not one.
std::optional<int> integerText(const std::string& text) {
    const std::size_t first = text.find_first_not_of(' ');
    const std::size_t last = text.find_last_not_of(' ');
    if (first == std::string::npos) return std::nullopt;
    int value = 0;
    const char* begin = text.data() + first;
    const char* end = text.data() + last + 1;
    const auto [stop, error] = std::from_chars(begin, end, value);
    if (error != std::errc() || stop != end) return std::nullopt;
    return value;
}

// The program's folder without a trailing backslash; a root keeps it.
std::string programFolder() {
    const std::string path = win::programPath();
    const std::size_t slash = path.find_last_of("\\/");
    if (slash == std::string::npos) return {};
    if (slash == 2 && path[1] == ':') return path.substr(0, 3);
    return path.substr(0, slash);
}

// The dialog font's average character width and height, as the system
// measures them for dialog units.
win::DialogMetrics measureMetrics(const std::wstring& face) {
    win::DialogMetrics metrics;
    const HDC screen = GetDC(nullptr);
    metrics.dpi = GetDeviceCaps(screen, LOGPIXELSY);
    FontSpec form;
    form.family = toUtf8(face);
    form.pointSize = win::formFontPoints();
    form.charset = SHIFTJIS_CHARSET;
    if (const HFONT font = win::createFont(form, metrics.dpi)) {
        const HGDIOBJ old = SelectObject(screen, font);
        TEXTMETRICW text{};
        SIZE alphabet{};
        if (GetTextMetricsW(screen, &text) &&
            GetTextExtentPoint32W(screen, L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz",
                                  52, &alphabet)) {
            metrics.baseUnitX = std::max(1, static_cast<int>(alphabet.cx / 26 + 1) / 2);
            metrics.baseUnitY = std::max(1, static_cast<int>(text.tmHeight));
        }
        SelectObject(screen, old);
        DeleteObject(font);
    }
    ReleaseDC(nullptr, screen);
    return metrics;
}

constexpr UINT_PTR kReturnSubclass = 1;
// A spin edit's arrows in design pixels.
constexpr int kArrowsDesignWidth = 15;

// Return presses the dialog's default button (OK) wherever the focus is: a
// push button that has the focus does not claim it.
LRESULT CALLBACK returnGoesToDefault(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR, DWORD_PTR) {
    if (message == WM_GETDLGCODE) {
        const LRESULT code = DefSubclassProc(window, message, wParam, lParam);
        return (code & ~static_cast<LRESULT>(DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) |
               DLGC_BUTTON;
    }
    if (message == WM_NCDESTROY) RemoveWindowSubclass(window, returnGoesToDefault, kReturnSubclass);
    return DefSubclassProc(window, message, wParam, lParam);
}

class WinScSSDlg final : private DialogControls {
  public:
    WinScSSDlg(HWND owner, std::function<PowerSaveState()> powerSaveInfo)
        : m_owner(owner), m_powerSaveInfo(std::move(powerSaveInfo)) {}
    ~WinScSSDlg() override {
        for (auto& [name, font] : m_ownFonts)
            DeleteObject(font);
        if (m_tickFont) DeleteObject(m_tickFont);
        if (m_icon) DestroyIcon(m_icon);
    }
    WinScSSDlg(const WinScSSDlg&) = delete;
    WinScSSDlg& operator=(const WinScSSDlg&) = delete;

    void run() {
        m_face = win::dialogFaceName();
        m_metrics = measureMetrics(m_face);
        m_items = win::dialogItems(m_metrics);
        const std::vector<std::uint32_t> dialogTemplate =
            win::dialogTemplate(m_items, m_metrics, m_face);
        const INT_PTR result = DialogBoxIndirectParamW(
            GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(dialogTemplate.data()),
            m_owner, dialogProc, reinterpret_cast<LPARAM>(this));
        if (result == -1)
            throw std::runtime_error("the settings dialog could not be created (error " +
                                     std::to_string(GetLastError()) + ")");
    }

  private:
    static INT_PTR CALLBACK dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_INITDIALOG) {
            SetWindowLongPtrW(window, DWLP_USER, lParam);
            auto* self = reinterpret_cast<WinScSSDlg*>(lParam);
            self->m_hwnd = window;
            self->guarded([self] { self->FormCreate(); });
            return TRUE; // the focus goes to the first stop
        }
        auto* self = reinterpret_cast<WinScSSDlg*>(GetWindowLongPtrW(window, DWLP_USER));
        if (self == nullptr) return FALSE;
        INT_PTR handled = FALSE;
        self->guarded([&] { handled = self->handle(message, wParam, lParam); });
        return handled;
    }

    // Runs a handler; what it raises goes to the error report, never through
    // the system's window procedure.
    template <class Handler> bool guarded(Handler handler) {
        try {
            handler();
            return true;
        } catch (const std::exception& e) {
            reportError(e.what());
            return false;
        }
    }

    void reportError(const std::string& message) {
        win::showErrorReport(message, IsWindowVisible(m_hwnd) ? m_hwnd : m_owner);
    }

    INT_PTR handle(UINT message, WPARAM wParam, LPARAM lParam) {
        switch (message) {
        case WM_COMMAND:
            return command(LOWORD(wParam), HIWORD(wParam));
        case WM_HSCROLL:
            if (lParam != 0) sliderChanged(nameOf(reinterpret_cast<HWND>(lParam)));
            return TRUE;
        case WM_DRAWITEM:
            drawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        case WM_CTLCOLORSTATIC: {
            // Read-only path fields look like fields, not like the face.
            const std::string& name = nameOf(reinterpret_cast<HWND>(lParam));
            if (name.empty() || controlDesign(name).kind != ControlKind::PathField) return FALSE;
            SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOW));
            return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_WINDOW));
        }
        default:
            return FALSE;
        }
    }

    INT_PTR command(int id, int code) {
        if (id == IDOK) {
            // The dialog closes after OK whether or not the file was written.
            m_model->OKBtnClick();
            EndDialog(m_hwnd, IDOK);
            return TRUE;
        }
        if (id == IDCANCEL) {
            EndDialog(m_hwnd, IDCANCEL);
            return TRUE;
        }
        const std::string name = nameOf(GetDlgItem(m_hwnd, id));
        if (name.empty()) return FALSE;
        const ControlDesign& design = controlDesign(name);
        if (design.kind == ControlKind::SpinEdit && code == EN_KILLFOCUS) {
            setValue(name, value(name));
        } else if (design.kind == ControlKind::FlatButton &&
                   (code == STN_CLICKED || code == STN_DBLCLK)) {
            m_model->CuteButton1Click();
        } else if (design.kind == ControlKind::Button && code == BN_CLICKED) {
            if (name == "Button1" || name == "Button2")
                Button1Click(design.designValue);
            else if (name == "Button3")
                m_model->Button3Click();
            else if (name == "Button4")
                m_model->Button4Click();
        } else {
            return FALSE;
        }
        return TRUE;
    }

    void sliderChanged(const std::string& name) {
        if (!m_model) return;
        if (name == "Bairitu")
            m_model->BairituChange();
        else if (name == "SlideTrackBar" || name == "BColorTrackBar" || name == "TrackBar1")
            m_model->SlideTrackBarChange();
    }

    void Button1Click(int tag) {
        win::FolderPicker picker;
        picker.widthPx = m_metrics.px(300);
        picker.heightPx = m_metrics.px(400);
        picker.initialFolder = m_model->browseStartFolder(tag);
        picker.font = m_formFont;
        picker.onOk = [this, tag](const std::string& folder) {
            m_model->BrowseDlg1OKBtnClick(tag, folder);
        };
        win::browseForFolder(m_hwnd, picker);
    }

    void drawItem(const DRAWITEMSTRUCT& item) {
        RECT area = item.rcItem;
        const std::string& name = nameOf(item.hwndItem);
        if (name.empty()) return;
        if (controlDesign(name).kind == ControlKind::FlatButton) {
            FillRect(item.hDC, &area, GetSysColorBrush(COLOR_BTNFACE));
            SetBkMode(item.hDC, TRANSPARENT);
            const HGDIOBJ old = SelectObject(
                item.hDC, reinterpret_cast<HGDIOBJ>(SendMessageW(item.hwndItem, WM_GETFONT, 0, 0)));
            const std::wstring caption = windowText(item.hwndItem);
            DrawTextW(item.hDC, caption.c_str(), -1, &area,
                      DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
            SelectObject(item.hDC, old);
            return;
        }
        DrawEdge(item.hDC, &area, BDR_RAISEDINNER, BF_RECT);
    }

    // --- Creation -------------------------------------------------------

    void FormCreate() {
        placeWindow();
        for (const DialogItem& item : m_items) {
            const HWND window = GetDlgItem(m_hwnd, item.id);
            if (window == nullptr)
                throw std::logic_error("the dialog lacks its control " + item.name);
            if (item.part == win::kMainPart) {
                m_windows[item.name] = window;
                m_names[window] = item.name;
            } else if (item.windowClass == UPDOWN_CLASSW) {
                m_upDowns[item.name] = window;
            } else {
                m_radios.push_back(window);
                m_names[window] = item.name;
            }
            if (item.windowClass != UPDOWN_CLASSW)
                SetWindowPos(window, nullptr, item.pixels.left, item.pixels.top, item.pixels.width,
                             item.pixels.height, SWP_NOZORDER | SWP_NOACTIVATE);
        }
        m_formFont = reinterpret_cast<HFONT>(SendMessageW(m_hwnd, WM_GETFONT, 0, 0));
        FontSpec tick = formFontSpec();
        tick.pointSize = 0;
        tick.pixelSize = m_metrics.px(kTickFontHeight);
        m_tickFont = win::createFont(tick, m_metrics.dpi);
        for (const ControlDesign& design : DialogLayout())
            setUp(design);
        // Display paths are measured against the picture folder's field, also
        // when loading stops before it would set this.
        setWidth("Label2", width("FolderText"));
        addTooltips();
        SendMessageW(m_hwnd, DM_SETDEFID, IDOK, 0);

        DialogControls& controls = *this;
        m_model = std::make_unique<DialogModel>(controls, services());
        m_model->FormCreate();
    }

    // The client area at its design size on this screen, centred.
    void placeWindow() {
        const win::ItemRect client = win::dialogClientPixels(m_metrics);
        RECT frame{0, 0, client.width, client.height};
        AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(m_hwnd, GWL_STYLE)), FALSE,
                           static_cast<DWORD>(GetWindowLongPtrW(m_hwnd, GWL_EXSTYLE)));
        const int width = frame.right - frame.left;
        const int height = frame.bottom - frame.top;
        RECT work{};
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        SetWindowPos(m_hwnd, nullptr, work.left + (work.right - work.left - width) / 2,
                     work.top + (work.bottom - work.top - height) / 2, width, height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }

    FontSpec formFontSpec() const {
        FontSpec form;
        form.family = toUtf8(m_face);
        form.pointSize = win::formFontPoints();
        form.charset = SHIFTJIS_CHARSET;
        return form;
    }

    void setUp(const ControlDesign& d) {
        const HWND window = control(d.name);
        switch (d.kind) {
        case ControlKind::TickLabel:
            SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(m_tickFont), FALSE);
            fitToText(d.name);
            break;
        case ControlKind::Label:
        case ControlKind::RightLabel:
        case ControlKind::CheckBox:
            fitToText(d.name);
            break;
        case ControlKind::HiddenLabel:
            if (d.designValue > 0) {
                FontSpec sized = formFontSpec();
                sized.pointSize = d.designValue;
                setFont(d.name, sized);
            }
            break;
        case ControlKind::Slider:
            SendMessageW(window, TBM_SETRANGEMIN, FALSE, d.range.minimum);
            SendMessageW(window, TBM_SETRANGEMAX, FALSE, d.range.maximum);
            SendMessageW(window, TBM_SETLINESIZE, 0, d.range.lineStep);
            SendMessageW(window, TBM_SETPAGESIZE, 0, d.range.pageStep);
            SendMessageW(window, TBM_SETTICFREQ, static_cast<WPARAM>(d.range.tickInterval), 0);
            SendMessageW(window, TBM_SETPOS, TRUE, d.designValue);
            break;
        case ControlKind::SpinEdit: {
            const HWND arrows = m_upDowns.at(d.name);
            SendMessageW(arrows, UDM_SETBUDDY, reinterpret_cast<WPARAM>(window), 0);
            placeArrows(d.name);
            SendMessageW(arrows, UDM_SETRANGE32, static_cast<WPARAM>(d.range.minimum),
                         d.range.maximum);
            // The digits need all the room the arrows leave.
            SendMessageW(window, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELONG(1, 1));
            if (d.maxLength > 0)
                SendMessageW(window, EM_LIMITTEXT, static_cast<WPARAM>(d.maxLength), 0);
            setValue(d.name, d.designValue);
            break;
        }
        case ControlKind::RadioGroup:
            setValue(d.name, d.designValue);
            break;
        case ControlKind::ComboBox:
            for (const std::string& item : d.items)
                addItem(d.name, item);
            SendMessageW(window, CB_SETCURSEL, static_cast<WPARAM>(d.designValue), 0);
            break;
        case ControlKind::Picture:
            m_icon = win::createFormIcon();
            SendMessageW(window, STM_SETICON, reinterpret_cast<WPARAM>(m_icon), 0);
            break;
        case ControlKind::Button:
        case ControlKind::CancelButton:
            SetWindowSubclass(window, returnGoesToDefault, kReturnSubclass, 0);
            break;
        default:
            break;
        }
    }

    // The arrows take the right end of the spin edit's place, as wide as
    // they are at the design size: the system's width would leave too little
    // room for the digits on a screen of fewer pixels per inch.
    void placeArrows(const std::string& name) {
        const DialogItem& edit = item(name, win::kMainPart);
        const int arrowsWidth = std::min(m_metrics.px(kArrowsDesignWidth), edit.pixels.width / 2);
        SetWindowPos(control(name), nullptr, edit.pixels.left, edit.pixels.top,
                     edit.pixels.width - arrowsWidth, edit.pixels.height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        SetWindowPos(m_upDowns.at(name), nullptr,
                     edit.pixels.left + edit.pixels.width - arrowsWidth, edit.pixels.top,
                     arrowsWidth, edit.pixels.height, SWP_NOZORDER | SWP_NOACTIVATE);
    }

    const DialogItem& item(const std::string& name, int part) const {
        for (const DialogItem& i : m_items)
            if (i.name == name && i.part == part) return i;
        throw std::logic_error("the dialog has no such control: " + name);
    }

    // Every control with a hint shows it; the path fields always have a tool
    // so that their hint can follow the folder shown.
    void addTooltips() {
        m_tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                    WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hwnd, nullptr,
                                    GetModuleHandleW(nullptr), nullptr);
        if (m_tooltip == nullptr) return;
        SendMessageW(m_tooltip, TTM_SETMAXTIPWIDTH, 0, m_metrics.px(600));
        // The hints are Japanese: in the dialog's face, not the system's.
        SendMessageW(m_tooltip, WM_SETFONT, reinterpret_cast<WPARAM>(m_formFont), FALSE);
        for (const ControlDesign& d : DialogLayout()) {
            if (d.hint.empty() && d.kind != ControlKind::PathField) continue;
            if (d.kind == ControlKind::RadioGroup)
                for (HWND button : m_radios)
                    addTool(button, d.hint);
            addTool(control(d.name), d.hint);
        }
    }

    TTTOOLINFOW toolFor(HWND window) const {
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = m_hwnd;
        tool.uId = reinterpret_cast<UINT_PTR>(window);
        return tool;
    }

    void addTool(HWND window, const std::string& hint) {
        TTTOOLINFOW tool = toolFor(window);
        std::wstring text = toUtf16(hint);
        tool.lpszText = text.data();
        SendMessageW(m_tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }

    void setHint(HWND window, const std::string& hint) {
        if (m_tooltip == nullptr) return;
        TTTOOLINFOW tool = toolFor(window);
        std::wstring text = toUtf16(hint);
        tool.lpszText = text.data();
        SendMessageW(m_tooltip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    }

    // A label or check box takes the size of its caption.
    void fitToText(const std::string& name) {
        const HWND window = control(name);
        const std::wstring text = windowText(window);
        const HDC dc = GetDC(window);
        const HGDIOBJ old =
            SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(window, WM_GETFONT, 0, 0)));
        RECT size{0, 0, 0, 0};
        DrawTextW(dc, text.empty() ? L" " : text.c_str(), -1, &size, DT_CALCRECT | DT_SINGLELINE);
        SelectObject(dc, old);
        ReleaseDC(window, dc);
        int width = size.right;
        int height = size.bottom;
        if (controlDesign(name).kind == ControlKind::CheckBox) {
            width += GetSystemMetrics(SM_CXMENUCHECK) + GetSystemMetrics(SM_CXEDGE) * 3;
            height = std::max<int>(height, GetSystemMetrics(SM_CYMENUCHECK));
        }
        if (text.empty()) width = 0;
        SetWindowPos(window, nullptr, 0, 0, width, height,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    DialogServices services() {
        DialogServices s;
        s.settingsPath = win::settingsPath();
        s.readerContext.programDir = programFolder();
        s.readerContext.iconFontName = win::iconFontName();
        s.readerContext.dialogFontSize =
            defaultFontSizeText(m_metrics.dpi, GetSystemMetrics(SM_CXSCREEN));
        s.versionText = win::fileVersionText(win::programPath());
        s.decimalPoint = win::decimalPoint();
        s.powerSaveInfo = m_powerSaveInfo ? m_powerSaveInfo : [] { return PowerSaveState{}; };
        s.defaultPictureFolder = win::defaultPictureFolder;
        s.errorReport = [this](const std::string& message) { reportError(message); };
        s.confirm = [this](const std::string& message) {
            // Over the folder picker while it is open.
            const HWND active = GetActiveWindow();
            return win::askConfirmation(active ? active : m_hwnd, message);
        };
        s.fontChooser = [this](const FontSpec& initial) {
            return win::chooseFont(m_hwnd, initial, m_metrics.dpi);
        };
        s.picFolderChk = PicFolderChk;
        s.audFolderChk = AudFolderChk;
        s.setBusy = [this](bool busy) {
            if (busy)
                m_idleCursor = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
            else
                SetCursor(m_idleCursor ? m_idleCursor : LoadCursorW(nullptr, IDC_ARROW));
        };
        return s;
    }

    // --- The controls by name -------------------------------------------

    HWND control(const std::string& name) const {
        const auto found = m_windows.find(name);
        if (found == m_windows.end())
            throw std::logic_error("the dialog has no such control: " + name);
        return found->second;
    }

    const std::string& nameOf(HWND window) const {
        static const std::string kNone;
        const auto found = m_names.find(window);
        return found == m_names.end() ? kNone : found->second;
    }

    int value(const std::string& name) const override {
        const ControlDesign& d = controlDesign(name);
        const HWND window = control(name);
        switch (d.kind) {
        case ControlKind::Slider:
            return static_cast<int>(SendMessageW(window, TBM_GETPOS, 0, 0));
        case ControlKind::SpinEdit: {
            const std::optional<int> typed = integerText(toUtf8(windowText(window)));
            return std::clamp(typed.value_or(d.range.minimum), d.range.minimum, d.range.maximum);
        }
        case ControlKind::RadioGroup:
            for (std::size_t i = 0; i < m_radios.size(); ++i)
                if (SendMessageW(m_radios[i], BM_GETCHECK, 0, 0) == BST_CHECKED)
                    return static_cast<int>(i);
            return -1;
        case ControlKind::ComboBox:
            return static_cast<int>(SendMessageW(window, CB_GETCURSEL, 0, 0));
        default:
            throw std::logic_error("the control holds no value: " + name);
        }
    }

    void setValue(const std::string& name, int value) override {
        const ControlDesign& d = controlDesign(name);
        const HWND window = control(name);
        switch (d.kind) {
        case ControlKind::Slider:
            SendMessageW(window, TBM_SETPOS, TRUE,
                         std::clamp(value, d.range.minimum, d.range.maximum));
            sliderChanged(name);
            break;
        case ControlKind::SpinEdit: {
            const int inRange = std::clamp(value, d.range.minimum, d.range.maximum);
            SetWindowTextW(window, std::to_wstring(inRange).c_str());
            SendMessageW(m_upDowns.at(name), UDM_SETPOS32, 0, inRange);
            break;
        }
        case ControlKind::RadioGroup:
            for (std::size_t i = 0; i < m_radios.size(); ++i)
                SendMessageW(m_radios[i], BM_SETCHECK,
                             static_cast<int>(i) == value ? BST_CHECKED : BST_UNCHECKED, 0);
            break;
        case ControlKind::ComboBox: {
            const int count = static_cast<int>(SendMessageW(window, CB_GETCOUNT, 0, 0));
            SendMessageW(window, CB_SETCURSEL,
                         static_cast<WPARAM>(value >= 0 && value < count ? value : -1), 0);
            break;
        }
        default:
            throw std::logic_error("the control holds no value: " + name);
        }
    }

    bool checked(const std::string& name) const override {
        return SendMessageW(control(name), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }

    void setChecked(const std::string& name, bool isChecked) override {
        SendMessageW(control(name), BM_SETCHECK, isChecked ? BST_CHECKED : BST_UNCHECKED, 0);
    }

    void setText(const std::string& name, const std::string& text) override {
        SetWindowTextW(control(name), toUtf16(text).c_str());
        fitToText(name);
    }

    void setPath(const std::string& name, const std::string& shown,
                 const std::string& hint) override {
        const HWND field = control(name);
        SetWindowTextW(field, toUtf16(shown).c_str());
        SendMessageW(field, EM_SETSEL, 0, 0);
        setHint(field, hint);
    }

    void addItem(const std::string& name, const std::string& caption) override {
        SendMessageW(control(name), CB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(toUtf16(caption).c_str()));
    }

    int width(const std::string& name) const override {
        RECT r{};
        GetWindowRect(control(name), &r);
        return r.right - r.left;
    }

    void setWidth(const std::string& name, int widthPx) override {
        const HWND window = control(name);
        RECT r{};
        GetWindowRect(window, &r);
        SetWindowPos(window, nullptr, 0, 0, widthPx, r.bottom - r.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    int textWidth(const std::string& name, const std::string& text) const override {
        const HWND window = control(name);
        const HDC dc = GetDC(window);
        const HGDIOBJ old =
            SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(window, WM_GETFONT, 0, 0)));
        const std::wstring wide = toUtf16(text);
        SIZE size{};
        GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
        SelectObject(dc, old);
        ReleaseDC(window, dc);
        return size.cx;
    }

    FontSpec font(const std::string& name) const override {
        const auto found = m_fontSpecs.find(name);
        return found == m_fontSpecs.end() ? formFontSpec() : found->second;
    }

    void setFont(const std::string& name, const FontSpec& value) override {
        const HFONT font = win::createFont(value, m_metrics.dpi);
        if (font == nullptr)
            throw std::runtime_error("the font " + value.family + " cannot be made");
        SendMessageW(control(name), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
        if (const auto old = m_ownFonts.find(name); old != m_ownFonts.end())
            DeleteObject(old->second);
        m_ownFonts[name] = font;
        m_fontSpecs[name] = value;
    }

    HWND m_owner = nullptr;
    std::function<PowerSaveState()> m_powerSaveInfo;
    HWND m_hwnd = nullptr;
    std::wstring m_face;
    win::DialogMetrics m_metrics;
    std::vector<DialogItem> m_items;
    std::map<std::string, HWND> m_windows;
    std::map<HWND, std::string> m_names;
    std::map<std::string, HWND> m_upDowns;
    std::vector<HWND> m_radios; // the radio group's items in order
    HFONT m_formFont = nullptr; // the dialog's, owned by the system
    HFONT m_tickFont = nullptr;
    std::map<std::string, HFONT> m_ownFonts;
    std::map<std::string, FontSpec> m_fontSpecs;
    HWND m_tooltip = nullptr; // owned by the dialog's window
    HICON m_icon = nullptr;
    HCURSOR m_idleCursor = nullptr;
    std::unique_ptr<DialogModel> m_model;
};

// COM for the folder picker, for as long as the dialog is open.
class OleScope {
  public:
    OleScope() : m_ok(SUCCEEDED(OleInitialize(nullptr))) {}
    ~OleScope() {
        if (m_ok) OleUninitialize();
    }
    OleScope(const OleScope&) = delete;
    OleScope& operator=(const OleScope&) = delete;

  private:
    bool m_ok;
};

} // namespace

void runSettingsDialogWin(HWND owner, std::function<PowerSaveState()> powerSaveInfo) {
    INITCOMMONCONTROLSEX classes{};
    classes.dwSize = sizeof classes;
    classes.dwICC = ICC_BAR_CLASSES | ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES;
    InitCommonControlsEx(&classes);
    const OleScope ole;
    WinScSSDlg dialog(owner, std::move(powerSaveInfo));
    try {
        dialog.run();
    } catch (const std::exception& e) {
        win::showErrorReport(e.what(), owner);
    }
}

} // namespace slidora
