// Whatever a registry editor stores as the user's settings, every mode keeps
// answering, a key still ends the run with 0, and no file is left behind.
#include <climits>
#include <set>

#include "e2e/driver.h"
#include "engine/modes.h"
#include "testkit.h"

namespace {

const std::string SettingsKey = "Software\\Glimmora\\Savers\\Hostile.4d\\";

struct Profile {
    const char* Name;
    void (*Apply)(SaverSettings*);
};

// Each profile carries several hostile values at once, so that every mode
// meets every one of them in a few runs.
const Profile Profiles[] = {
    {"zeros",
     [](SaverSettings* s) {
         s->ChangeModeMinutes = 0;
         s->PlainDelayMs = s->ManyDelayMs = s->FadeIntervalMs = s->DripIntervalMs = s->FallingIntervalMs = 0;
         s->BounceSpeed = s->FadeSpeed = s->FallingSpeed = s->FallingLogoCount = s->FallingDirection = 0;
     }},
    {"negatives",
     [](SaverSettings* s) {
         s->ChangeModeMinutes = -1;
         s->IgnoreInput = -1;
         s->PlainDelayMs = s->ManyDelayMs = s->FadeIntervalMs = s->DripIntervalMs = s->FallingIntervalMs = -1;
         s->BounceSpeed = -5;
         s->FadeSpeed = -3;
         s->FallingSpeed = -7;
         s->FallingLogoCount = -1;
         s->FallingDirection = -1;
     }},
    {"huge",
     [](SaverSettings* s) {
         s->ChangeModeMinutes = INT32_MAX;
         s->IgnoreInput = 7;
         s->PlainDelayMs = s->ManyDelayMs = s->FadeIntervalMs = s->DripIntervalMs = s->FallingIntervalMs = INT32_MAX;
         s->BounceSpeed = 100000;
         s->BounceGravity = 1;
         s->FadeSpeed = 200;
         s->FallingSpeed = INT32_MAX;
         s->FallingLogoCount = 100000;
     }},
    {"just beyond the pages' ranges",
     [](SaverSettings* s) {
         s->FallingLogoCount = 51;
         s->BounceSpeed = 11;
         s->BounceWrapSides = 1;
         s->FadeSpeed = 6;
         s->DripTile = -1;
         s->FallingDirection = 5;
         s->FallingSizeByDepth = 0;
     }},
};

std::set<std::string> TempFiles()
{
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    std::set<std::string> names;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((std::string(folder) + "*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do
            names.insert(entry.cFileName);
        while (FindNextFileA(search, &entry));
        FindClose(search);
    }
    return names;
}

// Answers a message within a second, several times over two seconds of running.
bool KeepsAnswering(const e2e::RunningSaver& run)
{
    for (int probe = 0; probe < 8; ++probe) {
        DWORD_PTR answer;
        if (!SendMessageTimeoutA(run.Window, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &answer))
            return false;
        e2e::PumpMessagesFor(250);
    }
    return true;
}

void RunWith(const std::string& saver, const SaverSettings& settings)
{
    REQUIRE(e2e::WriteUserValue(SettingsKey, "Settings", REG_BINARY, &settings, sizeof settings));
    const std::set<std::string> before = TempFiles();
    e2e::RunningSaver run = e2e::StartFullScreen(saver);
    REQUIRE(run.Window != nullptr);
    CHECK(KeepsAnswering(run));
    e2e::PressKey(VK_SPACE);
    CHECK(e2e::EndsWithZero(&run));
    CHECK(TempFiles() == before);
}

}  // namespace

TEST_CASE(every_mode_survives_hostile_stored_settings)
{
    const std::string saver = e2e::WorkFolder() + "hostile.scr";
    REQUIRE(e2e::MakeSaver(saver, "--name Hostile --saver-id 0x4d --transparent #00FF00"));
    for (const Profile& profile : Profiles)
        for (const ModeRow& mode : ModeRows) {
            TEST_ROW(std::string(profile.Name) + ", " + mode.Name);
            SaverSettings settings = {};
            ApplyDefaultSettings(&settings);
            settings.DripIntervalMs = 410;
            profile.Apply(&settings);
            settings.EnabledModes = mode.Bit;
            RunWith(saver, settings);
        }
    e2e::DeleteUserKey(SettingsKey);
}

TEST_CASE(no_mode_at_all_shows_the_background_and_still_closes)
{
    const std::string saver = e2e::WorkFolder() + "hostile.scr";
    REQUIRE(e2e::MakeSaver(saver, "--name Hostile --saver-id 0x4d"));
    for (int32_t enabled : {0, 1, -1, INT32_MIN}) {
        TEST_ROW("EnabledModes " + std::to_string(enabled));
        SaverSettings settings = {};
        ApplyDefaultSettings(&settings);
        settings.EnabledModes = enabled;
        RunWith(saver, settings);
    }
    e2e::DeleteUserKey(SettingsKey);
}

TEST_MAIN()
