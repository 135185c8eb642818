// The settings dialog's template as the system reads it: a dialog made from
// it (not shown) has one window of the right class and style per control of
// the layout table, in the table's places and tab order.
#include "dialog/DialogLayout.h"
#include "dialog/win/DialogTemplate.h"
#include "platform/win/Utf16.h"

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace slidora::win {
namespace {

// At 240 dpi with base units of 8 by 16 pixels a dialog unit is one design
// pixel, so the places below are the table's, made absolute by hand.
constexpr DialogMetrics kUnitMetrics{240, 8, 16};

INT_PTR CALLBACK plainDialog(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

class DialogTemplateTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX classes{sizeof classes, ICC_BAR_CLASSES | ICC_UPDOWN_CLASS};
        InitCommonControlsEx(&classes);
        items() = dialogItems(kUnitMetrics);
        const std::vector<std::uint32_t> words = dialogTemplate(items(), kUnitMetrics, L"Tahoma");
        dialog() = CreateDialogIndirectParamW(GetModuleHandleW(nullptr),
                                              reinterpret_cast<LPCDLGTEMPLATEW>(words.data()),
                                              nullptr, plainDialog, 0);
    }
    static void TearDownTestSuite() {
        if (dialog()) DestroyWindow(dialog());
        dialog() = nullptr;
        items().clear();
    }
    static HWND& dialog() {
        static HWND window = nullptr;
        return window;
    }
    static std::vector<DialogItem>& items() {
        static std::vector<DialogItem> all;
        return all;
    }
    static const DialogItem& item(const std::string& name, int part = kMainPart) {
        for (const DialogItem& i : items())
            if (i.name == name && i.part == part) return i;
        throw std::out_of_range("no item " + name);
    }
    static HWND window(const std::string& name, int part = kMainPart) {
        return GetDlgItem(dialog(), controlId(name, part));
    }
    static std::string nameOf(HWND child) {
        const int id = GetDlgCtrlID(child);
        for (const DialogItem& i : items())
            if (i.id == id)
                return i.part == kMainPart ? i.name : i.name + "#" + std::to_string(i.part);
        return "?";
    }
    void SetUp() override { ASSERT_NE(dialog(), nullptr) << "the template was refused"; }
};

std::string classOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return toUtf8(name);
}

std::string textOf(HWND window) {
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return toUtf8(text);
}

ItemRect placeOnDialog(HWND dialog, HWND child) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

struct KindCase {
    const char* label;
    ControlKind kind;
    const char* windowClass;
    DWORD typeMask; // the style's type field (BS_TYPEMASK, SS_TYPEMASK, ...)
    DWORD type;
    DWORD present; // flags that must be set
    DWORD absent;  // flags that must not be set
};

constexpr DWORD kShown = WS_VISIBLE | WS_CHILD;
const KindCase kKinds[] = {
    {"Bevel", ControlKind::Bevel, "Static", SS_TYPEMASK, SS_OWNERDRAW, kShown, WS_TABSTOP},
    {"Panel", ControlKind::Panel, "Static", SS_TYPEMASK, SS_OWNERDRAW, kShown, WS_TABSTOP},
    {"Label", ControlKind::Label, "Static", SS_TYPEMASK, SS_LEFTNOWORDWRAP, kShown, WS_TABSTOP},
    {"RightLabel", ControlKind::RightLabel, "Static", SS_TYPEMASK, SS_RIGHT, kShown, WS_TABSTOP},
    {"TickLabel", ControlKind::TickLabel, "Static", SS_TYPEMASK, SS_LEFTNOWORDWRAP, kShown,
     WS_TABSTOP},
    {"HiddenLabel", ControlKind::HiddenLabel, "Static", SS_TYPEMASK, SS_LEFTNOWORDWRAP, WS_CHILD,
     WS_VISIBLE | WS_TABSTOP},
    {"CheckBox", ControlKind::CheckBox, "Button", BS_TYPEMASK, BS_AUTOCHECKBOX, kShown | WS_TABSTOP,
     0},
    {"PathField", ControlKind::PathField, "Edit", 0, 0, kShown | ES_READONLY, WS_TABSTOP},
    {"Button", ControlKind::Button, "Button", BS_TYPEMASK, BS_PUSHBUTTON, kShown | WS_TABSTOP, 0},
    {"DefaultButton", ControlKind::DefaultButton, "Button", BS_TYPEMASK, BS_DEFPUSHBUTTON,
     kShown | WS_TABSTOP, 0},
    {"CancelButton", ControlKind::CancelButton, "Button", BS_TYPEMASK, BS_PUSHBUTTON,
     kShown | WS_TABSTOP, 0},
    {"FlatButton", ControlKind::FlatButton, "Static", SS_TYPEMASK, SS_OWNERDRAW, kShown | SS_NOTIFY,
     WS_TABSTOP},
    {"Group", ControlKind::Group, "Button", BS_TYPEMASK, BS_GROUPBOX, kShown, WS_TABSTOP},
    {"Slider", ControlKind::Slider, "msctls_trackbar32", TBS_VERT, TBS_HORZ,
     kShown | WS_TABSTOP | TBS_AUTOTICKS | TBS_BOTTOM, 0},
    {"SpinEdit", ControlKind::SpinEdit, "Edit", 0, 0, kShown | WS_TABSTOP | ES_NUMBER, ES_READONLY},
    {"RadioGroup", ControlKind::RadioGroup, "Button", BS_TYPEMASK, BS_GROUPBOX, kShown, WS_TABSTOP},
    {"ComboBox", ControlKind::ComboBox, "ComboBox", 3, CBS_DROPDOWNLIST, kShown | WS_TABSTOP, 0},
    {"Picture", ControlKind::Picture, "Static", SS_TYPEMASK, SS_ICON, kShown, WS_TABSTOP},
};

class DialogTemplateKindTest : public DialogTemplateTest,
                               public ::testing::WithParamInterface<KindCase> {};

TEST_P(DialogTemplateKindTest, EachControlOfTheKindHasItsWindowClassStyleAndCaption) {
    const KindCase& k = GetParam();
    int seen = 0;
    for (const ControlDesign& d : DialogLayout()) {
        if (d.kind != k.kind) continue;
        ++seen;
        SCOPED_TRACE(d.name);
        const HWND w = window(d.name);
        ASSERT_NE(w, nullptr);
        EXPECT_STRCASEEQ(classOf(w).c_str(), k.windowClass);
        const DWORD style = static_cast<DWORD>(GetWindowLongW(w, GWL_STYLE));
        EXPECT_EQ(style & k.typeMask, k.type);
        EXPECT_EQ(style & k.present, k.present);
        EXPECT_EQ(style & k.absent, 0u);
        if (k.kind != ControlKind::Picture) {
            EXPECT_EQ(textOf(w), d.caption);
        }
    }
    EXPECT_GT(seen, 0) << "no control of this kind in the table";
}

INSTANTIATE_TEST_SUITE_P(Kinds, DialogTemplateKindTest, ::testing::ValuesIn(kKinds),
                         [](const ::testing::TestParamInfo<KindCase>& p) {
                             return std::string(p.param.label);
                         });

TEST_F(DialogTemplateTest, EveryKindInTheTableHasAnExpectation) {
    for (const ControlDesign& d : DialogLayout()) {
        bool known = false;
        for (const KindCase& k : kKinds)
            known = known || k.kind == d.kind;
        EXPECT_TRUE(known) << d.name;
    }
}

TEST_F(DialogTemplateTest, EveryWindowHasItsOwnIdAndOkAndCancelAnswerReturnAndEsc) {
    std::set<int> ids;
    for (const DialogItem& i : items())
        EXPECT_TRUE(ids.insert(i.id).second) << i.name << " shares id " << i.id;
    EXPECT_EQ(controlId("OKBtn"), IDOK);
    EXPECT_EQ(controlId("CancelBtn"), IDCANCEL);
    EXPECT_EQ(items().size(), DialogLayout().size() + 6 + 2) << "six radio items, two spin arrows";
}

struct PlaceCase {
    const char* name;
    ItemRect designOnDialog;
};

// Nested places add up their parents': TrackBar1 lies in GroupBox3 in Panel1.
const PlaceCase kPlaces[] = {
    {"Bevel1", {5, 0, 395, 401}},           {"Button1", {325, 25, 45, 25}},
    {"FolderText", {25, 25, 301, 23}},      {"SlideTrackBar", {25, 75, 150, 25}},
    {"Label6", {160, 100, 0, 0}},           {"CuteButton1", {125, 235, 10, 20}},
    {"BColorTrackBar", {40, 220, 125, 25}}, {"Panel1", {15, 265, 375, 100}},
    {"AudioText", {25, 290, 306, 23}},      {"Button2", {330, 290, 45, 25}},
    {"CheckBox3", {30, 330, 0, 0}},         {"TrackBar1", {215, 330, 150, 25}},
    {"SizeEdit", {275, 205, 46, 24}},       {"OKBtn", {180, 410, 95, 25}},
    {"CancelBtn", {285, 410, 90, 25}},
};

class DialogTemplatePlaceTest : public DialogTemplateTest,
                                public ::testing::WithParamInterface<PlaceCase> {};

TEST_P(DialogTemplatePlaceTest, TheTemplateHoldsTheTablePlaceAndTheDialogReadsIt) {
    const PlaceCase& c = GetParam();
    const DialogItem& i = item(c.name);
    EXPECT_EQ(i.dialogUnits, c.designOnDialog);
    RECT units{i.dialogUnits.left, i.dialogUnits.top, i.dialogUnits.left + i.dialogUnits.width,
               i.dialogUnits.top + i.dialogUnits.height};
    MapDialogRect(dialog(), &units);
    const ItemRect onDialog = placeOnDialog(dialog(), window(c.name));
    EXPECT_EQ(onDialog.left, units.left);
    EXPECT_EQ(onDialog.top, units.top);
    // The spin edit's arrows take the right end of its place.
    // The system scales a width on its own, not as the difference of two
    // scaled edges.
    RECT size{0, 0, i.dialogUnits.width, i.dialogUnits.height};
    MapDialogRect(dialog(), &size);
    if (controlDesign(c.name).kind != ControlKind::SpinEdit) {
        EXPECT_EQ(onDialog.width, size.right);
    }
}

INSTANTIATE_TEST_SUITE_P(Controls, DialogTemplatePlaceTest, ::testing::ValuesIn(kPlaces),
                         [](const ::testing::TestParamInfo<PlaceCase>& p) {
                             return std::string(p.param.name);
                         });

TEST_F(DialogTemplateTest, PlacesScaleWithTheScreen) {
    const DialogMetrics at96{96, 8, 16};
    const std::vector<DialogItem> scaled = dialogItems(at96);
    const auto panel = std::find_if(scaled.begin(), scaled.end(),
                                    [](const DialogItem& i) { return i.name == "Panel1"; });
    ASSERT_NE(panel, scaled.end());
    EXPECT_EQ(panel->pixels, (ItemRect{12, 212, 300, 80}));
    EXPECT_EQ(dialogClientPixels(at96), (ItemRect{0, 0, 323, 360}));
}

TEST_F(DialogTemplateTest, TheRadioGroupHasOneAutomaticButtonPerItemAndOneStop) {
    const ControlDesign& group = controlDesign("RadioGroup1");
    for (std::size_t i = 0; i < group.items.size(); ++i) {
        SCOPED_TRACE(i);
        const HWND button = window("RadioGroup1", kFirstRadioPart + static_cast<int>(i));
        ASSERT_NE(button, nullptr);
        const DWORD style = static_cast<DWORD>(GetWindowLongW(button, GWL_STYLE));
        EXPECT_EQ(style & BS_TYPEMASK, static_cast<DWORD>(BS_AUTORADIOBUTTON));
        EXPECT_EQ(textOf(button), group.items[i]);
        EXPECT_EQ((style & WS_TABSTOP) != 0, i == 0);
        EXPECT_EQ((style & WS_GROUP) != 0, i == 0);
    }
    // Column by column: 左上 左下 なし, then 右上 右下 ランダム.
    const ItemRect first = placeOnDialog(dialog(), window("RadioGroup1", kFirstRadioPart));
    const ItemRect fourth = placeOnDialog(dialog(), window("RadioGroup1", kFirstRadioPart + 3));
    const ItemRect second = placeOnDialog(dialog(), window("RadioGroup1", kFirstRadioPart + 1));
    EXPECT_EQ(first.top, fourth.top);
    EXPECT_GT(fourth.left, first.left);
    EXPECT_EQ(first.left, second.left);
    EXPECT_GT(second.top, first.top);
}

TEST_F(DialogTemplateTest, EachSpinEditHasArrowsBoundToIt) {
    for (const char* name : {"SizeEdit", "SpinEdit1"}) {
        SCOPED_TRACE(name);
        const HWND arrows = window(name, kUpDownPart);
        ASSERT_NE(arrows, nullptr);
        EXPECT_STRCASEEQ(classOf(arrows).c_str(), "msctls_updown32");
        EXPECT_EQ(reinterpret_cast<HWND>(SendMessageW(arrows, UDM_GETBUDDY, 0, 0)), window(name));
    }
}

TEST_F(DialogTemplateTest, TabOrderFollowsTheTableWithThePathFieldsInPlace) {
    const std::vector<std::string> expected = {
        "FolderText",    "Button1",   "CheckBox1", "SlideTrackBar", "Bairitu",   "BColorTrackBar",
        "RadioGroup1#1", "Button4",   "DirCheck",  "DayCheck",      "TimeCheck", "SizeEdit",
        "SpinEdit1",     "AudioText", "Button2",   "Button3",       "CheckBox2", "CheckBox3",
        "TrackBar1",     "ComboBox1", "OKBtn",     "CancelBtn"};
    const std::set<std::string> listed(expected.begin(), expected.end());
    std::vector<std::string> zOrder;
    for (HWND child = GetWindow(dialog(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (listed.count(nameOf(child)) != 0) zOrder.push_back(nameOf(child));
    EXPECT_EQ(zOrder, expected);

    // The dialog's own Tab walk: the stops only.
    std::vector<std::string> stops;
    const HWND first = GetNextDlgTabItem(dialog(), nullptr, FALSE);
    for (HWND stop = first; stop && stops.size() < expected.size();) {
        stops.push_back(nameOf(stop));
        stop = GetNextDlgTabItem(dialog(), stop, FALSE);
        if (stop == first) break;
    }
    std::vector<std::string> expectedStops;
    for (const std::string& name : expected)
        if (name != "FolderText" && name != "AudioText") expectedStops.push_back(name);
    EXPECT_EQ(stops, expectedStops);
}

TEST_F(DialogTemplateTest, TheDialogHasItsCaptionAndClientSize) {
    EXPECT_EQ(textOf(dialog()), "  Slidora の設定");
    RECT client{};
    GetClientRect(dialog(), &client);
    RECT units{0, 0, 404, 450};
    MapDialogRect(dialog(), &units);
    EXPECT_EQ(client.right, units.right);
    EXPECT_EQ(client.bottom, units.bottom);
}

} // namespace
} // namespace slidora::win
