// BMP checks: every field that a decoder trusts must lie inside the file.
#include "package/bmp_format.h"
#include "testkit.h"

#include <cstring>
#include <vector>

static void Put32(std::vector<uint8_t>& file, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        file[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

static void Put16(std::vector<uint8_t>& file, size_t at, uint16_t value)
{
    file[at] = static_cast<uint8_t>(value);
    file[at + 1] = static_cast<uint8_t>(value >> 8);
}

static std::vector<uint8_t> SmallBmp(int32_t width, int32_t height)
{
    std::vector<uint32_t> pixels(static_cast<size_t>(width * height), 0x00FF8000);
    return EncodeBmp24(width, height, pixels.data());
}

TEST_CASE(encoded_bmp_is_bottom_up_with_padded_rows)
{
    const uint32_t pixels[] = {0x00112233, 0x00445566, 0x00778899,   // top row
                               0x00AABBCC, 0x00DDEEFF, 0x00010203};
    const std::vector<uint8_t> file = EncodeBmp24(3, 2, pixels);
    CHECK_EQ(file.size(), static_cast<size_t>(54 + 2 * 12));   // 9 bytes a row padded to 12
    BmpInfo info = {};
    REQUIRE(CheckBmp(file.data(), file.size(), &info) == BmpFault::None);
    CHECK_EQ(info.Width, 3);
    CHECK_EQ(info.Height, 2);
    CHECK_EQ(info.BitCount, 24);
    CHECK(!info.TopDown);
    // The first stored row is the bottom one, in blue-green-red order.
    CHECK_EQ(file[54], 0xCC);
    CHECK_EQ(file[55], 0xBB);
    CHECK_EQ(file[56], 0xAA);
    CHECK_EQ(file[54 + 12 + 6], 0x99);
    CHECK_EQ(file[54 + 9], 0);   // padding
}

TEST_CASE(damaged_headers_are_refused_before_decoding)
{
    struct Row {
        const char* Name;
        void (*Damage)(std::vector<uint8_t>&);
        BmpFault Fault;
    };
    const Row rows[] = {
        {"not BM", [](std::vector<uint8_t>& f) { f[1] = 'A'; }, BmpFault::NotBmp},
        {"cut inside the headers", [](std::vector<uint8_t>& f) { f.resize(30); }, BmpFault::TooShort},
        {"unknown header size", [](std::vector<uint8_t>& f) { Put32(f, 14, 64); }, BmpFault::BadHeaderSize},
        {"header larger than the file", [](std::vector<uint8_t>& f) { Put32(f, 14, 124); f.resize(100); },
         BmpFault::TooShort},
        {"zero width", [](std::vector<uint8_t>& f) { Put32(f, 18, 0); }, BmpFault::BadDimensions},
        {"negative width", [](std::vector<uint8_t>& f) { Put32(f, 18, 0xFFFFFFF0); }, BmpFault::BadDimensions},
        {"zero height", [](std::vector<uint8_t>& f) { Put32(f, 22, 0); }, BmpFault::BadDimensions},
        {"most negative height", [](std::vector<uint8_t>& f) { Put32(f, 22, 0x80000000); }, BmpFault::TooLarge},
        {"huge picture", [](std::vector<uint8_t>& f) { Put32(f, 18, 30000); Put32(f, 22, 30000); },
         BmpFault::TooLarge},
        {"two planes", [](std::vector<uint8_t>& f) { Put16(f, 26, 2); }, BmpFault::BadPlanes},
        {"7 bits per pixel", [](std::vector<uint8_t>& f) { Put16(f, 28, 7); }, BmpFault::BadBitCount},
        {"JPEG inside", [](std::vector<uint8_t>& f) { Put32(f, 30, 4); }, BmpFault::BadCompression},
        {"RLE8 with 24 bits", [](std::vector<uint8_t>& f) { Put32(f, 30, 1); }, BmpFault::BadCompression},
        {"pixel offset past the end", [](std::vector<uint8_t>& f) { Put32(f, 10, 0x7FFFFFFF); },
         BmpFault::BadPixelOffset},
        {"pixel offset inside the header", [](std::vector<uint8_t>& f) { Put32(f, 10, 20); },
         BmpFault::BadPixelOffset},
        {"last row cut", [](std::vector<uint8_t>& f) { f.pop_back(); }, BmpFault::PixelsTruncated},
        {"taller than its pixels", [](std::vector<uint8_t>& f) { Put32(f, 22, 9); }, BmpFault::PixelsTruncated},
    };
    for (const Row& row : rows) {
        TEST_ROW(row.Name);
        std::vector<uint8_t> file = SmallBmp(4, 4);
        row.Damage(file);
        CHECK_EQ(CheckBmp(file.data(), file.size(), nullptr), row.Fault);
    }
}

// An 8-bit RLE logo with its palette, the smallest of each accepted layout.
TEST_CASE(palettes_compression_and_old_headers_are_bounded)
{
    std::vector<uint8_t> rle(14 + 40 + 256 * 4 + 4, 0);
    rle[0] = 'B';
    rle[1] = 'M';
    Put32(rle, 10, 14 + 40 + 256 * 4);
    Put32(rle, 14, 40);
    Put32(rle, 18, 2000);
    Put32(rle, 22, 1000);  // RLE pixels are not bounded by the file, only the size is
    Put16(rle, 26, 1);
    Put16(rle, 28, 8);
    Put32(rle, 30, 1);
    BmpInfo info = {};
    CHECK_EQ(CheckBmp(rle.data(), rle.size(), &info), BmpFault::BadCompressedSize);  // the decoder's bound missing
    Put32(rle, 34, 5);
    CHECK_EQ(CheckBmp(rle.data(), rle.size(), &info), BmpFault::BadCompressedSize);  // ...or past the end
    Put32(rle, 34, 4);
    CHECK_EQ(CheckBmp(rle.data(), rle.size(), &info), BmpFault::None);
    CHECK_EQ(info.Compression, 1u);
    CHECK_EQ(info.InfoSize, 40u + 256 * 4);
    CHECK_EQ(info.PixelOffset, 14u + 40 + 256 * 4);

    Put32(rle, 22, static_cast<uint32_t>(-1000));
    CHECK_EQ(CheckBmp(rle.data(), rle.size(), nullptr), BmpFault::BadCompression);  // RLE is never top-down
    Put32(rle, 22, 1000);
    Put32(rle, 46, 257);
    CHECK_EQ(CheckBmp(rle.data(), rle.size(), nullptr), BmpFault::BadPalette);
    Put32(rle, 46, 0);
    rle.resize(14 + 40 + 100);
    CHECK_EQ(CheckBmp(rle.data(), rle.size(), nullptr), BmpFault::BadPalette);

    // The 12-byte header of OS/2 bitmaps: 16-bit sizes and 3-byte palette entries.
    std::vector<uint8_t> core(14 + 12 + 2 * 3 + 4 * 4, 0);
    core[0] = 'B';
    core[1] = 'M';
    Put32(core, 10, 14 + 12 + 2 * 3);
    Put32(core, 14, 12);
    Put16(core, 18, 4);
    Put16(core, 20, 4);
    Put16(core, 22, 1);
    Put16(core, 24, 1);
    CHECK_EQ(CheckBmp(core.data(), core.size(), &info), BmpFault::None);
    CHECK_EQ(info.Width, 4);
    Put16(core, 24, 32);
    CHECK_EQ(CheckBmp(core.data(), core.size(), nullptr), BmpFault::BadBitCount);

    // Top-down 24-bit is accepted and reported as such.
    std::vector<uint8_t> topDown = SmallBmp(4, 4);
    Put32(topDown, 22, static_cast<uint32_t>(-4));
    CHECK_EQ(CheckBmp(topDown.data(), topDown.size(), &info), BmpFault::None);
    CHECK(info.TopDown);
    CHECK_EQ(info.Height, 4);
}

TEST_CASE(every_truncation_of_a_sound_file_is_refused_without_reading_past_it)
{
    const std::vector<uint8_t> file = SmallBmp(5, 3);
    for (size_t size = 0; size < file.size(); ++size) {
        // A copy of exactly `size` bytes lets AddressSanitizer see any over-read.
        std::vector<uint8_t> cut(file.begin(), file.begin() + static_cast<long>(size));
        CHECK(CheckBmp(cut.data(), cut.size(), nullptr) != BmpFault::None);
    }
}

TEST_MAIN()
