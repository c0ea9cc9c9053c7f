// Windows Installer packages of a saver: the codes that tie its versions
// together, the WiX source that wixl builds a package from, and the summary
// fields that wixl picks anew on every run.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "digests.h"
#include "saver/string_resource.h"

using Uuid = std::array<uint8_t, 16>;
// A name-based UUID: version 5, the SHA-1 of the namespace's bytes and the name.
Uuid NameUuid(const Uuid& space, const std::string& name);
std::string FormatUuid(const Uuid& uuid);  // "{0123ABCD-...}", as Windows Installer writes codes

// Three whole numbers as Windows Installer compares them: up to 255, 255, 65535.
struct ProductVersion { int Major, Minor, Build; };
bool ParseProductVersion(const std::string& text, ProductVersion* version);
std::string FormatVersion(const ProductVersion& version);

// Where Windows looks for screen savers, for a saver of that machine: the
// system folder of its own kind of program (SysWOW64 holds the 32-bit one on
// 64-bit Windows).
struct MsiPlatform { const char* Arch; const char* Folder; bool Win64; };
MsiPlatform PlatformFor(ProgramMachine machine);

struct PackageFields {
    std::string ProductName, Manufacturer, FileName;  // UTF-8
    std::string WebAddress;     // the saver's, UTF-8; empty when it has none, or none the package can hold
    std::string SaverIdentity;  // "<name>.<id in hex>", as the settings' registry key names the saver
    ProductVersion Version;
    ProgramMachine Machine;
};

// The upgrade code follows from the saver's identity alone, so that every
// version of it upgrades the one before; the others follow from it.
struct PackageCodes { Uuid Upgrade, Product, Component; };
PackageCodes DerivePackageCodes(const PackageFields& fields);
// The package code differs whenever the package's content does.
Uuid DerivePackageCode(const PackageCodes& codes, const std::string& wixSource, const std::vector<uint8_t>& saver);

// Why a text cannot be a name in the package (code page 1252, and wixl reads
// it literally only inside a definition, which "?>" would end), or empty.
std::string PackageTextProblem(const std::string& utf8);
// Why a saver's file name cannot be installed under it, or empty.
std::string InstalledNameProblem(const std::string& fileName);

// The File table's name as Windows Installer's Filename type wants it: the
// name alone when it is a valid 8.3 name, else "SHORT~ID.SCR|long name", the
// short name made of the long one's first letters and a hash of it, so that
// savers sharing the system folder are unlikely to share a short name.
std::string InstallerFileName(const std::string& fileName);

// The package's comments start with this, and only this tool's packages do:
// "<marker>: the screen saver <product name>", then " (<web address>)" when
// the saver has one, which signing reads back.
constexpr char PackageMarker[] = "Made by glimmora-author";
std::string WixSource(const PackageFields& fields, const PackageCodes& codes, const std::string& sourceFile);

// The config file's keys that only the msi verb reads.
bool IsPackageConfigKey(const std::string& key);

// Whether `package` is a Windows Installer package that this tool made.
bool MadeByThisTool(const std::vector<uint8_t>& package);
// The product name and the saver's web address (UTF-8) from the summary of
// a package that this tool made; false for any other file.
bool ReadPackageSummary(const std::vector<uint8_t>& package, std::string* productName, std::string* webAddress);
// The date that a package gives its file and itself: 2020-01-01 00:00 UTC.
constexpr long PackageDateUnix = 1577836800;
// Writes the package code and that date into the summary, where wixl puts a
// random code and the time of the run. False when the summary is not found.
bool FixSummary(std::vector<uint8_t>* package, const Uuid& packageCode);

// The code page of every text in the package. Windows Installer supports
// UTF-8 (65001) only unofficially, and the saver's texts are Windows-1252
// already.
constexpr uint16_t PackageCodePage = 1252;
// wixl writes the tables' strings in that code page but marks their pool
// neutral, and writes the summary's texts in UTF-8 under that code page:
// both become Windows-1252 throughout. False when the package is not as
// wixl writes it.
bool FixCodePages(std::vector<uint8_t>* package);

// The package's Authenticode signature (PKCS #7; empty when it has none)
// and the bytes that Authenticode digests of it; false when the package
// cannot be read.
bool PackageSignature(const std::vector<uint8_t>& package, std::vector<uint8_t>* signature,
                      std::vector<uint8_t>* content);

// Where each byte of the named stream of a compound file lies; false when
// the file is not a sound compound file holding that stream.
bool FindStream(const std::vector<uint8_t>& file, const std::u16string& name, std::vector<size_t>* where);
