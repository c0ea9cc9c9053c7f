// Building a saver file from a runtime, a logo and a trailer, and reading one back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "package/saver_trailer.h"

// The trailer of a saver nobody has configured yet: the runtime's defaults,
// the drip mode's values (which those defaults leave open), no transparent colour.
void StartTrailer(SaverTrailer* trailer);

// Why these bytes cannot be the runtime of a new saver, or nullptr if they can.
const char* RuntimeProblem(const std::vector<uint8_t>& runtime);

// Runtime, logo and trailer, in that order; the trailer's ImageSize is set
// from the logo. The logo must be smaller than 2 GB.
std::vector<uint8_t> BuildSaverFile(const std::vector<uint8_t>& runtime, const std::vector<uint8_t>& logo,
                                    SaverTrailer trailer);

// The trailer at the end of `file`, if the file is long enough to hold one.
bool ReadTrailer(const std::vector<uint8_t>& file, SaverTrailer* trailer);

// A saver's default identity, derived from its name so that rebuilding the
// same saver gives the same id (FNV-1a, 32 bits).
uint32_t SaverIdFromName(const std::string& name);

// Why a text cannot go into a 64-byte trailer slot, or an empty string if it can.
std::string TextProblem(const std::string& text);

// Copies a text that passed TextProblem into its slot, padding with zeros.
void StoreText(char (&slot)[TrailerTextSize], const std::string& text);

// A slot's text up to its terminator or the end of the slot.
std::string SlotText(const char (&slot)[TrailerTextSize]);

// "#RRGGBB" to and from a COLORREF (0x00BBGGRR).
bool ParseColour(const std::string& text, uint32_t* colorref);
std::string FormatColour(uint32_t colorref);

// Strict whole-text numbers: no spaces, no trailing characters, no overflow.
bool ParseSaverId(const std::string& text, uint32_t* id);  // decimal or 0x-hex
bool ParseInt32(const std::string& text, int32_t* value);  // decimal, may be negative

// "from 1 to 10" or "one of 1, 2, 4", for messages about a settings value.
std::string DescribeAllowedValues(const SettingsField& field);
