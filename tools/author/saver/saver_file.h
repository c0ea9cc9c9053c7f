// Building a saver file from a runtime, a logo and a trailer, and reading one back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "package/package_location.h"
#include "package/saver_trailer.h"
#include "saver/string_resource.h"

// The trailer of a saver nobody has configured yet: the runtime's defaults,
// the drip mode's values (which those defaults leave open), no transparent colour.
void StartTrailer(SaverTrailer* trailer);

// Why these bytes cannot be the runtime of a new saver (it reads after the
// file's name), or empty; on success `slots` holds where string 1 lies. A
// signed runtime loses its signature, which would not cover the package, and
// `signer` then says whose it was.
std::string RuntimeProblem(std::vector<uint8_t>* runtime, DisplayNameSlots* slots, std::string* signer);

// Why the program part of a saver cannot take a display name, or empty.
std::string SaverProgramProblem(const std::vector<uint8_t>& program, DisplayNameSlots* slots);

// Program, logo and trailer, in that order; the trailer's ImageSize is set
// from the logo, and string 1 of the program becomes `displayName` (at most
// 60 characters). Everything else is copied as it is. The logo must be
// smaller than 2 GB.
std::vector<uint8_t> BuildSaverFile(const std::vector<uint8_t>& program, const DisplayNameSlots& slots,
                                    const std::vector<uint16_t>& displayName, const std::vector<uint8_t>& logo,
                                    SaverTrailer trailer);

// A saver file taken apart: the program before the logo, the logo, the
// trailer, and a signature after them.
struct SaverParts {
    SaverTrailer Trailer;
    size_t ProgramSize;  // bytes before the logo (before the trailer when there is no logo)
    size_t LogoSize;
    CertificateTable Signature;  // Kind EndsFile: the saver is signed
};

// Why `file` is not a saver with a sound package (it reads after the file's
// name), or empty. The package is found where the runtime finds it.
std::string SplitSaverFile(const std::vector<uint8_t>& file, SaverParts* parts);

// Whether `file` reads as a saver: a Glimmora runtime with a sound package.
bool IsSaverFile(const std::vector<uint8_t>& file);

// Makes a signed file (`table` as SplitSaverFile found it) unsigned: the
// security directory's entry cleared and the certificate table cut off; the
// padding before it stays.
void RemoveSignature(std::vector<uint8_t>* file, const CertificateTable& table);

// A saver's default identity, derived from its name so that rebuilding the
// same saver gives the same id (FNV-1a, 32 bits).
uint32_t SaverIdFromName(const std::string& name);

// Copies a text that passed TextProblem into its slot, padding with zeros.
void StoreText(char (&slot)[TrailerTextSize], const std::string& text);

// A slot's text up to its terminator or the end of the slot.
std::string SlotText(const char (&slot)[TrailerTextSize]);

// The saver's web address in UTF-8; empty when it is blank or all spaces, as
// the About page then shows none.
std::string SaverWebAddress(const SaverTrailer& trailer);

// "#RRGGBB" to and from a COLORREF (0x00BBGGRR).
bool ParseColour(const std::string& text, uint32_t* colorref);
std::string FormatColour(uint32_t colorref);

// Strict whole-text numbers: no spaces, no trailing characters, no overflow.
bool ParseSaverId(const std::string& text, uint32_t* id);  // decimal or 0x-hex
bool ParseInt32(const std::string& text, int32_t* value);  // decimal, may be negative

// "from 1 to 10" or "one of 1, 2, 4", for messages about a settings value.
std::string DescribeAllowedValues(const SettingsField& field);
