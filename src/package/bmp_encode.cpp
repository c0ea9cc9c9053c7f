// Writing BMP files: for the authoring tool and the tests; the runtime only
// reads them.
#include "package/bmp_format.h"

namespace {

void WriteU16(uint8_t* p, uint32_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

void WriteU32(uint8_t* p, uint32_t v)
{
    WriteU16(p, v);
    WriteU16(p + 2, v >> 16);
}

}  // namespace

uint32_t BmpStride(int32_t width, int32_t bitCount)
{
    return (static_cast<uint32_t>(width) * static_cast<uint32_t>(bitCount) + 31) / 32 * 4;
}

std::vector<uint8_t> StartBmpFile(int32_t width, int32_t height, int32_t bitCount, uint32_t compression,
                                  uint32_t colours, uint32_t pixelBytes)
{
    const uint32_t offset = 14u + 40u + 4u * colours;
    std::vector<uint8_t> file(offset + pixelBytes, 0);
    uint8_t* p = file.data();
    p[0] = 'B';
    p[1] = 'M';
    WriteU32(p + 2, static_cast<uint32_t>(file.size()));
    WriteU32(p + 10, offset);
    uint8_t* header = p + 14u;
    WriteU32(header, 40u);
    WriteU32(header + 4, static_cast<uint32_t>(width));
    WriteU32(header + 8, static_cast<uint32_t>(height));
    WriteU16(header + 12, 1);
    WriteU16(header + 14, static_cast<uint32_t>(bitCount));
    WriteU32(header + 16, compression);
    WriteU32(header + 20, pixelBytes);
    WriteU32(header + 24, 2835);  // 72 dots per inch
    WriteU32(header + 28, 2835);
    WriteU32(header + 32, colours);
    return file;
}

std::vector<uint8_t> EncodeBmp24(int32_t width, int32_t height, const uint32_t* pixels)
{
    const uint32_t stride = BmpStride(width, 24);
    std::vector<uint8_t> file =
        StartBmpFile(width, height, 24, BmpCompressionRgb, 0, stride * static_cast<uint32_t>(height));
    uint8_t* const start = file.data() + 54;
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* row = start + static_cast<size_t>(height - 1 - y) * stride;
        for (int32_t x = 0; x < width; ++x) {
            const uint32_t rgb = pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
            row[x * 3 + 0] = static_cast<uint8_t>(rgb);
            row[x * 3 + 1] = static_cast<uint8_t>(rgb >> 8);
            row[x * 3 + 2] = static_cast<uint8_t>(rgb >> 16);
        }
    }
    return file;
}
