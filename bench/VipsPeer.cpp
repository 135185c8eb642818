#include "bench/VipsPeer.h"

#include "bench/BenchSupport.h"

#include <vector>

#if SLIDORA_BENCH_VIPS
#include <vips/vips.h>
#endif

namespace slidora::bench {

#if SLIDORA_BENCH_VIPS

namespace {

bool startVips() {
    static const bool started = [] {
        if (VIPS_INIT("slidora-bench") != 0) return false;
        // Every run decodes the file again, as the display step does.
        vips_cache_set_max(0);
        return true;
    }();
    return started;
}

// One reduction into a plain memory buffer, so every pixel is computed.
bool reduceOnce(const std::string& path, int width, int height) {
    VipsImage* out = nullptr;
    if (vips_thumbnail(path.c_str(), &out, width, "height", height, "size", VIPS_SIZE_FORCE,
                       nullptr) != 0)
        return false;
    std::size_t bytes = 0;
    void* pixels = vips_image_write_to_memory(out, &bytes);
    g_object_unref(out);
    if (pixels == nullptr) return false;
    g_free(pixels);
    return bytes == static_cast<std::size_t>(width) * height * 3;
}

} // namespace

bool vipsAvailable() {
    return startVips();
}

std::optional<double> vipsInProcessMs(const std::string& path, int width, int height, int runs) {
    if (!startVips() || !reduceOnce(path, width, height)) return std::nullopt;
    std::vector<double> samples;
    for (int i = 0; i < runs; ++i) {
        const BenchClock::time_point start = BenchClock::now();
        if (!reduceOnce(path, width, height)) return std::nullopt;
        samples.push_back(millisecondsSince(start));
    }
    return summarise(samples).medianMs;
}

#else

bool vipsAvailable() {
    return false;
}

std::optional<double> vipsInProcessMs(const std::string&, int, int, int) {
    return std::nullopt;
}

#endif

} // namespace slidora::bench
