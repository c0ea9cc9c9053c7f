// The settings record every saver carries: defaults, normalisation, field table.
#pragma once

#include <cstddef>
#include <cstdint>

// 25 signed 32-bit fields, in the order in which they are stored in the package
// trailer and in the registry value "Settings".
struct SaverSettings {
    int32_t SettingsDialogEnabled;
    int32_t EnabledModes;
    int32_t HiddenPages;
    int32_t ChangeModeEnabled;
    int32_t ChangeModeMinutes;
    int32_t IgnoreInput;
    int32_t UseTransparency;
    int32_t PlainDelayMs;
    int32_t Reserved8;
    int32_t BounceSpeed;
    int32_t BounceGravity;
    int32_t BounceWrapSides;
    int32_t ManyDelayMs;
    int32_t FadeIntervalMs;
    int32_t FadeSpeed;
    int32_t FadeRandomPositions;
    int32_t FadeDerived;
    int32_t DripIntervalMs;
    int32_t DripTile;
    int32_t FallingIntervalMs;
    int32_t FallingSpeed;
    int32_t FallingLogoCount;
    int32_t FallingSizeByDepth;
    int32_t FallingFadeInDistance;
    int32_t FallingDirection;
};
static_assert(sizeof(SaverSettings) == 100, "the stored record is exactly 100 bytes");

// IgnoreInput bits.
constexpr int32_t IgnoreKeys = 1;
constexpr int32_t IgnoreClicks = 2;
constexpr int32_t IgnoreMovement = 4;

// Writes the built-in defaults. DripIntervalMs and DripTile have no default
// and keep whatever they held.
void ApplyDefaultSettings(SaverSettings* settings);

// FadeDerived follows FadeSpeed, gravity is stored as three times the speed,
// and a key press is never ignored together with both kinds of mouse input
// (values of 7 and above, and negative ones, become 6).
void NormaliseSettings(SaverSettings* settings);

// The 32-bit field at a byte offset of the record.
int32_t ReadSettingsAt(const SaverSettings& settings, size_t offset);
void WriteSettingsAt(SaverSettings* settings, size_t offset, int32_t value);

// One row per field: its name, where it lives, and the range the settings
// pages can produce. `Choices` lists the only values allowed where a field
// is a selection rather than a range.
struct SettingsField {
    const char* Name;
    size_t Offset;
    int32_t Minimum;
    int32_t Maximum;
    const int32_t* Choices;
    int ChoiceCount;
};

constexpr int SettingsFieldCount = 25;
extern const SettingsField SettingsFields[SettingsFieldCount];

// The row for a field name (exact, case-sensitive), or nullptr.
const SettingsField* FindSettingsField(const char* name);

int32_t ReadSettingsField(const SaverSettings& settings, const SettingsField& field);
void WriteSettingsField(SaverSettings* settings, const SettingsField& field, int32_t value);

// Whether a value lies inside what the settings pages allow for that field.
bool SettingsValueAllowed(const SettingsField& field, int32_t value);
