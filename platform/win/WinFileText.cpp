#include "platform/FileText.h"

#include "platform/win/Utf16.h"

namespace slidora {

std::string fileTextAsUtf8(std::string bytes) {
    if (win::isValidUtf8(bytes)) return bytes;
    return win::codePageToUtf8(bytes);
}

} // namespace slidora
