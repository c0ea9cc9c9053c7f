// PNG decoding by stb_image (Debian's libstb-dev), built into the tool.
#include <climits>

#include "logo_input.h"

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_MAX_DIMENSIONS MaximumBmpSide
#include <stb_image.h>

bool DecodePng(const uint8_t* bytes, size_t size, RgbaPicture* picture, std::string* problem)
{
    if (size > static_cast<size_t>(INT_MAX)) {
        *problem = "the PNG file is larger than 2 GB";
        return false;
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
