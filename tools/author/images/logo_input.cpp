// Logo files: format by signature, PNG chunk checks, flattening of alpha.
#include "images/logo_input.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "images/bmp_layouts.h"
#include "images/logo_colours.h"

namespace {

const uint8_t PngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

uint32_t LittleEndian32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[3]) << 24 | static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[0];
}

uint32_t BigEndian32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 | static_cast<uint32_t>(p[2]) << 8 | p[3];
}

}  // namespace

uint32_t PngChunkCrc(const uint8_t* bytes, size_t size)
{
    static uint32_t table[256];
    if (table[1] == 0)
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[n] = c;
        }
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i)
        crc = table[(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

namespace {

uint32_t RgbOf(uint32_t colorref)
{
    return (colorref & 0xFF) << 16 | (colorref & 0xFF00) | (colorref >> 16 & 0xFF);
}

uint32_t ColorrefOf(uint32_t rgb) { return RgbOf(rgb); }

uint32_t Blend(uint32_t colour, uint32_t background, uint32_t alpha)
{
    return (colour * alpha + background * (255 - alpha) + 127) / 255;
}

}  // namespace

LogoFormat DetectLogoFormat(const std::vector<uint8_t>& bytes)
{
    if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M')
        return LogoFormat::Bmp;
    if (bytes.size() >= sizeof PngSignature && std::memcmp(bytes.data(), PngSignature, sizeof PngSignature) == 0)
        return LogoFormat::Png;
    return LogoFormat::Unknown;
}

std::string PngStructureProblem(const uint8_t* bytes, size_t size, std::vector<PngChunkSpan>* damaged)
{
    damaged->clear();
    size_t at = sizeof PngSignature;
    for (int index = 1;; ++index) {
        if (size - at < 12)
            return "the file ends before its IEND chunk";
        const uint32_t length = BigEndian32(bytes + at);
        const std::string type(reinterpret_cast<const char*>(bytes + at + 4), 4);
        if (length > 0x7FFFFFFFu || size - at - 12 < length)
            return "the file ends inside its " + type + " chunk";
        if (PngChunkCrc(bytes + at + 4, length + 4) != BigEndian32(bytes + at + 8 + length)) {
            if (!(bytes[at + 4] & 0x20))  // a critical chunk's type starts with a capital letter
                return "its " + type + " chunk (chunk " + std::to_string(index) + ") fails its CRC check";
            damaged->push_back({at, 12 + static_cast<size_t>(length), type});
        }
        if (index == 1) {
            if (type != "IHDR" || length != 13)
                return "it does not start with an IHDR chunk";
            const uint32_t width = BigEndian32(bytes + at + 8), height = BigEndian32(bytes + at + 12);
            if (width == 0 || height == 0)
                return "the picture has no width or no height";
            if (width > static_cast<uint32_t>(MaximumBmpSide) || height > static_cast<uint32_t>(MaximumBmpSide) ||
                int64_t(width) * height > MaximumBmpPixels)
                return "the picture is too large (at most 32767 pixels a side and 32 million pixels)";
        }
        if (type == "IEND")
            return std::string();  // anything after it is not part of the picture
        at += 12 + static_cast<size_t>(length);
    }
}

std::string FlattenPicture(const RgbaPicture& picture, uint32_t backgroundColor, KeyChoice key, FlatLogo* logo)
{
    const uint32_t background = RgbOf(backgroundColor);
    const size_t count = static_cast<size_t>(picture.Width) * static_cast<size_t>(picture.Height);
    logo->Pixels.assign(count, 0);
    logo->TransparentPixels = 0;
    logo->BlendedPixels = 0;
    logo->KeyPicked = false;
    std::vector<bool> transparent(count, false);
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* p = &picture.Rgba[i * 4];
        const uint32_t alpha = p[3];
        if (alpha == 0) {
            transparent[i] = true;
            ++logo->TransparentPixels;
            continue;
        }
        logo->Pixels[i] = Blend(p[0], background >> 16, alpha) << 16 | Blend(p[1], background >> 8 & 0xFF, alpha) << 8 |
                          Blend(p[2], background & 0xFF, alpha);
        logo->BlendedPixels += alpha < 255;
    }

    uint32_t keyRgb = background;
    if (key.Given && key.Colour >= 0) {
        keyRgb = RgbOf(static_cast<uint32_t>(key.Colour));
        int clashes = 0;
        for (size_t i = 0; i < count; ++i)
            clashes += !transparent[i] && logo->Pixels[i] == keyRgb;
        if (clashes > 0) {
            char colour[8];
            std::snprintf(colour, sizeof colour, "#%06X", static_cast<unsigned>(keyRgb));
            return std::string("uses the transparent colour ") + colour + " in " + std::to_string(clashes) +
                   " visible pixels, which would show the background; choose another colour, or leave it out "
                   "to have one picked";
        }
        logo->TransparentColor = key.Colour;
    } else if (key.Given || logo->TransparentPixels == 0) {
        logo->TransparentColor = -1;
        logo->BlendedPixels += logo->TransparentPixels;  // they take the background colour
    } else {
        std::vector<bool> used(1u << 24, false);
        for (size_t i = 0; i < count; ++i)
            if (!transparent[i])
                used[logo->Pixels[i]] = true;
        keyRgb = 0xFF00FF;
        for (uint32_t candidate = 0; used[keyRgb]; ++candidate) {
            if (candidate == used.size())
                return "uses every colour there is, leaving none to mark its transparent pixels";
            keyRgb = candidate;
        }
        logo->TransparentColor = static_cast<int32_t>(ColorrefOf(keyRgb));
        logo->KeyPicked = true;
    }
    for (size_t i = 0; i < count; ++i)
        if (transparent[i])
            logo->Pixels[i] = keyRgb;
    return std::string();
}

namespace {

// A BMP anew from its pixels, or why it stays as it is.
void RepackBmp(LogoPacking packing, PreparedLogo* logo)
{
    std::vector<uint32_t> pixels;
    logo->KeptBecause = DecodeBmpPixels(logo->Bmp.data(), logo->Bmp.size(), &pixels);
    if (!logo->KeptBecause.empty()) {
        logo->KeptBecause = "its pixels cannot be repacked: " + logo->KeptBecause;
        return;
    }
    PackedPicture packed = PackPicture(logo->Info.Width, logo->Info.Height, pixels.data(), packing.Only24);
    logo->Colours = packed.Colours;
    uint32_t blended;  // the background a PNG's edges were blended onto stays known
    if (BlendedBackground(logo->Bmp, &blended))
        MarkBlendedBackground(&packed.Bmp, blended);
    if (packed.Bmp == logo->Bmp || (!packing.Only24 && packed.Bmp.size() >= logo->Bmp.size())) {
        logo->KeptBecause = packed.Bmp == logo->Bmp ? "already packed that way" : "no layout is smaller";
        return;
    }
    logo->Bmp = std::move(packed.Bmp);
    logo->Repacked = true;
}

}  // namespace

std::string PrepareLogo(const std::vector<uint8_t>& bytes, uint32_t backgroundColor, KeyChoice key,
                        LogoPacking packing, PreparedLogo* logo)
{
    logo->Format = DetectLogoFormat(bytes);
    logo->KeyPicked = logo->Repacked = false;
    logo->Warnings.clear();
    logo->Colours = -1;
    logo->GivenLayout.clear();
    logo->KeptBecause.clear();
    logo->TransparentColor = key.Given ? key.Colour : -1;
    if (logo->Format == LogoFormat::Unknown)
        return "is not a BMP or PNG file";
    if (logo->Format == LogoFormat::Bmp) {
        // BI_JPEG and BI_PNG: a whole picture file inside, for printers; the display's loader refuses them.
        const auto at = [&bytes](size_t offset) { return bytes.size() >= offset + 4 ? LittleEndian32(&bytes[offset]) : 0; };
        const uint32_t compression = at(30);
        if ((compression == 4 || compression == 5) && at(14) >= 40)
            return std::string("is a BMP file that holds a ") + (compression == 4 ? "JPEG" : "PNG") +
                   " picture, which Windows cannot show as a logo; give a plain BMP" +
                   (compression == 5 ? ", or the PNG file itself" : "");
        const BmpFault fault = CheckBmp(bytes.data(), bytes.size(), &logo->Info);
        if (fault != BmpFault::None)
            return std::string("is a damaged BMP file: ") + DescribeBmpFault(fault);
        // ImageSize is a signed 32-bit field.
        if (bytes.size() > 0x7FFFFFFFu)
            return "is larger than 2 GB";
        logo->Bmp = bytes;
        logo->GivenLayout = DescribeBmpLayout(logo->Info);
        if (packing.Repack)
            RepackBmp(packing, logo);
        else
            logo->Colours = CountBmpColours(logo->Bmp.data(), logo->Bmp.size());
        CheckBmp(logo->Bmp.data(), logo->Bmp.size(), &logo->Info);
        return std::string();
    }

    std::vector<PngChunkSpan> damaged;
    std::string problem = PngStructureProblem(bytes.data(), bytes.size(), &damaged);
    std::vector<uint8_t> kept(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(std::min(bytes.size(), size_t{8})));
    size_t at = kept.size();
    for (const PngChunkSpan& chunk : damaged) {
        kept.insert(kept.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.begin() + static_cast<std::ptrdiff_t>(chunk.Offset));
        at = chunk.Offset + chunk.Size;
        logo->Warnings.push_back("its " + chunk.Type + " chunk fails its CRC check and is left out");
    }
    kept.insert(kept.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.end());
    RgbaPicture picture;
    if (problem.empty())
        DecodePng(kept.data(), kept.size(), &picture, &problem);
    if (!problem.empty())
        return "is a damaged PNG file: " + problem;
    FlatLogo flat;
    problem = FlattenPicture(picture, backgroundColor, key, &flat);
    if (!problem.empty())
        return problem;
    PackedPicture packed = PackPicture(picture.Width, picture.Height, flat.Pixels.data(), packing.Only24);
    logo->Bmp = std::move(packed.Bmp);
    logo->Colours = packed.Colours;
    if (flat.BlendedPixels > 0)
        MarkBlendedBackground(&logo->Bmp, backgroundColor);
    CheckBmp(logo->Bmp.data(), logo->Bmp.size(), &logo->Info);
    logo->TransparentColor = flat.TransparentColor;
    logo->KeyPicked = flat.KeyPicked;
    return std::string();
}

std::string FormatByteCount(uint64_t bytes)
{
    std::string digits = std::to_string(bytes);
    for (size_t at = digits.size(); at > 3; at -= 3)
        digits.insert(at - 3, ",");
    return digits + (bytes == 1 ? " byte" : " bytes");
}

std::string FormatColourCount(int64_t colours)
{
    return std::to_string(colours) + (colours == 1 ? " colour" : " colours");
}

std::string DescribePackedLogo(const PreparedLogo& logo)
{
    std::string text = std::to_string(logo.Info.Width) + " x " + std::to_string(logo.Info.Height);
    if (logo.Colours >= 0)
        text += ", " + FormatColourCount(logo.Colours);
    const std::string layout = DescribeBmpLayout(logo.Info);
    if (logo.Format == LogoFormat::Png)
        text += ", packed as " + layout;
    else if (logo.Repacked)
        text += ", repacked from " + logo.GivenLayout + " as " + layout;
    else
        text += ", kept as given, " + layout + (logo.KeptBecause.empty() ? "" : " (" + logo.KeptBecause + ")");
    return text + ": " + FormatByteCount(logo.Bmp.size());
}
