#pragma once
// The settings dialog's layout: every control once, with what a face needs to
// build it. The Qt dialog is built from this table; another face's dialog
// description is generated from or checked against it.
#include <string>
#include <vector>

namespace slidora {

enum class ControlKind {
    Bevel,         // raised bevel
    Label,         // sized to its caption; "&X" underlines X
    RightLabel,    // a label whose text is aligned right
    TickLabel,     // a slider's scale label in the small font
    HiddenLabel,   // never shown: its font and width serve the dialog
    CheckBox,      // sized to its caption
    PathField,     // read-only edit, reached by the mouse only
    Button,        // push button; Return still presses the default button
    DefaultButton, // the button Return presses (modal result OK)
    CancelButton,  // modal result Cancel
    FlatButton,    // small flat button, never focused
    Group,         // titled group box
    Panel,         // raised inner bevel holding controls
    Slider,        // horizontal, ticks below
    SpinEdit,
    RadioGroup,
    ComboBox, // drop-down list, no typing
    Picture,  // the form's icon
};

// Left, top, width, height in design pixels (120 per inch), relative to the
// parent. A width of 0 sizes the control to its caption.
struct DesignRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// Sliders and spin edits; the other members of a spin edit stay 0.
struct ControlRange {
    int minimum = 0;
    int maximum = 0;
    int lineStep = 0;
    int pageStep = 0;
    int tickInterval = 0;
};

inline constexpr int kNoTab = -1;

struct ControlDesign {
    std::string name; // the object name
    ControlKind kind = ControlKind::Label;
    std::string parent; // empty: the dialog itself
    DesignRect place;
    std::string caption;
    std::string hint;
    ControlRange range;
    // Position in the tab chain, kNoTab for a control outside it. The path
    // fields are in the chain without being stops.
    int tabOrder = kNoTab;
    // Slider and spin positions, the radio group's item, the hidden font
    // label's point size, a browse button's tag.
    int designValue = 0;
    std::vector<std::string> items; // radio group items, list entries
    int columns = 0;                // radio group
    int maxLength = 0;              // spin edit: characters that can be typed; 0 any
};

// The controls in creation order (which is also the stacking order).
const std::vector<ControlDesign>& DialogLayout();
// The control named `name`; throws std::out_of_range for an unknown name.
const ControlDesign& controlDesign(const std::string& name);
// The names of the tab chain in order.
std::vector<std::string> tabChain();

// The dialog window: client size in design pixels, caption, form font.
inline constexpr int kDesignDpi = 120;
inline constexpr int kDesignClientWidth = 404;
inline constexpr int kDesignClientHeight = 450;
inline constexpr int kFormFontHeight = 15;
inline constexpr int kTickFontHeight = 13;
inline constexpr const char* kDialogCaption = "  Slidora の設定";

} // namespace slidora
