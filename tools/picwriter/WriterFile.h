#pragma once
// Closes a FILE* opened by one of the writers.
#include <cstdio>
#include <memory>

namespace slidora::picwriter {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

} // namespace slidora::picwriter
