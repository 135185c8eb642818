#include "FakeDialogControls.h"

#include "dialog/DialogLayout.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace slidora::test {

FakeDialogControls::FakeDialogControls() {
    for (const ControlDesign& design : DialogLayout()) {
        State state;
        state.value = design.designValue;
        state.text = design.caption;
        state.width = design.place.width;
        state.items = design.items;
        if (design.name == "Label19") {
            state.font.family = DialogModelTest::kFormFace;
            state.font.pointSize = design.designValue;
        }
        m_states.emplace(design.name, state);
    }
}

FakeDialogControls::State& FakeDialogControls::at(const std::string& name) {
    const auto found = m_states.find(name);
    if (found == m_states.end()) throw std::out_of_range("no control named " + name);
    return found->second;
}

const FakeDialogControls::State& FakeDialogControls::at(const std::string& name) const {
    return const_cast<FakeDialogControls*>(this)->at(name);
}

int FakeDialogControls::value(const std::string& name) const {
    return at(name).value;
}

void FakeDialogControls::setValue(const std::string& name, int value) {
    const ControlDesign& design = controlDesign(name);
    State& state = at(name);
    switch (design.kind) {
    case ControlKind::Slider:
    case ControlKind::SpinEdit:
        state.value = std::clamp(value, design.range.minimum, design.range.maximum);
        break;
    case ControlKind::RadioGroup:
    case ControlKind::ComboBox:
        // An index outside the items selects none.
        state.value = value >= 0 && value < static_cast<int>(state.items.size()) ? value : -1;
        break;
    default:
        throw std::logic_error(name + " holds no value");
    }
}

bool FakeDialogControls::checked(const std::string& name) const {
    return at(name).checked;
}

void FakeDialogControls::setChecked(const std::string& name, bool isChecked) {
    if (controlDesign(name).kind != ControlKind::CheckBox)
        throw std::logic_error(name + " is no check box");
    at(name).checked = isChecked;
}

void FakeDialogControls::setText(const std::string& name, const std::string& text) {
    at(name).text = text;
}

void FakeDialogControls::setPath(const std::string& name, const std::string& shown,
                                 const std::string& hint) {
    if (controlDesign(name).kind != ControlKind::PathField)
        throw std::logic_error(name + " is no path field");
    at(name).text = shown;
    at(name).hint = hint;
}

void FakeDialogControls::addItem(const std::string& name, const std::string& caption) {
    at(name).items.push_back(caption);
}

int FakeDialogControls::width(const std::string& name) const {
    return at(name).width;
}

void FakeDialogControls::setWidth(const std::string& name, int widthPx) {
    at(name).width = widthPx;
}

int FakeDialogControls::textWidth(const std::string& name, const std::string& text) const {
    at(name);
    return 8 * static_cast<int>(text.size());
}

FontSpec FakeDialogControls::font(const std::string& name) const {
    return at(name).font;
}

void FakeDialogControls::setFont(const std::string& name, const FontSpec& font) {
    at(name).font = font;
}

std::string FakeDialogControls::text(const std::string& name) const {
    return at(name).text;
}

std::string FakeDialogControls::hint(const std::string& name) const {
    return at(name).hint;
}

const std::vector<std::string>& FakeDialogControls::items(const std::string& name) const {
    return at(name).items;
}

std::string FakeDialogControls::currentItem(const std::string& name) const {
    const State& state = at(name);
    if (state.value < 0 || state.value >= static_cast<int>(state.items.size())) return {};
    return state.items[static_cast<std::size_t>(state.value)];
}

void DialogModelTest::writeSettings(const std::string& text) {
    std::ofstream(settingsPath(), std::ios::binary) << text;
}

std::string DialogModelTest::settingsText() const {
    std::ifstream in(settingsPath(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void DialogModelTest::open() {
    DialogServices s;
    s.settingsPath = settingsPathOverride.empty() ? settingsPath() : settingsPathOverride;
    s.readerContext.programDir = programDir;
    s.readerContext.iconFontName = iconFont;
    s.readerContext.dialogFontSize = "9";
    if (hasVersionRecord) s.versionText = kVersion;
    s.powerSaveInfo = [this] { return power; };
    s.defaultPictureFolder = [this] { return defaultPictureFolder; };
    s.errorReport = [this](const std::string& message) { errors.push_back(message); };
    s.confirm = [this](const std::string& message) {
        busyLog.push_back("question");
        questions.push_back(message);
        return answerYes;
    };
    s.fontChooser = [this](const FontSpec& initial) -> std::optional<FontSpec> {
        if (!fontChooser) {
            ADD_FAILURE() << "the font picker was not expected";
            return std::nullopt;
        }
        return fontChooser(initial);
    };
    s.picFolderChk = [this](const std::string& folder, int minimumSizeKb) {
        busyLog.push_back("check");
        return picFolderChk(folder, minimumSizeKb);
    };
    s.audFolderChk = [this](const std::string& folder, const std::string& mediaExt) {
        busyLog.push_back("check");
        return audFolderChk(folder, mediaExt);
    };
    s.setBusy = [this](bool busy) { busyLog.push_back(busy ? "busy" : "idle"); };
    m_model.reset();
    m_controls = std::make_unique<FakeDialogControls>();
    m_model = std::make_unique<DialogModel>(*m_controls, std::move(s));
    m_model->FormCreate();
}

} // namespace slidora::test
