#pragma once
#include <stdexcept>
#include <string>

namespace slidora {

// An error the program reports to the user through its general error report
// (a conversion error in the settings file, a failed write). The message is
// UTF-8 and already in the user's language.
class SlidoraError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The text of the general error report: `message` with a full stop appended
// when its last character comes after the full stop in character-code order
// (as every letter and every Japanese character does).
std::string withFullStop(const std::string& message);

// Replaces the first "%s" of `pattern` by `value`.
std::string formatMessage(const std::string& pattern, const std::string& value);

} // namespace slidora
