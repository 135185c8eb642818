#include "platform/ErrorText.h"

namespace slidora {

std::string withFullStop(const std::string& message) {
    if (message.empty()) return message;
    // Find the start of the last UTF-8 sequence and decode its code point.
    std::size_t start = message.size() - 1;
    while (start > 0 && (static_cast<unsigned char>(message[start]) & 0xC0) == 0x80)
        --start;
    const auto lead = static_cast<unsigned char>(message[start]);
    char32_t cp = 0;
    if (lead < 0x80) {
        cp = lead;
    } else {
        int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : 1;
        cp = lead & (0x3F >> extra);
        for (std::size_t i = start + 1; i < message.size() && extra > 0; ++i, --extra)
            cp = (cp << 6) | (static_cast<unsigned char>(message[i]) & 0x3F);
    }
    return cp > U'.' ? message + "." : message;
}

std::string formatMessage(const std::string& pattern, const std::string& value) {
    std::string out = pattern;
    const auto at = out.find("%s");
    if (at != std::string::npos) out.replace(at, 2, value);
    return out;
}

} // namespace slidora
