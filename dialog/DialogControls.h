#pragma once
// What the settings dialog's behaviour needs of its window: the controls by
// object name (see DialogLayout). A face implements it over its widgets; tests
// implement it over plain values.
#include "platform/FontSpec.h"

#include <string>

namespace slidora {

class DialogControls {
  public:
    virtual ~DialogControls() = default;

    // A slider's or spin edit's position (a spin edit's typed text, brought
    // into its range), the radio group's item (-1 none), the list's entry
    // (-1 none). Setting brings the value into the control's range.
    virtual int value(const std::string& name) const = 0;
    virtual void setValue(const std::string& name, int value) = 0;

    virtual bool checked(const std::string& name) const = 0;
    virtual void setChecked(const std::string& name, bool checked) = 0;

    // A label's text; the label takes the size of its new text.
    virtual void setText(const std::string& name, const std::string& text) = 0;
    // A path field: the text it shows and its hint.
    virtual void setPath(const std::string& name, const std::string& shown,
                         const std::string& hint) = 0;
    // Appends an entry to the list.
    virtual void addItem(const std::string& name, const std::string& caption) = 0;

    // Widths in screen pixels: of a control, and of a text in its font.
    virtual int width(const std::string& name) const = 0;
    virtual void setWidth(const std::string& name, int widthPx) = 0;
    virtual int textWidth(const std::string& name, const std::string& text) const = 0;

    virtual FontSpec font(const std::string& name) const = 0;
    virtual void setFont(const std::string& name, const FontSpec& font) = 0;
};

} // namespace slidora
