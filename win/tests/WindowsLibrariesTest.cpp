// The libraries built by tools/build-windows-deps.sh, linked statically into
// a Windows program: each encodes and decodes in memory as the program will.
#include <gtest/gtest.h>

#include <cstdio> // jpeglib.h needs FILE and size_t first
#include <cstdlib>
#include <jpeglib.h>
#include <mpg123.h>
#include <png.h>
#include <zlib.h>

#include <vector>

namespace {

constexpr int kSide = 16;

// Blue, green, red and unused bytes: the DIB order the program asks for.
std::vector<unsigned char> bgraPicture() {
    std::vector<unsigned char> pixels(kSide * kSide * 4);
    for (int i = 0; i < kSide * kSide; ++i) {
        pixels[i * 4 + 0] = 200;
        pixels[i * 4 + 1] = 100;
        pixels[i * 4 + 2] = 50;
        pixels[i * 4 + 3] = 255;
    }
    return pixels;
}

// With the default error manager a libjpeg error ends the process, which
// fails the test as plainly as an assertion.
TEST(WindowsLibraries, JpegTakesAndGivesDibRows) {
    std::vector<unsigned char> pixels = bgraPicture();
    jpeg_error_mgr errors;
    jpeg_compress_struct out;
    out.err = jpeg_std_error(&errors);
    jpeg_create_compress(&out);
    unsigned char* encoded = nullptr;
    unsigned long encodedSize = 0;
    jpeg_mem_dest(&out, &encoded, &encodedSize);
    out.image_width = kSide;
    out.image_height = kSide;
    out.input_components = 4;
    out.in_color_space = JCS_EXT_BGRA;
    jpeg_set_defaults(&out);
    jpeg_set_quality(&out, 95, TRUE);
    jpeg_start_compress(&out, TRUE);
    while (out.next_scanline < out.image_height) {
        JSAMPROW row = pixels.data() + out.next_scanline * kSide * 4;
        jpeg_write_scanlines(&out, &row, 1);
    }
    jpeg_finish_compress(&out);
    jpeg_destroy_compress(&out);
    ASSERT_GT(encodedSize, 0UL);

    jpeg_decompress_struct in;
    in.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&in);
    jpeg_mem_src(&in, encoded, encodedSize);
    ASSERT_EQ(jpeg_read_header(&in, TRUE), JPEG_HEADER_OK);
    in.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&in);
    std::vector<unsigned char> row(in.output_width * 3);
    JSAMPROW rowPointer = row.data();
    while (in.output_scanline < in.output_height)
        jpeg_read_scanlines(&in, &rowPointer, 1);
    jpeg_finish_decompress(&in);
    jpeg_destroy_decompress(&in);
    std::free(encoded);

    EXPECT_NEAR(row[0], 200, 3);
    EXPECT_NEAR(row[1], 100, 3);
    EXPECT_NEAR(row[2], 50, 3);
}

// The simplified API reports errors in the image structure, so no setjmp.
TEST(WindowsLibraries, PngRoundTripsThroughZlib) {
    const std::vector<unsigned char> pixels = bgraPicture();
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = kSide;
    image.height = kSide;
    image.format = PNG_FORMAT_BGRA;
    png_alloc_size_t encodedSize = 0;
    ASSERT_TRUE(
        png_image_write_to_memory(&image, nullptr, &encodedSize, 0, pixels.data(), 0, nullptr))
        << image.message;
    std::vector<unsigned char> encoded(encodedSize);
    ASSERT_TRUE(png_image_write_to_memory(&image, encoded.data(), &encodedSize, 0, pixels.data(), 0,
                                          nullptr))
        << image.message;

    png_image back{};
    back.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_memory(&back, encoded.data(), encodedSize))
        << back.message;
    back.format = PNG_FORMAT_BGRA;
    std::vector<unsigned char> decoded(PNG_IMAGE_SIZE(back));
    ASSERT_TRUE(png_image_finish_read(&back, nullptr, decoded.data(), 0, nullptr)) << back.message;
    EXPECT_EQ(decoded, pixels);
    EXPECT_STREQ(zlibVersion(), ZLIB_VERSION);
}

TEST(WindowsLibraries, Mpg123AsksForDataOnAnEmptyFeed) {
    int error = MPG123_OK;
    mpg123_handle* handle = mpg123_new(nullptr, &error);
    ASSERT_NE(handle, nullptr) << mpg123_plain_strerror(error);
    ASSERT_EQ(mpg123_open_feed(handle), MPG123_OK);
    unsigned char pcm[4096];
    std::size_t done = 0;
    EXPECT_EQ(mpg123_read(handle, pcm, sizeof pcm, &done), MPG123_NEED_MORE);
    EXPECT_EQ(done, 0U);
    mpg123_delete(handle);
}

} // namespace
