// The fields a person chooses for a saver, from command-line options and a
// config file, and how they are checked and written into a trailer. Shared by
// create and set.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "package/saver_trailer.h"

enum class FieldKind { Text, DisplayName, SaverId, Colour, TransparentColour, Setting };

// The saver's fields other than the settings record, by config key and option.
struct IdentityField {
    const char* Key;
    const char* Option;
    const char* Value;  // how the help names the option's value
    FieldKind Kind;
    const char* Help;
};
constexpr int IdentityFieldCount = 7;
extern const IdentityField IdentityFields[IdentityFieldCount];

struct FieldChoice {
    std::string Key;     // "BackgroundColor", "BounceSpeed", ...
    std::string Value;   // as typed, UTF-8
    std::string Origin;  // "--background", "--set BounceSpeed=4", "my.conf, line 3"
    bool FromOption;
};

struct SaverChoices {
    std::vector<FieldChoice> Fields;
    std::string ConfigPath;
    bool AllowOutOfRange = false;
};

// Reads the option at `arguments[*index]` if it is a field option (--name,
// --set, ...), --config or --allow-out-of-range, advancing `*index` past its
// value. Returns false, with `*handled` false, for any other argument; on a
// usage fault returns false with `*problem` set.
bool ReadFieldOption(int count, char** arguments, int* index, SaverChoices* choices, bool* handled,
                     std::string* problem);

// Adds the config file's entries under the options: an option given for the
// same key wins. `problem` names the file and line.
bool AddConfigFile(const std::string& path, const std::string& text, SaverChoices* choices, std::string* problem);

// What create and set build before the bytes are put together.
struct SaverDraft {
    SaverTrailer Trailer;
    std::string DisplayName;       // Windows-1252
    bool DisplayNameGiven = false;
    bool SaverNameGiven = false;
    bool SaverIdGiven = false;
    bool TransparentGiven = false;
    uint32_t SettingsGiven = 0;    // bit i: settings field i was chosen
    SaverSettings AsChosen;        // the settings before normalisation
};

// Checks every choice and writes it into the draft. Texts are Windows-1252 in
// the package and at most 63 characters; settings outside what the settings
// pages allow are refused unless AllowOutOfRange. Empty when all is sound.
std::string ApplyChoices(const SaverChoices& choices, SaverDraft* draft);

// What the runtime will make of chosen values, and chosen values that leave
// the saver nothing to show; one warning each. `transparentColor` is the
// saver's, which the runtime's UseTransparency follows.
std::vector<std::string> SettingsWarnings(const SaverDraft& draft, int32_t transparentColor);

// Normalises only what the chosen settings touch, so that set leaves every
// other field as it was: FadeDerived follows FadeSpeed, a non-zero
// BounceGravity follows BounceSpeed, IgnoreInput 7 becomes 6.
void NormaliseChosenSettings(SaverSettings* settings, uint32_t settingsGiven);

// Why a text cannot be the saver's name (a backslash would split its registry
// key) or its display name (a blank entry in Windows' list), or empty.
std::string NameProblem(const std::string& ansiName, bool displayName);

// The names of a bit field's bits, numbers still being accepted:
// EnabledModes and HiddenPages by mode (and General), IgnoreInput and
// FallingDirection by what they ignore or where the logos fall.
struct BitName {
    const char* Name;
    int32_t Bit;
};
std::vector<BitName> BitNamesOf(const SettingsField& field);

// "Static, Bounce" for a value of a bit field, unnamed bits as numbers,
// "none" for 0; empty for a negative value or a field without bit names.
std::string DescribeBits(const SettingsField& field, int32_t value);
// "7 (Keys, Clicks, Movement)", or the number alone.
std::string ShowSettingValue(const SettingsField& field, int32_t value);

// Why a saver name cannot also be the display name (60 characters), or empty.
std::string NameTooLongToDisplay(const std::string& ansiName);

// The help lines that describe every field option.
std::string DescribeFieldOptions();
