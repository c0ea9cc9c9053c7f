// Defaults, normalisation and the named field table of the settings record.
#include "package/saver_settings.h"

#include <climits>
#include <cstring>

void ApplyDefaultSettings(SaverSettings* settings)
{
    settings->SettingsDialogEnabled = 1;
    settings->EnabledModes = 255;
    settings->HiddenPages = 0;
    settings->ChangeModeEnabled = 1;
    settings->ChangeModeMinutes = 5;
    settings->IgnoreInput = 0;
    settings->UseTransparency = 1;
    settings->PlainDelayMs = 5000;
    settings->Reserved8 = 10;
    settings->BounceSpeed = 3;
    settings->BounceGravity = 1;
    settings->BounceWrapSides = 0;
    settings->ManyDelayMs = 300;
    settings->FadeIntervalMs = 10;
    settings->FadeSpeed = 3;
    settings->FadeRandomPositions = 1;
    settings->FadeDerived = 950;
    settings->FallingIntervalMs = 5;
    settings->FallingSpeed = 10;
    settings->FallingLogoCount = 15;
    settings->FallingSizeByDepth = 1;
    settings->FallingFadeInDistance = 1;
    settings->FallingDirection = 2;
    NormaliseSettings(settings);
}

// Stored values may be anything a registry editor can write, so the products
// are formed in unsigned arithmetic: they wrap as the 32-bit original does
// instead of overflowing.
static int32_t WrappingMultiplyAdd(int32_t base, int32_t factor, int32_t value)
{
    return static_cast<int32_t>(static_cast<uint32_t>(base) +
                                static_cast<uint32_t>(factor) * static_cast<uint32_t>(value));
}

void NormaliseSettings(SaverSettings* settings)
{
    settings->FadeDerived = WrappingMultiplyAdd(1550, -200, settings->FadeSpeed);
    if (settings->BounceGravity != 0)
        settings->BounceGravity = WrappingMultiplyAdd(0, 3, settings->BounceSpeed);
    // A negative value, as a registry editor can store, would ignore keys too.
    if (settings->IgnoreInput >= 7 || settings->IgnoreInput < 0)
        settings->IgnoreInput = 6;
}

#define FIELD(name) #name, offsetof(SaverSettings, name)

static constexpr int32_t FallingDirectionChoices[] = {1, 2, 4, 8, 12, 3, 15};

const SettingsField SettingsFields[SettingsFieldCount] = {
    {FIELD(SettingsDialogEnabled), 0, 1, nullptr, 0},
    {FIELD(EnabledModes), 0, 255, nullptr, 0},
    {FIELD(HiddenPages), 0, 255, nullptr, 0},
    {FIELD(ChangeModeEnabled), 0, 1, nullptr, 0},
    {FIELD(ChangeModeMinutes), 1, 60, nullptr, 0},
    {FIELD(IgnoreInput), 0, 7, nullptr, 0},
    {FIELD(UseTransparency), 0, 1, nullptr, 0},
    {FIELD(PlainDelayMs), 1000, 15000, nullptr, 0},
    {FIELD(Reserved8), INT32_MIN, INT32_MAX, nullptr, 0},
    {FIELD(BounceSpeed), 1, 10, nullptr, 0},
    {FIELD(BounceGravity), 0, 30, nullptr, 0},
    {FIELD(BounceWrapSides), 0, 1, nullptr, 0},
    {FIELD(ManyDelayMs), 100, 2600, nullptr, 0},
    {FIELD(FadeIntervalMs), 1, 1000, nullptr, 0},
    {FIELD(FadeSpeed), 1, 5, nullptr, 0},
    {FIELD(FadeRandomPositions), 0, 1, nullptr, 0},
    {FIELD(FadeDerived), INT32_MIN, INT32_MAX, nullptr, 0},
    {FIELD(DripIntervalMs), 10, 910, nullptr, 0},
    {FIELD(DripTile), 0, 1, nullptr, 0},
    {FIELD(FallingIntervalMs), 1, 1000, nullptr, 0},
    {FIELD(FallingSpeed), 1, 25, nullptr, 0},
    {FIELD(FallingLogoCount), 1, 50, nullptr, 0},
    {FIELD(FallingSizeByDepth), 0, 1, nullptr, 0},
    {FIELD(FallingFadeInDistance), 0, 1, nullptr, 0},
    {FIELD(FallingDirection), 1, 15, FallingDirectionChoices,
     static_cast<int>(sizeof FallingDirectionChoices / sizeof FallingDirectionChoices[0])},
};

#undef FIELD

const SettingsField* FindSettingsField(const char* name)
{
    for (const SettingsField& field : SettingsFields)
        if (std::strcmp(field.Name, name) == 0)
            return &field;
    return nullptr;
}

int32_t ReadSettingsAt(const SaverSettings& settings, size_t offset)
{
    int32_t value;
    std::memcpy(&value, reinterpret_cast<const unsigned char*>(&settings) + offset, sizeof value);
    return value;
}

void WriteSettingsAt(SaverSettings* settings, size_t offset, int32_t value)
{
    std::memcpy(reinterpret_cast<unsigned char*>(settings) + offset, &value, sizeof value);
}

int32_t ReadSettingsField(const SaverSettings& settings, const SettingsField& field)
{
    return ReadSettingsAt(settings, field.Offset);
}

void WriteSettingsField(SaverSettings* settings, const SettingsField& field, int32_t value)
{
    WriteSettingsAt(settings, field.Offset, value);
}

bool SettingsValueAllowed(const SettingsField& field, int32_t value)
{
    if (field.Choices) {
        for (int i = 0; i < field.ChoiceCount; ++i)
            if (field.Choices[i] == value)
                return true;
        return false;
    }
    return value >= field.Minimum && value <= field.Maximum;
}
