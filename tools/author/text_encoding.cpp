// Windows-1252, UTF-8 and UTF-16 conversions for the saver's texts.
#include "text_encoding.h"

#include <cstdio>

// Bytes 0x80 to 0x9F; the rest of Windows-1252 is Latin-1. Zero marks the
// five unassigned bytes, which Windows maps to the C1 code points.
static const uint16_t HighControlRow[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

static uint16_t CodePointOf(unsigned char byte)
{
    if (byte >= 0x80 && byte < 0xA0 && HighControlRow[byte - 0x80])
        return HighControlRow[byte - 0x80];
    return byte;
}

static void AppendUtf8(std::string* out, uint32_t codePoint)
{
    if (codePoint < 0x80) {
        *out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        *out += static_cast<char>(0xC0 | codePoint >> 6);
        *out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        *out += static_cast<char>(0xE0 | codePoint >> 12);
        *out += static_cast<char>(0x80 | (codePoint >> 6 & 0x3F));
        *out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        *out += static_cast<char>(0xF0 | codePoint >> 18);
        *out += static_cast<char>(0x80 | (codePoint >> 12 & 0x3F));
        *out += static_cast<char>(0x80 | (codePoint >> 6 & 0x3F));
        *out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

// The code point starting at `text[*at]`, advancing `*at`; false on a byte
// sequence that is not UTF-8 (overlong forms and surrogates included).
static bool NextCodePoint(const std::string& text, size_t* at, uint32_t* codePoint)
{
    const unsigned char lead = static_cast<unsigned char>(text[*at]);
    int length;
    uint32_t value, minimum;
    if (lead < 0x80) {
        length = 1, value = lead, minimum = 0;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, value = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, value = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, value = lead & 0x07, minimum = 0x10000;
    } else {
        return false;
    }
    if (text.size() - *at < static_cast<size_t>(length))
        return false;
    for (int i = 1; i < length; ++i) {
        const unsigned char next = static_cast<unsigned char>(text[*at + i]);
        if ((next & 0xC0) != 0x80)
            return false;
        value = value << 6 | (next & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value < 0xE000))
        return false;
    *at += static_cast<size_t>(length);
    *codePoint = value;
    return true;
}

bool Utf8ToWindows1252(const std::string& utf8, std::string* ansi, std::string* problem)
{
    ansi->clear();
    for (size_t at = 0; at < utf8.size();) {
        uint32_t codePoint;
        if (!NextCodePoint(utf8, &at, &codePoint)) {
            *problem = "is not UTF-8 text";
            return false;
        }
        // Control characters would end up in window titles and dialog texts unseen.
        if (codePoint < 0x20 || (codePoint >= 0x7F && codePoint < 0xA0)) {
            *problem = "contains a control character";
            return false;
        }
        int byte = codePoint < 0x100 ? static_cast<int>(codePoint) : -1;
        for (int i = 0; i < 32 && byte < 0; ++i)
            if (HighControlRow[i] == codePoint)
                byte = 0x80 + i;
        if (byte < 0) {
            char shown[16];
            std::snprintf(shown, sizeof shown, "U+%04X", static_cast<unsigned>(codePoint));
            std::string character;
            AppendUtf8(&character, codePoint);
            *problem = "contains " + character + " (" + shown + "), which is not in the Windows-1252 character set";
            return false;
        }
        *ansi += static_cast<char>(byte);
    }
    return true;
}

std::string Windows1252ToUtf8(const std::string& ansi)
{
    std::string utf8;
    for (char byte : ansi)
        AppendUtf8(&utf8, CodePointOf(static_cast<unsigned char>(byte)));
    return utf8;
}

std::vector<uint16_t> Windows1252ToUtf16(const std::string& ansi)
{
    std::vector<uint16_t> utf16;
    for (char byte : ansi)
        utf16.push_back(CodePointOf(static_cast<unsigned char>(byte)));
    return utf16;
}

std::string Utf16ToUtf8(const std::vector<uint16_t>& utf16)
{
    std::string utf8;
    for (size_t i = 0; i < utf16.size(); ++i) {
        uint32_t unit = utf16[i];
        if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 && utf16[i + 1] < 0xE000) {
            unit = 0x10000 + ((unit - 0xD800) << 10) + (utf16[i + 1] - 0xDC00u);
            ++i;
        } else if (unit >= 0xD800 && unit < 0xE000) {
            unit = 0xFFFD;
        }
        AppendUtf8(&utf8, unit);
    }
    return utf8;
}
