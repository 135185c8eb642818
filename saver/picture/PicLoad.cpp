#include "saver/picture/PicLoad.h"

#include "platform/Paths.h"

#include "saver/picture/BmpDecoder.h"
#include "saver/picture/JpegDecoder.h"
#include "saver/picture/PngDecoder.h"

#include <array>
#include <exception>
#include <string_view>

namespace slidora {
namespace {

struct DecoderEntry {
    std::string_view extension; // lower case, with its dot
    DecodeFn decode;
};

// Every decoder the program has, in one place.
constexpr std::array kDecoders = {
    DecoderEntry{".bmp", decodeBmp},   DecoderEntry{".jpg", decodeJpeg},
    DecoderEntry{".jpeg", decodeJpeg}, DecoderEntry{".jp", decodeJpeg},
    DecoderEntry{".png", decodePng},
};

bool equalsAsciiNoCase(std::string_view text, std::string_view lower) {
    if (text.size() != lower.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != lower[i]) return false;
    }
    return true;
}

} // namespace

std::string pictureExtension(const std::string& path) {
    return extensionOf(path);
}

DecodeFn pictureDecoderFor(const std::string& extension) {
    for (const DecoderEntry& entry : kDecoders)
        if (equalsAsciiNoCase(extension, entry.extension)) return entry.decode;
    return nullptr;
}

DecodeResult PngLoad(const std::string& path, WorkingPicture& picture) {
    return decodePng(path, picture, {});
}

namespace {

// Empties the picture but for the caller's sink.
void clear(WorkingPicture& picture) {
    RowSink* const sink = picture.sink;
    picture = WorkingPicture{};
    picture.sink = sink;
}

} // namespace

bool PicLoad(const std::string& path, WorkingPicture& picture, const TargetSizeFn& target) {
    clear(picture);
    const DecodeFn decode = pictureDecoderFor(pictureExtension(path));
    if (decode == nullptr) return false;
    DecodeOutcome outcome = DecodeOutcome::Failed;
    try {
        outcome = decode(path, picture, target).outcome;
    } catch (const std::exception&) {
        // Out of memory for a picture within the size limit, or a throwing
        // target function: this picture cannot be shown, the show goes on.
        outcome = DecodeOutcome::Failed;
    }
    if (outcome != DecodeOutcome::Decoded) {
        clear(picture);
        return false;
    }
    return true;
}

} // namespace slidora
