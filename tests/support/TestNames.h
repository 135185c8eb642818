#pragma once
// Readable names for parameterised cases, as ctest lists them.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace slidora::test {

// `text` as a valid case name: ASCII letters and digits are kept, every run of
// anything else (spaces, punctuation, non-ASCII characters) becomes one
// underscore, none at either end; a leading '-' reads "Minus". Nothing left
// gives "Empty".
std::string testName(std::string_view text);

// Joins the parts (texts; numbers go through std::to_string) with
// underscores, each made valid as above.
template <class... Parts> std::string testName(std::string_view first, const Parts&... rest) {
    std::string joined(first);
    ((joined += '_', joined += std::string_view(rest)), ...);
    return testName(std::string_view(joined));
}

// The generator for case structs with a `name` member.
struct CaseName {
    template <class T> std::string operator()(const ::testing::TestParamInfo<T>& param) const {
        return testName(std::string_view(param.param.name));
    }
};

} // namespace slidora::test
