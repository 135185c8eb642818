#pragma once
// `TScSSDlg`: the settings dialog's Qt face. It builds its controls from the
// layout table, hands them to the DialogModel as its DialogControls, and
// forwards the controls' events to the model. It reads the settings file once
// when it is created and writes it when OK is pressed; Cancel, Esc and the
// close box write nothing.
#include "dialog/BrowseDlg.h"
#include "dialog/DialogControls.h"
#include "dialog/DialogModel.h"
#include "settings/FileRules.h"

#include <QDialog>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

class QWindow;

namespace slidora {

struct ControlDesign;

// The dialog's surroundings. Every member left empty is the real service;
// tests put in their own.
struct DialogEnvironment {
    std::string settingsPath; // default: the settings file beside the program
    std::string programDir;   // default: the program's folder
    std::function<PowerSaveState()> powerSaveInfo;
    // The pictures folder or the home folder; empty when neither is known.
    std::function<std::string()> defaultPictureFolder;
    // The application's general error report.
    std::function<void(const std::string& message)> errorReport;
    // The "確認" question; true when the user answers はい.
    std::function<bool(const std::string& message)> confirm;
    TBrowseDlg::Chooser folderChooser;
    // The font picker; nothing when the user cancels.
    std::function<std::optional<FontSpec>(const FontSpec& initial)> fontChooser;
    std::function<bool(const std::string& folder, int minimumSizeKb)> picFolderChk;
    std::function<bool(const std::string& folder, const std::string& mediaExt)> audFolderChk;
};

class TScSSDlg final : public QDialog, private DialogControls {
  public:
    explicit TScSSDlg(DialogEnvironment environment = {}, QWidget* parent = nullptr);
    ~TScSSDlg() override;

    const DialogValues& values() const { return m_model->values(); }
    const std::string& settingsPath() const { return m_settingsPath; }
    // The X11 window the dialog was opened from; 0 when none.
    std::uint64_t OwnerWnd() const { return m_ownerWnd; }
    // Design pixels (120 per inch) to this screen's pixels.
    int scaled(int designPx) const;

    // The widget's own members that the controls' names would hide.
    using QDialog::font;
    using QDialog::setFont;
    using QDialog::width;

  private:
    void buildControls();
    QWidget* build(const ControlDesign& design, QWidget* parent);
    void arrangeTabOrder();
    void connectHandlers();
    void takeOwner();
    DialogServices modelServices(DialogEnvironment environment);
    void Button1Click(int tag);
    void reportError(const std::string& message);

    // The widget built for the control `name`, as a T.
    template <class T> T* control(const std::string& name) const {
        const auto found = m_widgets.find(name);
        T* widget = found == m_widgets.end() ? nullptr : dynamic_cast<T*>(found->second);
        if (widget == nullptr) throw std::logic_error("the dialog has no such control: " + name);
        return widget;
    }

    // DialogControls over the widgets.
    int value(const std::string& name) const override;
    void setValue(const std::string& name, int value) override;
    bool checked(const std::string& name) const override;
    void setChecked(const std::string& name, bool checked) override;
    void setText(const std::string& name, const std::string& text) override;
    void setPath(const std::string& name, const std::string& shown,
                 const std::string& hint) override;
    void addItem(const std::string& name, const std::string& caption) override;
    int width(const std::string& name) const override;
    void setWidth(const std::string& name, int widthPx) override;
    int textWidth(const std::string& name, const std::string& text) const override;
    FontSpec font(const std::string& name) const override;
    void setFont(const std::string& name, const FontSpec& font) override;

    double m_scale = 1.0;
    std::string m_settingsPath;
    std::uint64_t m_ownerWnd = 0;
    std::unique_ptr<QWindow> m_ownerWindow;
    TBrowseDlg BrowseDlg1;
    std::map<std::string, QWidget*, std::less<>> m_widgets;
    std::unique_ptr<DialogModel> m_model;
};

} // namespace slidora
