// The fixed record that ends every saver file, and where it puts the logo.
#pragma once

#include <cstddef>
#include <cstdint>

#include "package/saver_settings.h"

#if !defined(__BYTE_ORDER__) || __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__
#error "the package is read by copying little-endian bytes into the record"
#endif

constexpr size_t TrailerTextSize = 64;
constexpr size_t TrailerMagicSize = 8;
constexpr char TrailerMagic[] = "zolvinar";

struct SaverTrailer {
    uint32_t Reserved0;
    int32_t ImageSize;
    SaverSettings Settings;
    uint32_t SaverId;
    uint32_t BackgroundColor;
    int32_t TransparentColor;
    char Description[TrailerTextSize];
    char SaverName[TrailerTextSize];
    char WebAddress[TrailerTextSize];
    char Magic[TrailerMagicSize];
    uint32_t ImageSlot;
};
static_assert(sizeof(SaverTrailer) == 324, "the trailer is exactly 324 bytes");
static_assert(offsetof(SaverTrailer, Settings) == 8, "trailer layout");
static_assert(offsetof(SaverTrailer, SaverId) == 108, "trailer layout");
static_assert(offsetof(SaverTrailer, Description) == 120, "trailer layout");
static_assert(offsetof(SaverTrailer, SaverName) == 184, "trailer layout");
static_assert(offsetof(SaverTrailer, WebAddress) == 248, "trailer layout");
static_assert(offsetof(SaverTrailer, Magic) == 312, "trailer layout");
static_assert(offsetof(SaverTrailer, ImageSlot) == 320, "trailer layout");

constexpr size_t TrailerSize = sizeof(SaverTrailer);

// Whether the eight magic bytes are exactly "zolvinar".
bool TrailerMagicValid(const SaverTrailer& trailer);

// Resets the defaults as a fresh saver has them: the settings defaults, a
// dialog that is enabled, black background and transparent colour, and the
// magic. Name, description, address, id and the drip fields stay.
void ApplyDefaultTrailer(SaverTrailer* trailer);

enum class PackageLayout {
    Sound,     // the trailer's magic is right and the image, if any, lies inside the file
    NoImage,   // magic right, ImageSize 0 or less
    Damaged,   // too short for a trailer, wrong magic, or an image reaching before the file
};

// Judges a trailer that ends `packageEnd` bytes into its file (the end of
// the file unless a signature follows), already copied into `trailer`. For a
// sound package, `imageOffset` receives where the logo starts.
PackageLayout JudgePackage(const SaverTrailer& trailer, uint64_t packageEnd, uint64_t* imageOffset);

// Formats "Software\Glimmora\Savers\<name>.<id in lower-case hex>\" into
// `out`; the name is taken up to its terminator or the end of its slot.
// Returns false (and an empty text) if it does not fit.
bool FormatSettingsKey(const SaverTrailer& trailer, char* out, size_t outSize);
