#pragma once
// Shared pieces of the settings dialog tests: the application object, a
// scratch folder, and a fixture that opens the dialog on a settings file of
// its own with every outside service answered by the test.
#include "dialog/ScSSDlg.h"
#include "tests/support/QtApplication.h"
#include "tests/support/TempTree.h"

#include <gtest/gtest.h>

#include <QObject>

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace slidora::test {

std::string readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, const std::string& text);
// A file of `sizeBytes` bytes, for the folder checks.
void writeSizedFile(const std::filesystem::path& path, std::size_t sizeBytes);

// The child named `name`, or an exception that fails the test.
template <class T> T* child(const QObject& parent, const char* name) {
    T* found = parent.findChild<T*>(QString::fromUtf8(name));
    if (found == nullptr) throw std::runtime_error(std::string("no child named ") + name);
    return found;
}

class DialogTest : public ::testing::Test {
  protected:
    DialogTest();

    // Opens the dialog on settingsPath() with the services below.
    std::unique_ptr<TScSSDlg> open();

    std::string settingsPath() const { return m_dir.path("slidora.ini"); }
    std::filesystem::path dir() const { return m_dir.root(); }
    void writeSettings(const std::string& text) { writeFile(settingsPath(), text); }
    std::string settingsText() const { return readFile(settingsPath()); }
    bool settingsExist() const { return std::filesystem::exists(settingsPath()); }

    // What the services were asked and how they answer.
    std::vector<std::string> errors;
    std::vector<std::string> questions;
    bool answerYes = false;
    PowerSaveState power;
    std::string defaultPictureFolder = "/srv/default-pictures";
    std::string programDir = "/opt/slidora";
    TBrowseDlg::Chooser chooser;
    std::function<std::optional<FontSpec>(const FontSpec&)> fontChooser;
    std::string settingsPathOverride;

  private:
    TempTree m_dir;
};

} // namespace slidora::test
