// Field options, config entries, and writing checked values into a trailer.
#include "saver/saver_fields.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstring>
#include <iterator>

#include "engine/falling_depth.h"
#include "engine/modes.h"
#include "installer/msi_package.h"
#include "saver/config_file.h"
#include "saver/saver_file.h"
#include "saver/string_resource.h"
#include "text_encoding.h"

const IdentityField IdentityFields[IdentityFieldCount] = {
    {"SaverName", "--name", "TEXT", FieldKind::Text,
     "the saver's name: dialog caption, About page,\nregistry key (create: the output file's name)"},
    {"DisplayName", "--display-name", "TEXT", FieldKind::DisplayName,
     "the name in Windows' list of screen savers, at\nmost 60 characters (default: the saver name)"},
    {"Description", "--description", "TEXT", FieldKind::Text, "second line of the About page"},
    {"WebAddress", "--web-address", "TEXT", FieldKind::Text, "the About page's link; empty for none"},
    {"SaverId", "--saver-id", "N", FieldKind::SaverId,
     "32-bit id, decimal or 0x-hex; with the name it\nkeys the user's settings (create: from the name)"},
    {"BackgroundColor", "--background", "#RRGGBB", FieldKind::Colour,
     "screen colour behind the logo (default #000000)"},
    {"TransparentColor", "--transparent", "#RRGGBB|none", FieldKind::TransparentColour,
     "logo colour shown see-through (default: none for\na BMP; for a PNG one that the logo does not use)"},
};

static const IdentityField* FindIdentityField(const std::string& key)
{
    for (const IdentityField& field : IdentityFields)
        if (key == field.Key)
            return &field;
    return nullptr;
}

static bool SameLetters(const std::string& a, const char* b)
{
    if (a.size() != std::strlen(b))
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// " (did you mean BounceSpeed?)" for a key in the wrong case.
static std::string Suggestion(const std::string& key)
{
    for (const IdentityField& field : IdentityFields)
        if (SameLetters(key, field.Key))
            return std::string(" (did you mean ") + field.Key + "?)";
    for (const SettingsField& field : SettingsFields)
        if (SameLetters(key, field.Name))
            return std::string(" (did you mean ") + field.Name + "?)";
    return std::string();
}

static bool ChosenByOption(const SaverChoices& choices, const std::string& key)
{
    for (const FieldChoice& choice : choices.Fields)
        if (choice.FromOption && choice.Key == key)
            return true;
    return false;
}

bool ReadFieldOption(int count, char** arguments, int* index, SaverChoices* choices, bool* handled,
                     std::string* problem)
{
    const std::string option = arguments[*index];
    *handled = true;
    if (option == "--allow-out-of-range") {
        choices->AllowOutOfRange = true;
        return true;
    }
    const IdentityField* identity = nullptr;
    for (const IdentityField& field : IdentityFields)
        if (option == field.Option)
            identity = &field;
    if (!identity && option != "--set" && option != "--config") {
        *handled = false;
        return false;
    }
    if (*index + 1 == count) {
        *problem = option + " needs a value";
        return false;
    }
    const std::string value = arguments[++*index];
    if (option == "--config") {
        if (!choices->ConfigPath.empty()) {
            *problem = "--config is given twice";
            return false;
        }
        choices->ConfigPath = value;
        return true;
    }
    FieldChoice choice = {identity ? identity->Key : "", value, option, true};
    if (!identity) {
        const size_t equals = value.find('=');
        if (equals == std::string::npos) {
            *problem = "--set " + value + " is not of the form Field=Value";
            return false;
        }
        choice = {value.substr(0, equals), value.substr(equals + 1), "--set " + value, true};
        if (choice.Key.find_first_of(" \t") != std::string::npos) {
            std::string key = choice.Key;
            key.erase(std::remove_if(key.begin(), key.end(), [](char c) { return c == ' ' || c == '\t'; }), key.end());
            *problem = "--set \"" + value + "\" has spaces around its =; write --set " + key + "=" +
                       choice.Value.substr(std::min(choice.Value.find_first_not_of(" \t"), choice.Value.size()));
            return false;
        }
    }
    // Silently taking the last of two would hide a mistake in a build script.
    if (ChosenByOption(*choices, choice.Key)) {
        *problem = (identity ? option : "--set " + choice.Key) + " is given twice";
        return false;
    }
    choices->Fields.push_back(choice);
    return true;
}

bool AddConfigFile(const std::string& path, const std::string& text, SaverChoices* choices, std::string* problem)
{
    std::vector<ConfigEntry> entries;
    if (!ParseConfigText(text, &entries, problem)) {
        *problem = path + ", " + *problem;
        return false;
    }
    std::vector<FieldChoice> fromFile;
    for (const ConfigEntry& entry : entries) {
        const std::string where = path + ", line " + std::to_string(entry.Line);
        if (IsPackageConfigKey(entry.Key))  // the msi verb's
            continue;
        if (!FindIdentityField(entry.Key) && !FindSettingsField(entry.Key.c_str())) {
            *problem = where + ": unknown key " + entry.Key + Suggestion(entry.Key);
            return false;
        }
        if (!ChosenByOption(*choices, entry.Key))
            fromFile.push_back({entry.Key, entry.Value, where, false});
    }
    choices->Fields.insert(choices->Fields.begin(), fromFile.begin(), fromFile.end());
    return true;
}

// A text for a trailer slot or the display name, in Windows-1252.
static std::string ConvertText(const std::string& value, size_t limit, std::string* ansi)
{
    std::string problem;
    if (!Utf8ToWindows1252(value, ansi, &problem))
        return problem;
    if (ansi->size() > limit)
        return "is " + std::to_string(ansi->size()) + " characters long; at most " + std::to_string(limit) + " fit";
    return std::string();
}

std::vector<BitName> BitNamesOf(const SettingsField& field)
{
    static const BitName ignored[] = {{"Keys", IgnoreKeys}, {"Clicks", IgnoreClicks}, {"Movement", IgnoreMovement}};
    static const BitName directions[] = {{"Up", FallUp}, {"Down", FallDown}, {"Left", FallLeft}, {"Right", FallRight}};
    const std::string name = field.Name;
    std::vector<BitName> names;
    if (name == "HiddenPages")
        names.push_back({"General", 1});
    if (name == "HiddenPages" || name == "EnabledModes")
        for (const ModeRow& row : ModeRows)
            names.push_back({row.Name, row.Bit});
    if (name == "IgnoreInput")
        names.assign(std::begin(ignored), std::end(ignored));
    if (name == "FallingDirection")
        names.assign(std::begin(directions), std::end(directions));
    return names;
}

std::string DescribeBits(const SettingsField& field, int32_t value)
{
    const std::vector<BitName> names = BitNamesOf(field);
    if (names.empty() || value < 0)
        return std::string();
    std::string text;
    uint32_t rest = static_cast<uint32_t>(value);
    for (const BitName& bit : names)
        if (rest & static_cast<uint32_t>(bit.Bit)) {
            text += (text.empty() ? "" : ", ") + std::string(bit.Name);
            rest &= ~static_cast<uint32_t>(bit.Bit);
        }
    for (uint32_t bit = 1; rest; bit <<= 1)
        if (rest & bit) {
            text += (text.empty() ? "" : ", ") + std::to_string(bit);
            rest &= ~bit;
        }
    return text.empty() ? "none" : text;
}

std::string ShowSettingValue(const SettingsField& field, int32_t value)
{
    const std::string bits = DescribeBits(field, value);
    return std::to_string(value) + (bits.empty() ? "" : " (" + bits + ")");
}

// A value as a person writes it: decimal, hex after 0x, or for a bit field
// the names of its bits joined by commas. Empty when it reads.
static std::string ParseSettingValue(const SettingsField& field, const std::string& text, int32_t* value)
{
    if (text.empty())
        return "needs a value, " + DescribeAllowedValues(field);
    uint32_t hex;
    const bool hexadecimal = text.size() > 1 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    if (hexadecimal ? ParseSaverId(text, &hex) : ParseInt32(text, value)) {
        if (hexadecimal)
            *value = static_cast<int32_t>(hex);
        return std::string();
    }
    const std::vector<BitName> names = BitNamesOf(field);
    if (names.empty() || hexadecimal)
        return text + " is not a whole number (decimal, or hex after 0x)";
    std::string list;
    for (const BitName& bit : names)
        list += (list.empty() ? "" : ", ") + std::string(bit.Name);
    int32_t bits = 0;
    for (size_t start = 0; start <= text.size();) {
        const size_t comma = std::min(text.find(',', start), text.size());
        std::string name = text.substr(start, comma - start);
        name.erase(0, std::min(name.find_first_not_of(' '), name.size()));
        name.erase(name.find_last_not_of(' ') + 1);
        const BitName* found = nullptr;
        for (const BitName& bit : names)
            if (SameLetters(name, bit.Name))
                found = &bit;
        if (!found)
            return "\"" + name + "\" is neither a number nor the name of one of its bits (" + list + ")";
        bits |= found->Bit;
        start = comma + 1;
    }
    *value = bits;
    return std::string();
}

static std::string ApplySetting(const FieldChoice& choice, bool allowOutOfRange, SaverDraft* draft)
{
    const SettingsField* field = FindSettingsField(choice.Key.c_str());
    if (!field)
        return choice.Origin + ": there is no settings field " + choice.Key + Suggestion(choice.Key);
    int32_t value;
    const std::string problem = ParseSettingValue(*field, choice.Value, &value);
    if (!problem.empty())
        return choice.Origin + ": " + choice.Key + " " + problem;
    if (!allowOutOfRange && !SettingsValueAllowed(*field, value))
        return choice.Origin + ": " + choice.Key + " must be " + DescribeAllowedValues(*field) +
               " (--allow-out-of-range accepts it anyway)";
    WriteSettingsField(&draft->Trailer.Settings, *field, value);
    draft->SettingsGiven |= 1u << (field - SettingsFields);
    return std::string();
}

std::string NameProblem(const std::string& ansiName, bool displayName)
{
    const char* const role = displayName ? "Windows names the saver by it in its list of screen savers" : "a saver needs a name";
    if (ansiName.empty())
        return std::string("is empty; ") + role;
    if (ansiName.find_first_not_of(' ') == std::string::npos)
        return std::string("is only spaces; ") + role;
    if (!displayName && ansiName.find('\\') != std::string::npos)
        return "holds a backslash, which would split the registry key that keeps the users' settings";
    return std::string();
}

static std::string ApplyIdentity(const IdentityField& field, const FieldChoice& choice, SaverDraft* draft)
{
    SaverTrailer& trailer = draft->Trailer;
    const std::string subject = choice.FromOption ? choice.Origin : choice.Origin + ": " + choice.Key;
    std::string ansi, problem;
    uint32_t number;
    switch (field.Kind) {
    case FieldKind::Text:
        problem = ConvertText(choice.Value, TrailerTextSize - 1, &ansi);
        if (problem.empty() && choice.Key == "SaverName")
            problem = NameProblem(ansi, false);
        if (!problem.empty())
            return subject + " " + problem;
        StoreText(choice.Key == "SaverName" ? trailer.SaverName
                  : choice.Key == "Description" ? trailer.Description : trailer.WebAddress, ansi);
        draft->SaverNameGiven |= choice.Key == "SaverName";
        return std::string();
    case FieldKind::DisplayName:
        problem = ConvertText(choice.Value, DisplayNameLength, &ansi);
        if (problem.empty())
            problem = NameProblem(ansi, true);
        if (!problem.empty())
            return subject + " " + problem;
        draft->DisplayName = ansi;
        draft->DisplayNameGiven = true;
        return std::string();
    case FieldKind::SaverId:
        if (!ParseSaverId(choice.Value, &trailer.SaverId))
            return subject + " " + choice.Value + " is not a 32-bit number (decimal, or hex after 0x)";
        draft->SaverIdGiven = true;
        return std::string();
    case FieldKind::Colour:
        if (!ParseColour(choice.Value, &trailer.BackgroundColor))
            return subject + " " + choice.Value + " is not a colour of the form #RRGGBB";
        return std::string();
    case FieldKind::TransparentColour:
        draft->TransparentGiven = true;
        if (choice.Value == "none") {
            trailer.TransparentColor = -1;
            return std::string();
        }
        if (!ParseColour(choice.Value, &number))
            return subject + " " + choice.Value + " is not a colour of the form #RRGGBB, nor none";
        trailer.TransparentColor = static_cast<int32_t>(number);
        return std::string();
    case FieldKind::Setting:
        break;
    }
    return std::string();
}

std::string ApplyChoices(const SaverChoices& choices, SaverDraft* draft)
{
    for (const FieldChoice& choice : choices.Fields) {
        const IdentityField* identity = FindIdentityField(choice.Key);
        const std::string problem = identity ? ApplyIdentity(*identity, choice, draft)
                                             : ApplySetting(choice, choices.AllowOutOfRange, draft);
        if (!problem.empty())
            return problem;
    }
    draft->AsChosen = draft->Trailer.Settings;
    return std::string();
}

std::vector<std::string> SettingsWarnings(const SaverDraft& draft, int32_t transparentColor)
{
    SaverSettings normal = draft.AsChosen;
    NormaliseSettings(&normal);
    std::vector<std::string> warnings;
    for (const SettingsField& field : SettingsFields) {
        if (!(draft.SettingsGiven >> (&field - SettingsFields) & 1))
            continue;
        const int32_t chosen = ReadSettingsField(draft.AsChosen, field), stored = ReadSettingsField(normal, field);
        const std::string name = field.Name, given = name + " " + ShowSettingValue(field, chosen);
        int rows[ModeCount];
        if (chosen != stored && !(name == "BounceGravity" && chosen == 1))  // 1 is the usual way to say "on"
            warnings.push_back(given + " is stored as " + ShowSettingValue(field, stored) +
                               (name == "IgnoreInput"     ? ": a key press always ends the saver when both kinds of "
                                                            "mouse input are ignored"
                                : name == "BounceGravity" ? ": any value but 0 turns gravity on, at three times BounceSpeed"
                                                          : ": it follows FadeSpeed"));
        if (name == "UseTransparency" && (chosen != 0) != (transparentColor >= 0))
            warnings.push_back(given + " is ignored: the runtime draws the logo see-through exactly when the saver "
                                       "has a transparent colour, and this one has " +
                               (transparentColor >= 0 ? FormatColour(static_cast<uint32_t>(transparentColor)) : "none"));
        if (name == "EnabledModes" && EnabledModeRows(chosen, rows) == 0)
            warnings.push_back(given + " enables no mode: the saver shows only its background");
    }
    return warnings;
}

void NormaliseChosenSettings(SaverSettings* settings, uint32_t settingsGiven)
{
    SaverSettings normal = *settings;
    NormaliseSettings(&normal);
    // Each field that normalisation may rewrite, and the fields it follows.
    struct Tie { const char* Field; const char* Sources[2]; };
    static const Tie ties[] = {
        {"FadeDerived", {"FadeSpeed", "FadeDerived"}},
        {"BounceGravity", {"BounceSpeed", "BounceGravity"}},
        {"IgnoreInput", {"IgnoreInput", "IgnoreInput"}},
    };
    for (const Tie& tie : ties) {
        bool touched = false;
        for (const char* source : tie.Sources)
            touched = touched || (settingsGiven >> (FindSettingsField(source) - SettingsFields) & 1);
        const SettingsField& field = *FindSettingsField(tie.Field);
        if (touched)
            WriteSettingsField(settings, field, ReadSettingsField(normal, field));
    }
}

std::string NameTooLongToDisplay(const std::string& ansiName)
{
    if (ansiName.size() <= DisplayNameLength)
        return std::string();
    return "the saver name is " + std::to_string(ansiName.size()) +
           " characters long, and Windows' list of screen savers shows at most 60; give a shorter --display-name";
}

std::string DescribeFieldOptions()
{
    const std::string indent(30, ' ');
    std::string text;
    for (const IdentityField& field : IdentityFields) {
        std::string line = std::string("  ") + field.Option + " " + field.Value;
        line.resize(indent.size(), ' ');
        for (const char* c = field.Help; *c; ++c)
            line += *c == '\n' ? "\n" + indent : std::string(1, *c);
        text += line + "\n";
    }
    text += "  --set Field=Value           one settings field, by name; may be repeated; the\n"
            "                              value in decimal, in hex after 0x, or for a bit\n"
            "                              field as names joined by commas (Static,Bounce)\n"
            "  --config FILE               fields from a file of Key = Value lines, keyed as\n"
            "                              inspect prints them; the options win over it\n"
            "  --allow-out-of-range        accepts settings that the settings dialog could\n"
            "                              not produce\n"
            "Texts are UTF-8, stored in Windows-1252, at most 63 characters.\n";
    return text;
}
