// Parsing the browser's link settings and forming the link's address.
#include "settings_ui/link_text.h"

#include <cctype>
#include <cstring>

namespace {

// atoi's reading (blanks, a sign, digits) without its undefined overflow:
// digits beyond 32 bits wrap, which keeps the low bits that a colour uses.
int32_t LeadingNumber(const char* text)
{
    while (std::isspace(static_cast<unsigned char>(*text)))
        ++text;
    bool negative = false;
    if (*text == '+' || *text == '-')
        negative = *text++ == '-';
    uint32_t value = 0;
    while (*text >= '0' && *text <= '9')
        value = value * 10 + static_cast<uint32_t>(*text++ - '0');
    return static_cast<int32_t>(negative ? 0u - value : value);
}

// Whether the first `length` characters of text, cut there, equal `word`
// ignoring case.
bool CutTextIs(const char* text, size_t length, const char* word)
{
    size_t i = 0;
    for (; i < length && text[i] != '\0'; ++i)
        if (word[i] == '\0' || std::tolower(static_cast<unsigned char>(text[i])) != word[i])
            return false;
    return word[i] == '\0';
}

bool StartsWithIgnoringCase(const char* text, const char* prefix)
{
    for (; *prefix; ++text, ++prefix)
        if (std::tolower(static_cast<unsigned char>(*text)) != *prefix)
            return false;
    return true;
}

}  // namespace

uint32_t ParseRegistryColour(const char* text)
{
    int32_t components[3] = {255, 0, 0};
    int read = 0;
    const char* start = text;
    for (const char* at = text; *at; ++at) {
        if (*at != ',')
            continue;
        components[read++] = LeadingNumber(start);
        start = at + 1;
        if (read == 2) {
            components[2] = LeadingNumber(start);
            break;
        }
    }
    return (static_cast<uint32_t>(components[0]) & 0xFF) | (static_cast<uint32_t>(components[1]) & 0xFF) << 8 |
           (static_cast<uint32_t>(components[2]) & 0xFF) << 16;
}

int32_t UnderlineModeFromText(const char* text)
{
    if (CutTextIs(text, 5, "no"))
        return UnderlineNever;
    if (CutTextIs(text, 5, "hover"))
        return UnderlineWhileHovered;
    return UnderlineAlways;
}

bool HoverColourWanted(const char* text) { return CutTextIs(text, 3, "yes"); }

bool LinkUnderlined(int32_t underlineMode, bool hovering)
{
    return underlineMode == UnderlineAlways || (hovering && underlineMode == UnderlineWhileHovered);
}

bool LinkAddressFor(const char* labelText, char* address)
{
    char text[LinkTextLimit + 1];
    size_t length = 0;
    while (length < LinkTextLimit && labelText[length] != '\0') {
        text[length] = labelText[length];
        ++length;
    }
    text[length] = '\0';

    address[0] = '\0';
    if (length == 0)
        return false;
    if (!StartsWithIgnoringCase(text, "http://") && !StartsWithIgnoringCase(text, "https://"))
        std::strcpy(address, "http://");
    std::strcat(address, text);
    return true;
}
