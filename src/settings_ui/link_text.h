// The link label's decisions without the platform: the browser settings as
// stored texts, the underline, and the address that the shell opens.
#pragma once

#include <cstddef>
#include <cstdint>

// "r,g,b" as a colour 0x00BBGGRR. Components start as red 255, green 0,
// blue 0; a component counts only when the comma after it is there (the
// third is read after the second comma); each keeps its low eight bits.
uint32_t ParseRegistryColour(const char* text);

// LinkUnderlineMode values.
constexpr int32_t UnderlineNever = 0;
constexpr int32_t UnderlineWhileHovered = 1;
constexpr int32_t UnderlineAlways = 2;

// "Anchor Underline": its first five characters, ignoring case, "no" or
// "hover"; anything else underlines always.
int32_t UnderlineModeFromText(const char* text);
// "Use Anchor Hover Color": its first three characters are "yes", ignoring case.
bool HoverColourWanted(const char* text);
bool LinkUnderlined(int32_t underlineMode, bool hovering);

// The label text is cut to this many characters before it becomes an address.
constexpr size_t LinkTextLimit = 74;
// Room for the cut text, the "http://" prefix and the terminator.
constexpr size_t LinkAddressCapacity = LinkTextLimit + 7 + 1;

// The address to open for a label text: as it stands when it starts with
// "http://" or "https://" (any case), else with "http://" in front. The text
// is taken up to LinkTextLimit characters; `address` holds LinkAddressCapacity.
// An empty label has no address: false, and `address` is empty.
bool LinkAddressFor(const char* labelText, char* address);
