#pragma once
// The settings dialog as a Win32 dialog template, made from the layout table
// when the dialog opens: the table stays the one description of the dialog.
// Every control of the table becomes one child window of the dialog (group
// boxes and panels are drawn behind their contents, not parents of them),
// the radio group adds one button per item and a spin edit its arrows.
//
// The template's order is the tab order: the stops in the table's order,
// then the labels, then the frames from the innermost to the outermost, so
// that the frames lie at the bottom of the z-order.
#include <cstdint>
#include <string>
#include <vector>

namespace slidora::win {

// What the places are measured in.
struct DialogMetrics {
    int dpi = 96;       // the screen's pixels per inch; design pixels are at 120
    int baseUnitX = 6;  // the dialog font's average character width, pixels
    int baseUnitY = 12; // its character height, pixels

    // Design pixels on this screen.
    int px(int design) const;
};

// Rectangles in pixels or dialog units: left, top, width, height.
struct ItemRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const ItemRect&, const ItemRect&) = default;
};

// Parts of a table control beyond its own window.
inline constexpr int kMainPart = 0;
inline constexpr int kUpDownPart = 1; // a spin edit's arrows
// The radio group's item i is part kFirstRadioPart + i.
inline constexpr int kFirstRadioPart = 1;

struct DialogItem {
    std::string name; // the table's control
    int part = kMainPart;
    int id = 0;
    std::wstring windowClass;
    std::wstring text;
    std::uint32_t style = 0;
    std::uint32_t exStyle = 0;
    // On the dialog's client area. A width of 0 is fitted to the text once
    // the window exists (labels and check boxes are sized to their caption).
    ItemRect pixels;
    ItemRect dialogUnits;
    bool smallFont = false; // the sliders' scale labels
};

// The child id of a table control's part; IDOK and IDCANCEL for the OK and
// cancel buttons, so that Return and Esc reach them.
int controlId(const std::string& name, int part = kMainPart);

// The dialog's client size in pixels.
ItemRect dialogClientPixels(const DialogMetrics& metrics);

// Every window of the dialog, in template order.
std::vector<DialogItem> dialogItems(const DialogMetrics& metrics);

// The DLGTEMPLATEEX (DWORD aligned, as the system wants it) holding `items`,
// captioned with the dialog's caption, in the given face at the form font's
// size.
std::vector<std::uint32_t> dialogTemplate(const std::vector<DialogItem>& items,
                                          const DialogMetrics& metrics,
                                          const std::wstring& fontFace);

// The form font's size in points (its height in design pixels at 120 dpi).
int formFontPoints();

} // namespace slidora::win
