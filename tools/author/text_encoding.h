// The saver's texts are Windows-1252 bytes (the runtime shows them with the
// ANSI functions); people type UTF-8. Conversions between the two, and UTF-16
// for the string table.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// UTF-8 to Windows-1252. Fails, with a reason, on bytes that are not UTF-8,
// on control characters and on characters that Windows-1252 cannot hold.
bool Utf8ToWindows1252(const std::string& utf8, std::string* ansi, std::string* problem);

// Windows-1252 to UTF-8; the five unassigned bytes become U+0081 and so on,
// as Windows itself converts them.
std::string Windows1252ToUtf8(const std::string& ansi);

std::vector<uint16_t> Windows1252ToUtf16(const std::string& ansi);

// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD.
std::string Utf16ToUtf8(const std::vector<uint16_t>& utf16);
