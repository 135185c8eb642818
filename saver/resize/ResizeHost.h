#pragma once
// What the resampler bridge needs from the program: where the module lives,
// how to tell the user it is missing, and the one piece of state that lasts
// from picture to picture.
#include <string>

namespace slidora {

// The module's file name; the program looks for it in its own folder.
#ifdef _WIN32
inline constexpr const char* kResizeModuleName = "RESIZE32.DLL";
#else
inline constexpr const char* kResizeModuleName = "libresize32.so";
#endif
inline constexpr const char* kResizeNotFoundMessage = "Not Found RESIZE32.DLL";

// The module path for a program folder. An empty folder gives the bare file
// name, which leaves the search to the dynamic loader.
std::string resizeModulePath(const std::string& programDir);

class ResizeHost {
  public:
    virtual ~ResizeHost() = default;

    // Path handed to dlopen, read anew for every picture.
    virtual std::string modulePath() const = 0;
    // Shows `text` and returns when the user has dismissed it.
    virtual void showMessage(const std::string& text) = 0;

    // False at start. While set, a missing module is not announced. Set after
    // the announcement and after a failed call, cleared by a successful call.
    // The program keeps one host for its whole run, so this is process-wide.
    bool NoResizeMsg = false;
};

} // namespace slidora
