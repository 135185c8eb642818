#include "platform/win/WinPaths.h"

#include <gtest/gtest.h>

namespace slidora::win {
namespace {

struct PathCase {
    const char* name;
    const char* program;
    const char* settings;
};

class SettingsPathFor : public ::testing::TestWithParam<PathCase> {};

TEST_P(SettingsPathFor, BesideTheProgram) {
    EXPECT_EQ(settingsPathFor(GetParam().program), GetParam().settings);
}

INSTANTIATE_TEST_SUITE_P(
    Programs, SettingsPathFor,
    ::testing::Values(
        PathCase{"screen_saver", "C:\\Windows\\System32\\Slidora.scr",
                 "C:\\Windows\\System32\\slidora.ini"},
        PathCase{"only_the_name_is_lowered", "D:\\My Savers\\SLIDORA.SCR",
                 "D:\\My Savers\\slidora.ini"},
        PathCase{"dot_in_folder_not_extension", "C:\\v1.5\\Slidora", "C:\\v1.5\\slidora.ini"},
        PathCase{"last_dot_only", "C:\\s\\Slidora.old.scr", "C:\\s\\slidora.old.ini"},
        PathCase{"forward_slashes", "C:/Savers/Slidora.scr", "C:/Savers/slidora.ini"},
        PathCase{"drive_relative", "C:Slidora.scr", "C:slidora.ini"},
        PathCase{"japanese_name_kept", "C:\\\xE5\x86\x99\xE7\x9C\x9F\\\xE5\x86\x99.SCR",
                 "C:\\\xE5\x86\x99\xE7\x9C\x9F\\\xE5\x86\x99.ini"}),
    [](const ::testing::TestParamInfo<PathCase>& p) { return p.param.name; });

TEST(WinPaths, RunningProgramsSettingsAreBesideIt) {
    const std::string program = programPath();
    ASSERT_FALSE(program.empty());
    const std::string settings = settingsPath();
    const std::string folder = program.substr(0, program.find_last_of('\\') + 1);
    EXPECT_EQ(settings, folder + "win_platform_test.ini") << program;
}

} // namespace
} // namespace slidora::win
