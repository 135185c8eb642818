#include "dialog/win/DialogTemplate.h"

#include "dialog/DialogLayout.h"
#include "platform/win/Utf16.h"

#include <windows.h>

#include <commctrl.h>

#include <map>
#include <stdexcept>

namespace slidora::win {

namespace {

constexpr int kFirstControlId = 1000;
// Ids of one table control: its own and those of its parts.
constexpr int kIdsPerControl = 10;
// A drop-down list's template height is that of its open list.
constexpr int kDroppedListDesignHeight = 260;

bool isFrame(ControlKind kind) {
    return kind == ControlKind::Bevel || kind == ControlKind::Panel || kind == ControlKind::Group ||
           kind == ControlKind::RadioGroup;
}

// The control's place on the dialog in design pixels: the table gives it
// relative to its parent.
DesignRect absolutePlace(const ControlDesign& design) {
    DesignRect place = design.place;
    for (const ControlDesign* parent = &design; !parent->parent.empty();) {
        parent = &controlDesign(parent->parent);
        place.left += parent->place.left;
        place.top += parent->place.top;
    }
    return place;
}

ItemRect scaled(const DialogMetrics& m, const DesignRect& r) {
    return {m.px(r.left), m.px(r.top), m.px(r.width), m.px(r.height)};
}

ItemRect toDialogUnits(const DialogMetrics& m, const ItemRect& px) {
    return {MulDiv(px.left, 4, m.baseUnitX), MulDiv(px.top, 8, m.baseUnitY),
            MulDiv(px.width, 4, m.baseUnitX), MulDiv(px.height, 8, m.baseUnitY)};
}

struct KindStyle {
    const wchar_t* windowClass;
    std::uint32_t style;
    std::uint32_t exStyle;
};

KindStyle styleOf(ControlKind kind) {
    // Every stop starts a group of its own, so the arrow keys move only among
    // the radio buttons.
    constexpr std::uint32_t kStop = WS_TABSTOP | WS_GROUP;
    switch (kind) {
    case ControlKind::Bevel:
    case ControlKind::Panel:
        return {WC_STATICW, SS_OWNERDRAW, 0};
    case ControlKind::Label:
    case ControlKind::TickLabel:
    case ControlKind::HiddenLabel:
        return {WC_STATICW, SS_LEFTNOWORDWRAP, 0};
    case ControlKind::RightLabel:
        return {WC_STATICW, SS_RIGHT, 0};
    case ControlKind::CheckBox:
        return {WC_BUTTONW, BS_AUTOCHECKBOX | kStop, 0};
    case ControlKind::PathField:
        return {WC_EDITW, ES_READONLY | ES_AUTOHSCROLL | WS_GROUP, WS_EX_CLIENTEDGE};
    case ControlKind::Button:
    case ControlKind::CancelButton:
        return {WC_BUTTONW, BS_PUSHBUTTON | kStop, 0};
    case ControlKind::DefaultButton:
        return {WC_BUTTONW, BS_DEFPUSHBUTTON | kStop, 0};
    case ControlKind::FlatButton:
        // A static never takes the focus; it reports clicks and draws itself.
        return {WC_STATICW, SS_OWNERDRAW | SS_NOTIFY, 0};
    case ControlKind::Group:
    case ControlKind::RadioGroup:
        return {WC_BUTTONW, BS_GROUPBOX, 0};
    case ControlKind::Slider:
        return {TRACKBAR_CLASSW, TBS_HORZ | TBS_BOTTOM | TBS_AUTOTICKS | kStop, 0};
    case ControlKind::SpinEdit:
        return {WC_EDITW, ES_NUMBER | ES_AUTOHSCROLL | kStop, WS_EX_CLIENTEDGE};
    case ControlKind::ComboBox:
        return {WC_COMBOBOXW, CBS_DROPDOWNLIST | WS_VSCROLL | kStop, 0};
    case ControlKind::Picture:
        return {WC_STATICW, SS_ICON | SS_REALSIZEIMAGE, 0};
    }
    throw std::logic_error("unknown control kind");
}

DialogItem itemFor(const DialogMetrics& m, const ControlDesign& design) {
    const KindStyle kind = styleOf(design.kind);
    DialogItem item;
    item.name = design.name;
    item.id = controlId(design.name);
    item.windowClass = kind.windowClass;
    item.text = toUtf16(design.caption);
    item.style = WS_CHILD | WS_CLIPSIBLINGS | kind.style;
    if (design.kind != ControlKind::HiddenLabel) item.style |= WS_VISIBLE;
    // A static shows its hint only when it receives the mouse.
    if (!design.hint.empty() && item.windowClass == WC_STATICW) item.style |= SS_NOTIFY;
    item.exStyle = kind.exStyle;
    DesignRect place = absolutePlace(design);
    if (design.kind == ControlKind::ComboBox) place.height += kDroppedListDesignHeight;
    item.pixels = scaled(m, place);
    item.smallFont = design.kind == ControlKind::TickLabel;
    return item;
}

// The radio group's buttons: the items in columns, filled column by column,
// below the group's caption.
std::vector<DialogItem> radioItems(const DialogMetrics& m, const ControlDesign& group) {
    std::vector<DialogItem> buttons;
    const int count = static_cast<int>(group.items.size());
    const int columns = group.columns < 1 ? 1 : group.columns;
    const int perColumn = (count + columns - 1) / columns;
    if (count == 0) return buttons;
    const DesignRect box = absolutePlace(group);
    const int buttonWidth = (box.width - 10) / columns;
    const int usableHeight = box.height - kFormFontHeight - 5;
    const int buttonHeight = usableHeight / perColumn;
    const int topMargin = kFormFontHeight + 1 + (usableHeight % perColumn) / 2;
    for (int i = 0; i < count; ++i) {
        DialogItem button;
        button.name = group.name;
        button.part = kFirstRadioPart + i;
        button.id = controlId(group.name, button.part);
        button.windowClass = WC_BUTTONW;
        button.text = toUtf16(group.items[static_cast<std::size_t>(i)]);
        // The first button is the group's stop; the dialog moves the focus
        // to the checked one.
        button.style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | BS_AUTORADIOBUTTON |
                       (i == 0 ? WS_TABSTOP | WS_GROUP : 0);
        button.pixels = scaled(m, {box.left + 8 + (i / perColumn) * buttonWidth,
                                   box.top + topMargin + (i % perColumn) * buttonHeight,
                                   buttonWidth, buttonHeight});
        buttons.push_back(std::move(button));
    }
    return buttons;
}

// The spin edit's arrows: they take the edit before them as their buddy and
// stand inside its right end.
DialogItem upDownItem(const DialogItem& edit) {
    DialogItem arrows;
    arrows.name = edit.name;
    arrows.part = kUpDownPart;
    arrows.id = controlId(edit.name, kUpDownPart);
    arrows.windowClass = UPDOWN_CLASSW;
    arrows.style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | UDS_AUTOBUDDY | UDS_SETBUDDYINT |
                   UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS;
    arrows.pixels = edit.pixels;
    return arrows;
}

void append(std::vector<DialogItem>& to, const DialogMetrics& m, const ControlDesign& design) {
    if (design.kind == ControlKind::RadioGroup && design.tabOrder != kNoTab) {
        for (DialogItem& button : radioItems(m, design))
            to.push_back(std::move(button));
        return;
    }
    to.push_back(itemFor(m, design));
    if (design.kind == ControlKind::SpinEdit) to.push_back(upDownItem(to.back()));
}

// Builds the template's words.
class TemplateWriter {
  public:
    void word(std::uint16_t w) {
        m_bytes.push_back(static_cast<std::uint8_t>(w & 0xFF));
        m_bytes.push_back(static_cast<std::uint8_t>(w >> 8));
    }
    void dword(std::uint32_t d) {
        word(static_cast<std::uint16_t>(d & 0xFFFF));
        word(static_cast<std::uint16_t>(d >> 16));
    }
    void text(const std::wstring& s) {
        for (wchar_t c : s)
            word(static_cast<std::uint16_t>(c));
        word(0);
    }
    void byte(std::uint8_t b) { m_bytes.push_back(b); }
    void alignDword() {
        while (m_bytes.size() % 4 != 0)
            m_bytes.push_back(0);
    }
    void rect(const ItemRect& r) {
        for (int v : {r.left, r.top, r.width, r.height})
            word(static_cast<std::uint16_t>(static_cast<std::int16_t>(v)));
    }
    std::vector<std::uint32_t> words() {
        alignDword();
        std::vector<std::uint32_t> out(m_bytes.size() / 4);
        for (std::size_t i = 0; i < out.size(); ++i)
            out[i] = static_cast<std::uint32_t>(m_bytes[4 * i]) |
                     static_cast<std::uint32_t>(m_bytes[4 * i + 1]) << 8 |
                     static_cast<std::uint32_t>(m_bytes[4 * i + 2]) << 16 |
                     static_cast<std::uint32_t>(m_bytes[4 * i + 3]) << 24;
        return out;
    }

  private:
    std::vector<std::uint8_t> m_bytes;
};

} // namespace

int DialogMetrics::px(int design) const {
    return MulDiv(design, dpi, kDesignDpi);
}

int controlId(const std::string& name, int part) {
    if (name == "OKBtn") return IDOK;
    if (name == "CancelBtn") return IDCANCEL;
    const std::vector<ControlDesign>& layout = DialogLayout();
    for (std::size_t i = 0; i < layout.size(); ++i)
        if (layout[i].name == name)
            return kFirstControlId + static_cast<int>(i) * kIdsPerControl + part;
    throw std::out_of_range("no dialog control named " + name);
}

ItemRect dialogClientPixels(const DialogMetrics& metrics) {
    return scaled(metrics, {0, 0, kDesignClientWidth, kDesignClientHeight});
}

std::vector<DialogItem> dialogItems(const DialogMetrics& m) {
    std::vector<DialogItem> items;
    for (const std::string& name : tabChain())
        append(items, m, controlDesign(name));
    for (const ControlDesign& design : DialogLayout())
        if (design.tabOrder == kNoTab && !isFrame(design.kind)) append(items, m, design);
    const std::vector<ControlDesign>& layout = DialogLayout();
    for (auto design = layout.rbegin(); design != layout.rend(); ++design)
        if (isFrame(design->kind)) items.push_back(itemFor(m, *design));
    for (DialogItem& item : items)
        item.dialogUnits = toDialogUnits(m, item.pixels);
    return items;
}

std::vector<std::uint32_t> dialogTemplate(const std::vector<DialogItem>& items,
                                          const DialogMetrics& metrics,
                                          const std::wstring& fontFace) {
    TemplateWriter t;
    t.word(1);      // dlgVer
    t.word(0xFFFF); // signature: extended template
    t.dword(0);     // helpID
    t.dword(0);     // exStyle
    t.dword(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_CENTER);
    t.word(static_cast<std::uint16_t>(items.size()));
    ItemRect frame = toDialogUnits(metrics, dialogClientPixels(metrics));
    t.rect(frame);
    t.word(0); // no menu
    t.word(0); // the dialog class
    t.text(toUtf16(kDialogCaption));
    t.word(static_cast<std::uint16_t>(formFontPoints()));
    t.word(FW_NORMAL);
    t.byte(FALSE); // italic
    t.byte(SHIFTJIS_CHARSET);
    t.text(fontFace);
    for (const DialogItem& item : items) {
        t.alignDword();
        t.dword(0); // helpID
        t.dword(item.exStyle);
        t.dword(item.style);
        t.rect(item.dialogUnits);
        t.dword(static_cast<std::uint32_t>(item.id));
        t.text(item.windowClass);
        t.text(item.text);
        t.word(0); // no creation data
    }
    return t.words();
}

int formFontPoints() {
    return kFormFontHeight * 72 / kDesignDpi;
}

} // namespace slidora::win
