#include "DialogTestSupport.h"

#include <fstream>
#include <iterator>

namespace slidora::test {

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const std::filesystem::path& path, const std::string& text) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out << text;
}

void writeSizedFile(const std::filesystem::path& path, std::size_t sizeBytes) {
    writeFile(path, std::string(sizeBytes, 'x'));
}

DialogTest::DialogTest() {
    ensureApplication();
}

std::unique_ptr<TScSSDlg> DialogTest::open() {
    DialogEnvironment env;
    env.settingsPath = settingsPathOverride.empty() ? settingsPath() : settingsPathOverride;
    env.programDir = programDir;
    env.powerSaveInfo = [this] { return power; };
    env.defaultPictureFolder = [this] { return defaultPictureFolder; };
    env.errorReport = [this](const std::string& message) { errors.push_back(message); };
    env.confirm = [this](const std::string& message) {
        questions.push_back(message);
        return answerYes;
    };
    env.folderChooser = [this](TBrowseDlg& picker) {
        if (!chooser) {
            ADD_FAILURE() << "the folder picker was not expected";
            return;
        }
        chooser(picker);
    };
    env.fontChooser = [this](const FontSpec& initial) -> std::optional<FontSpec> {
        if (!fontChooser) {
            ADD_FAILURE() << "the font picker was not expected";
            return std::nullopt;
        }
        return fontChooser(initial);
    };
    return std::make_unique<TScSSDlg>(env);
}

} // namespace slidora::test
