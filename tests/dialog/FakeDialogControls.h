#pragma once
// The settings dialog's controls as plain values, built from the layout table:
// each control starts at its design value and brings what is set into its
// range, as the real controls do. Text widths are 8 pixels per byte.
#include "dialog/DialogControls.h"
#include "dialog/DialogModel.h"
#include "tests/support/NativePaths.h"
#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace slidora::test {

class FakeDialogControls final : public DialogControls {
  public:
    FakeDialogControls();

    int value(const std::string& name) const override;
    void setValue(const std::string& name, int value) override;
    bool checked(const std::string& name) const override;
    void setChecked(const std::string& name, bool isChecked) override;
    void setText(const std::string& name, const std::string& text) override;
    void setPath(const std::string& name, const std::string& shown,
                 const std::string& hint) override;
    void addItem(const std::string& name, const std::string& caption) override;
    int width(const std::string& name) const override;
    void setWidth(const std::string& name, int widthPx) override;
    int textWidth(const std::string& name, const std::string& text) const override;
    FontSpec font(const std::string& name) const override;
    void setFont(const std::string& name, const FontSpec& font) override;

    // A label's text or a path field's shown text; its hint.
    std::string text(const std::string& name) const;
    std::string hint(const std::string& name) const;
    const std::vector<std::string>& items(const std::string& name) const;
    // The list's selected entry; empty when none.
    std::string currentItem(const std::string& name) const;

  private:
    struct State {
        int value = 0;
        bool checked = false;
        std::string text;
        std::string hint;
        int width = 0;
        FontSpec font;
        std::vector<std::string> items;
    };
    State& at(const std::string& name);
    const State& at(const std::string& name) const;

    std::map<std::string, State> m_states;
};

// A model over fake controls on a settings file of its own, with every
// service answered by the test.
class DialogModelTest : public ::testing::Test {
  protected:
    // Creates the model and runs its loading.
    void open();
    FakeDialogControls& ctl() { return *m_controls; }
    DialogModel& model() { return *m_model; }

    std::string settingsPath() const { return m_dir.path("slidora.ini"); }
    std::filesystem::path dir() const { return m_dir.root(); }
    void writeSettings(const std::string& text);
    std::string settingsText() const;
    bool settingsExist() const { return std::filesystem::exists(settingsPath()); }

    std::vector<std::string> errors;
    std::vector<std::string> questions;
    std::vector<std::string> busyLog; // "busy", "check", "idle", "question"
    bool answerYes = false;
    PowerSaveState power;
    bool hasVersionRecord = true;
    std::string defaultPictureFolder = native("/srv/default-pictures");
    std::string programDir = native("/opt/slidora");
    std::string iconFont = "Sans";
    std::function<std::optional<FontSpec>(const FontSpec&)> fontChooser;
    std::function<bool(const std::string&, int)> picFolderChk = [](const std::string&, int) {
        return true;
    };
    std::function<bool(const std::string&, const std::string&)> audFolderChk =
        [](const std::string&, const std::string&) { return true; };
    std::string settingsPathOverride;

  public:
    // The face of the hidden font label's design font, and the version.
    static constexpr const char* kFormFace = "FormFace";
    static constexpr const char* kVersion = "1.5.0.0";

  private:
    TempTree m_dir;
    std::unique_ptr<FakeDialogControls> m_controls;
    std::unique_ptr<DialogModel> m_model;
};

} // namespace slidora::test
