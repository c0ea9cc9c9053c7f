// Judging a package from its trailer, and the registry key of a saver.
#include "package/saver_trailer.h"
#include "testkit.h"

#include <cstring>
#include <string>

static SaverTrailer SoundTrailer(int32_t imageSize)
{
    SaverTrailer trailer = {};
    ApplyDefaultTrailer(&trailer);
    trailer.ImageSize = imageSize;
    return trailer;
}

TEST_CASE(package_layout_is_judged_from_file_size_and_trailer)
{
    struct Row { const char* Name; int32_t ImageSize; uint64_t FileSize; PackageLayout Layout; uint64_t Offset; };
    const Row rows[] = {
        {"image right before the trailer", 1000, 50000, PackageLayout::Sound, 50000 - 324 - 1000},
        {"image filling the file", 1000, 1324, PackageLayout::Sound, 0},
        {"image reaching one byte before the file", 1001, 1324, PackageLayout::Damaged, 0},
        {"largest image size in a small file", INT32_MAX, 5000, PackageLayout::Damaged, 0},
        {"no image", 0, 5000, PackageLayout::NoImage, 0},
        {"negative image size", -7, 5000, PackageLayout::NoImage, 0},
        {"file shorter than a trailer", 0, 323, PackageLayout::Damaged, 0},
        {"file that is only a trailer", 0, 324, PackageLayout::NoImage, 0},
    };
    for (const Row& row : rows) {
        TEST_ROW(row.Name);
        uint64_t offset = 0;
        CHECK_EQ(JudgePackage(SoundTrailer(row.ImageSize), row.FileSize, &offset), row.Layout);
        CHECK_EQ(offset, row.Offset);
    }
}

TEST_CASE(any_changed_magic_byte_damages_the_package)
{
    for (size_t i = 0; i < TrailerMagicSize; ++i) {
        TEST_ROW("byte " + std::to_string(i));
        SaverTrailer trailer = SoundTrailer(10);
        trailer.Magic[i] ^= 0x20;
        uint64_t offset = 0;
        CHECK_EQ(JudgePackage(trailer, 10000, &offset), PackageLayout::Damaged);
    }
}

TEST_CASE(default_trailer_keeps_identity_and_clears_colours)
{
    SaverTrailer trailer = {};
    std::strcpy(trailer.SaverName, "Demo");
    trailer.SaverId = 0xBEEF;
    trailer.BackgroundColor = 0x123456;
    trailer.TransparentColor = 0xFF00FF;
    trailer.Settings.DripIntervalMs = 210;
    ApplyDefaultTrailer(&trailer);
    CHECK(TrailerMagicValid(trailer));
    CHECK_EQ(trailer.BackgroundColor, 0u);
    CHECK_EQ(trailer.TransparentColor, 0);
    CHECK_EQ(trailer.Settings.SettingsDialogEnabled, 1);
    CHECK_EQ(trailer.Settings.DripIntervalMs, 210);
    CHECK_EQ(trailer.SaverName, "Demo");
    CHECK_EQ(trailer.SaverId, 0xBEEFu);
}

TEST_CASE(settings_key_is_formed_from_name_and_hex_id)
{
    SaverTrailer trailer = {};
    char key[160];
    std::strcpy(trailer.SaverName, "Glimmora Demo");
    trailer.SaverId = 0x1A2B;
    REQUIRE(FormatSettingsKey(trailer, key, sizeof key));
    CHECK_EQ(key, "Software\\Glimmora\\Savers\\Glimmora Demo.1a2b\\");

    std::strcpy(trailer.SaverName, "");
    trailer.SaverId = 0;
    REQUIRE(FormatSettingsKey(trailer, key, sizeof key));
    CHECK_EQ(key, "Software\\Glimmora\\Savers\\.0\\");

    // A name that fills its slot without a terminator stops at the slot's end.
    std::memset(trailer.SaverName, 'N', sizeof trailer.SaverName);
    trailer.SaverId = 0xFFFFFFFF;
    REQUIRE(FormatSettingsKey(trailer, key, sizeof key));
    CHECK_EQ(key, "Software\\Glimmora\\Savers\\" + std::string(64, 'N') + ".ffffffff\\");

    CHECK(!FormatSettingsKey(trailer, key, 40));
    CHECK_EQ(key, "");
}

TEST_MAIN()
