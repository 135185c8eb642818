#pragma once
// The system's own text for a Win32 error code, in UTF-8 and without the
// trailing line break, for messages that name a file and what went wrong.
#include <string>

namespace slidora::win {

// `code` is a GetLastError() value; an unknown code reads "error <code>".
std::string errorText(unsigned long code);
// errorText(GetLastError()).
std::string lastErrorText();

} // namespace slidora::win
