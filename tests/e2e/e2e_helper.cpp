// Small jobs for the whole-program runs: write a test picture or tone, read
// a pixel of the X screen, and measure the level of captured audio.
//   e2e_helper framed-bmp PATH W H     a red picture with a blue border
//   e2e_helper framed-jpg PATH W H     the same as a JPEG file, whatever the name
//   e2e_helper tone-wav PATH SECONDS   a 440 Hz 16-bit stereo sine
//   e2e_helper pixel X Y               prints "R G B" of the root window
//   e2e_helper peak FILE               prints the largest |sample| of raw s16/f32 data
//   e2e_helper host-window W H         maps a plain window, prints its id, and
//                                      keeps it until standard input closes
#include "tools/picwriter/PicWriter.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

slidora::Bitmap framed(int w, int h) {
    slidora::Bitmap bmp;
    if (!bmp.allocate(w, h, 24)) return bmp;
    const int border = 8;
    for (int y = 0; y < h; ++y) {
        std::uint8_t* row = bmp.row(y);
        for (int x = 0; x < w; ++x) {
            const bool edge = x < border || y < border || x >= w - border || y >= h - border;
            row[x * 3 + 0] = edge ? 255 : 0; // blue
            row[x * 3 + 1] = 0;
            row[x * 3 + 2] = edge ? 0 : 255; // red
        }
    }
    return bmp;
}

int framedBmp(const std::string& path, int w, int h) {
    const slidora::Bitmap bmp = framed(w, h);
    return !bmp.empty() && slidora::picwriter::writeBmp(path, bmp) ? 0 : 1;
}

int framedJpg(const std::string& path, int w, int h) {
    const slidora::Bitmap bmp = framed(w, h);
    return !bmp.empty() && slidora::picwriter::writeJpeg(path, bmp) ? 0 : 1;
}

void put16(std::ofstream& out, std::uint16_t v) {
    out.put(static_cast<char>(v & 0xFF)).put(static_cast<char>(v >> 8));
}
void put32(std::ofstream& out, std::uint32_t v) {
    put16(out, static_cast<std::uint16_t>(v & 0xFFFF));
    put16(out, static_cast<std::uint16_t>(v >> 16));
}

int toneWav(const std::string& path, double seconds) {
    const std::uint32_t rate = 44100;
    const auto frames = static_cast<std::uint32_t>(seconds * rate);
    std::ofstream out(path, std::ios::binary);
    out.write("RIFF", 4);
    put32(out, 36 + frames * 4);
    out.write("WAVEfmt ", 8);
    put32(out, 16);
    put16(out, 1);
    put16(out, 2);
    put32(out, rate);
    put32(out, rate * 4);
    put16(out, 4);
    put16(out, 16);
    out.write("data", 4);
    put32(out, frames * 4);
    for (std::uint32_t i = 0; i < frames; ++i) {
        const auto s = static_cast<std::int16_t>(16000 * std::sin(2 * M_PI * 440 * i / rate));
        put16(out, static_cast<std::uint16_t>(s));
        put16(out, static_cast<std::uint16_t>(s));
    }
    return out ? 0 : 1;
}

int pixel(int x, int y) {
    Display* d = XOpenDisplay(nullptr);
    if (d == nullptr) return 1;
    XImage* img = XGetImage(d, DefaultRootWindow(d), x, y, 1, 1, AllPlanes, ZPixmap);
    if (img == nullptr) return 1;
    const unsigned long p = XGetPixel(img, 0, 0);
    std::printf("%lu %lu %lu\n", (p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    XDestroyImage(img);
    XCloseDisplay(d);
    return 0;
}

// The disk audio driver writes the device's native format; 16-bit and float
// are both common, so report the peak read either way and let the script
// compare with a generous threshold.
int peak(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    int peak16 = 0;
    for (std::size_t i = 0; i + 1 < data.size(); i += 2) {
        std::int16_t s;
        std::memcpy(&s, &data[i], 2);
        peak16 = std::max(peak16, std::abs(static_cast<int>(s)));
    }
    float peakF = 0;
    for (std::size_t i = 0; i + 3 < data.size(); i += 4) {
        float f;
        std::memcpy(&f, &data[i], 4);
        if (std::isfinite(f) && std::fabs(f) <= 1.0f) peakF = std::max(peakF, std::fabs(f));
    }
    std::printf("%zu %d %.4f\n", data.size(), peak16, static_cast<double>(peakF));
    return 0;
}

int hostWindow(int w, int h) {
    Display* d = XOpenDisplay(nullptr);
    if (d == nullptr) return 1;
    const Window win =
        XCreateSimpleWindow(d, DefaultRootWindow(d), 100, 100, static_cast<unsigned>(w),
                            static_cast<unsigned>(h), 0, 0, 0x404040);
    XStoreName(d, win, "e2e host");
    XMapWindow(d, win);
    XSync(d, False);
    std::printf("%lu\n", static_cast<unsigned long>(win));
    std::fflush(stdout);
    char buf[64];
    while (std::fread(buf, 1, sizeof buf, stdin) > 0) {
    }
    XDestroyWindow(d, win);
    XCloseDisplay(d);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string cmd = argc > 1 ? argv[1] : "";
    if (cmd == "framed-bmp" && argc == 5)
        return framedBmp(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
    if (cmd == "framed-jpg" && argc == 5)
        return framedJpg(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
    if (cmd == "tone-wav" && argc == 4) return toneWav(argv[2], std::atof(argv[3]));
    if (cmd == "pixel" && argc == 4) return pixel(std::atoi(argv[2]), std::atoi(argv[3]));
    if (cmd == "peak" && argc == 3) return peak(argv[2]);
    if (cmd == "host-window" && argc == 4)
        return hostWindow(std::atoi(argv[2]), std::atoi(argv[3]));
    std::fprintf(stderr, "usage: see the comment at the top of e2e_helper.cpp\n");
    return 2;
}
