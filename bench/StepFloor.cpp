#include "bench/StepFloor.h"

#include "bench/BenchSupport.h"
#include "platform/Dib.h"
#include "platform/GlobalMem.h"

#include <dlfcn.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <jpeglib.h>
#include <png.h>
#include <utility>
#include <vector>

namespace slidora::bench {
namespace {

using ResizeEntry = int (*)(SlidoraHGlobal, SlidoraHGlobal, SlidoraHGlobal*, SlidoraHGlobal*, int,
                            int, int, int);

[[noreturn]] void fail(const std::string& what) {
    std::fprintf(stderr, "slidora-bench: floor: %s\n", what.c_str());
    std::exit(2);
}

// The bits block, kept for the whole run so the floor never pays for fresh
// pages; grown when a larger picture comes.
struct ReusedBits {
    SlidoraHGlobal handle = nullptr;
    std::size_t capacity = 0;
    std::uint8_t* data = nullptr;

    std::uint8_t* reserve(std::size_t size) {
        if (size > capacity) {
            if (data != nullptr) slidoraGlobalUnlock(handle);
            slidoraGlobalFree(handle);
            handle = slidoraGlobalAlloc(size, BlockFill::Unfilled);
            if (handle == nullptr) fail("out of memory");
            capacity = size;
            data = static_cast<std::uint8_t*>(slidoraGlobalLock(handle));
        }
        return data;
    }
};

ReusedBits& reusedBits() {
    static ReusedBits bits;
    return bits;
}

struct Decoded {
    int width = 0;
    int height = 0;
    std::size_t stride = 0;
};

std::size_t strideOf(int width) {
    return (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
}

// libjpeg's own error handler ends the program, which is all a floor needs.
Decoded decodeJpeg(const FloorJob& job) {
    std::FILE* file = std::fopen(job.path.c_str(), "rb");
    if (file == nullptr) fail("cannot open " + job.path);
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_EXT_BGR;
    info.scale_num = job.scaleEighths;
    info.scale_denom = 8;
    jpeg_start_decompress(&info);
    Decoded d{static_cast<int>(info.output_width), static_cast<int>(info.output_height), 0};
    d.stride = strideOf(d.width);
    std::uint8_t* bits = reusedBits().reserve(d.stride * static_cast<std::size_t>(d.height));
    JSAMPROW rows[16];
    while (info.output_scanline < info.output_height) {
        const int first = static_cast<int>(info.output_scanline);
        const int count = d.height - first < 16 ? d.height - first : 16;
        for (int i = 0; i < count; ++i)
            rows[i] = bits + static_cast<std::size_t>(d.height - 1 - first - i) * d.stride;
        jpeg_read_scanlines(&info, rows, static_cast<JDIMENSION>(count));
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    std::fclose(file);
    return d;
}

bool pngRows(png_structp png, png_infop info, Decoded* d) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_read_info(png, info);
    png_set_expand(png);
    png_set_scale_16(png);
    png_set_gray_to_rgb(png);
    png_set_strip_alpha(png);
    png_set_bgr(png);
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    d->width = static_cast<int>(png_get_image_width(png, info));
    d->height = static_cast<int>(png_get_image_height(png, info));
    d->stride = strideOf(d->width);
    std::uint8_t* bits = reusedBits().reserve(d->stride * static_cast<std::size_t>(d->height));
    for (int pass = 0; pass < passes; ++pass)
        for (int y = 0; y < d->height; ++y)
            png_read_row(png, bits + static_cast<std::size_t>(d->height - 1 - y) * d->stride,
                         nullptr);
    return true;
}

Decoded decodePng(const FloorJob& job) {
    std::FILE* file = std::fopen(job.path.c_str(), "rb");
    if (file == nullptr) fail("cannot open " + job.path);
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (info == nullptr) fail("libpng set-up");
    png_init_io(png, file);
    Decoded d;
    const bool ok = pngRows(png, info, &d);
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);
    if (!ok) fail("cannot decode " + job.path);
    return d;
}

// The benchmark's bitmaps: 24-bit, bottom-up, BITMAPINFOHEADER; their rows
// are read in one go, as they lie in the file.
Decoded decodeBmp(const FloorJob& job) {
    std::FILE* file = std::fopen(job.path.c_str(), "rb");
    if (file == nullptr) fail("cannot open " + job.path);
    std::uint8_t head[54];
    if (std::fread(head, 1, sizeof head, file) != sizeof head) fail("short " + job.path);
    auto le32 = [&](int at) {
        return static_cast<std::int32_t>(head[at] | head[at + 1] << 8 | head[at + 2] << 16 |
                                         static_cast<std::uint32_t>(head[at + 3]) << 24);
    };
    Decoded d{le32(18), le32(22), 0};
    if (d.width <= 0 || d.height <= 0 || head[28] != 24) fail("not the expected BMP " + job.path);
    d.stride = strideOf(d.width);
    const std::size_t bytes = d.stride * static_cast<std::size_t>(d.height);
    std::uint8_t* bits = reusedBits().reserve(bytes);
    if (std::fseek(file, le32(10), SEEK_SET) != 0 || std::fread(bits, 1, bytes, file) != bytes)
        fail("cannot read " + job.path);
    std::fclose(file);
    return d;
}

class Module {
  public:
    explicit Module(const std::string& path)
        : m_handle(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {
        if (m_handle == nullptr) fail("cannot open the module " + path);
        m_entry = reinterpret_cast<ResizeEntry>(dlsym(m_handle, "ResizeImg"));
        if (m_entry == nullptr) fail("no ResizeImg in " + path);
    }
    ResizeEntry entry() const { return m_entry; }

  private:
    void* m_handle;
    ResizeEntry m_entry = nullptr;
};

} // namespace

double floorStepMs(const FloorJob& job, const std::string& modulePath) {
    // Loaded once and kept: the floor does not pay for the per-picture load.
    static const Module module(modulePath);
    const BenchClock::time_point start = BenchClock::now();
    Decoded d;
    switch (job.format) {
    case FloorFormat::Jpeg:
        d = decodeJpeg(job);
        break;
    case FloorFormat::Png:
        d = decodePng(job);
        break;
    case FloorFormat::Bmp:
        d = decodeBmp(job);
        break;
    }
    // A turned picture is decoded as stored: the module is asked for the
    // same number of pixels the other way round.
    int targetWidth = job.targetWidth;
    int targetHeight = job.targetHeight;
    if ((d.width > d.height) != (targetWidth > targetHeight)) std::swap(targetWidth, targetHeight);
    SlidoraHGlobal header = slidoraGlobalAlloc(sizeof(BitmapInfoHeader));
    BitmapInfoHeader h;
    h.biWidth = d.width;
    h.biHeight = d.height;
    h.biBitCount = 24;
    h.biSizeImage = static_cast<std::uint32_t>(d.stride * static_cast<std::size_t>(d.height));
    std::memcpy(slidoraGlobalLock(header), &h, sizeof h);
    // The block reports the picture's size, as a fresh one would.
    gmem_detail::header(reusedBits().handle)->size = h.biSizeImage;
    SlidoraHGlobal outHeader = nullptr;
    SlidoraHGlobal outBits = nullptr;
    if (module.entry()(header, reusedBits().handle, &outHeader, &outBits, targetWidth, targetHeight,
                       0, 1) == 0)
        fail("the module refused " + job.path);
    slidoraGlobalFree(outHeader);
    slidoraGlobalFree(outBits);
    slidoraGlobalUnlock(header);
    slidoraGlobalFree(header);
    return millisecondsSince(start);
}

} // namespace slidora::bench
