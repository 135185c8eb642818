#pragma once
// The general error report of the Windows program: a modal message box with
// the error icon, captioned with the application title.
#include <string>

namespace slidora::win {

inline constexpr const char* kApplicationTitle = "Slidora Saver";

// `message` is UTF-8; the full stop rule of the error texts is applied.
// `owner` is the HWND the box stands above, or null. Returns when dismissed.
void showErrorReport(const std::string& message, void* owner = nullptr);

} // namespace slidora::win
