#include "audiosource.h"

#include "mpegsource.h"
#include "riffparser.h"
#include "sourcefile.h"
#include "wavsource.h"

namespace slidora::vbmp3 {

std::unique_ptr<AudioSource> openAudioSource(const char* path) {
    std::unique_ptr<RandomAccess> file = SourceFile::open(path);
    if (!file) return nullptr;
    const RiffLayout layout = parseRiff(*file);
    switch (layout.kind) {
    case RiffKind::PcmWave:
        return WavSource::create(std::move(file), layout);
    case RiffKind::MpegInRiff:
        return MpegSource::create(std::move(file), layout.dataOffset, layout.dataBytes,
                                  SourceKind::MpegInRiff);
    case RiffKind::NotRiff: {
        const std::uint64_t sizeBytes = file->sizeBytes();
        return MpegSource::create(std::move(file), 0, sizeBytes, SourceKind::Mpeg);
    }
    case RiffKind::Unsupported:
        break;
    }
    return nullptr;
}

} // namespace slidora::vbmp3
