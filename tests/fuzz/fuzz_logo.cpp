// Any file as the logo a person gives the authoring tool, with each choice of
// transparent colour: it is refused with a reason, or becomes a BMP that the
// runtime's checks accept and that carries the colour asked for, and whose
// colours can be counted; a BMP repacked has the pixels it had.
//
// A mutated PNG chunk almost never keeps its CRC, and the tool refuses a
// wrong one before decoding; the harness mends the CRCs first so that the
// decoder and the flattening of transparency see the mutated data.
#include <vector>

#include "images/bmp_layouts.h"
#include "images/logo_colours.h"
#include "images/logo_input.h"

namespace {

void MendPngChecksums(std::vector<uint8_t>& bytes)
{
    if (DetectLogoFormat(bytes) != LogoFormat::Png)
        return;
    for (size_t at = 8; at + 12 <= bytes.size();) {
        const uint32_t length = static_cast<uint32_t>(bytes[at]) << 24 | static_cast<uint32_t>(bytes[at + 1]) << 16 |
                                static_cast<uint32_t>(bytes[at + 2]) << 8 | bytes[at + 3];
        if (length > bytes.size() - at - 12)
            return;
        const uint32_t crc = PngChunkCrc(&bytes[at + 4], length + 4);
        uint8_t* stored = &bytes[at + 8 + length];
        stored[0] = static_cast<uint8_t>(crc >> 24);
        stored[1] = static_cast<uint8_t>(crc >> 16);
        stored[2] = static_cast<uint8_t>(crc >> 8);
        stored[3] = static_cast<uint8_t>(crc);
        at += 12 + static_cast<size_t>(length);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> bytes(data, data + size);
    MendPngChecksums(bytes);
    // The tool picks a colour; the person says none; the person gives one. A BMP is repacked with the last two.
    const KeyChoice keys[] = {{false, -1}, {true, -1}, {true, 0x00FF00FF}};
    for (const KeyChoice& key : keys) {
        PreparedLogo logo;
        if (!PrepareLogo(bytes, 0x00302010, key, {false, key.Given}, &logo).empty())
            continue;
        if (CheckBmp(logo.Bmp.data(), logo.Bmp.size(), nullptr) != BmpFault::None)
            __builtin_trap();
        if (logo.Format == LogoFormat::Png && key.Given && logo.TransparentColor != key.Colour)
            __builtin_trap();
        // Counting its colours reads every layout's pixels inside the bytes, and counts each pixel once.
        const uint32_t colours[] = {0, 0};
        int64_t found[2];
        if (!CountPixelsIn(logo.Bmp, colours, 2, found) || found[0] != found[1] || found[0] > int64_t{logo.Info.Width} * logo.Info.Height)
            __builtin_trap();
        std::vector<uint32_t> given, packed;  // a repacked BMP shows what it showed
        if (logo.Repacked && (!DecodeBmpPixels(bytes.data(), bytes.size(), &given).empty() ||
                              !DecodeBmpPixels(logo.Bmp.data(), logo.Bmp.size(), &packed).empty() || given != packed))
            __builtin_trap();
    }
    return 0;
}
