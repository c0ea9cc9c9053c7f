// PNG decoding by stb_image (Debian's libstb-dev), built into the tool.
#include <climits>
#include <cstring>

#include "images/logo_input.h"

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_MAX_DIMENSIONS MaximumBmpSide
#include <stb_image.h>

namespace {

uint32_t ChunkLength(const uint8_t* chunk)
{
    return static_cast<uint32_t>(chunk[0]) << 24 | static_cast<uint32_t>(chunk[1]) << 16 |
           static_cast<uint32_t>(chunk[2]) << 8 | chunk[3];
}

bool IsEmptyImageChunk(const uint8_t* chunk)
{
    return ChunkLength(chunk) == 0 && std::memcmp(chunk + 4, "IDAT", 4) == 0;
}

// Where the chunk at `at` ends, or 0 when the file does not hold it whole.
size_t ChunkEnd(const uint8_t* bytes, size_t size, size_t at)
{
    if (size < 12 || at > size - 12)
        return 0;
    const uint32_t length = ChunkLength(bytes + at);
    return length <= size - at - 12 ? at + 12 + length : 0;
}

// stb reads a first IDAT chunk that holds no bytes into image data it has not
// allocated yet: a copy of nothing to a null pointer, which C leaves
// undefined. Such chunks add nothing to the picture, so the decoder gets the
// file without them.
bool DropEmptyImageChunks(const uint8_t* bytes, size_t size, std::vector<uint8_t>* kept)
{
    bool found = false;
    for (size_t at = 8, end; (end = ChunkEnd(bytes, size, at)) != 0; at = end)
        found = found || IsEmptyImageChunk(bytes + at);
    if (!found)
        return false;
    kept->assign(bytes, bytes + 8);
    size_t at = 8;
    for (size_t end; (end = ChunkEnd(bytes, size, at)) != 0; at = end)
        if (!IsEmptyImageChunk(bytes + at))
            kept->insert(kept->end(), bytes + at, bytes + end);
    kept->insert(kept->end(), bytes + at, bytes + size);  // whatever follows the last whole chunk
    return true;
}

}  // namespace

bool DecodePng(const uint8_t* bytes, size_t size, RgbaPicture* picture, std::string* problem)
{
    if (size > static_cast<size_t>(INT_MAX)) {
        *problem = "the PNG file is larger than 2 GB";
        return false;
    }
    std::vector<uint8_t> kept;
    if (DropEmptyImageChunks(bytes, size, &kept)) {
        bytes = kept.data();
        size = kept.size();
    }
    int width = 0, height = 0, channels = 0;
    stbi_uc* pixels = stbi_load_from_memory(bytes, static_cast<int>(size), &width, &height, &channels, 4);
    if (!pixels) {
        *problem = std::string("its image data does not decode (") + stbi_failure_reason() + ")";
        return false;
    }
    picture->Width = width;
    picture->Height = height;
    picture->Rgba.assign(pixels, pixels + static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    stbi_image_free(pixels);
    return true;
}
