// The codes, versions and WiX source of a saver's Windows Installer package.
#include "installer/msi_package.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "text_encoding.h"

Uuid NameUuid(const Uuid& space, const std::string& name)
{
    std::vector<uint8_t> input(space.begin(), space.end());
    input.insert(input.end(), name.begin(), name.end());
    const Sha1Digest digest = Sha1(input.data(), input.size());
    Uuid uuid;
    std::memcpy(uuid.data(), digest.data(), uuid.size());
    uuid[6] = static_cast<uint8_t>((uuid[6] & 0x0F) | 0x50);  // version 5
    uuid[8] = static_cast<uint8_t>((uuid[8] & 0x3F) | 0x80);  // the variant of RFC 4122
    return uuid;
}

std::string FormatUuid(const Uuid& uuid)
{
    std::string text = "{";
    char pair[3];
    for (size_t i = 0; i < uuid.size(); ++i) {
        std::snprintf(pair, sizeof pair, "%02X", uuid[i]);
        text += (i == 4 || i == 6 || i == 8 || i == 10 ? "-" : "") + std::string(pair);
    }
    return text + "}";
}

bool ParseProductVersion(const std::string& text, ProductVersion* version)
{
    int* const parts[] = {&version->Major, &version->Minor, &version->Build};
    const int limits[] = {255, 255, 65535};
    size_t at = 0;
    for (int part = 0; part < 3; ++part) {
        if (part > 0 && (at == text.size() || text[at++] != '.'))
            return false;
        const size_t start = at;
        long value = 0;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9' && at - start < 6)
            value = value * 10 + (text[at++] - '0');
        if (at == start || value > limits[part])
            return false;
        *parts[part] = static_cast<int>(value);
    }
    return at == text.size();
}

std::string FormatVersion(const ProductVersion& version)
{
    return std::to_string(version.Major) + "." + std::to_string(version.Minor) + "." + std::to_string(version.Build);
}

MsiPlatform PlatformFor(ProgramMachine machine)
{
    return machine == ProgramMachine::X64 ? MsiPlatform{"x64", "System64Folder", true}
                                          : MsiPlatform{"x86", "SystemFolder", false};
}

// This tool's own namespace for the upgrade codes of savers.
static const Uuid SaverNamespace = {0x5b, 0x0c, 0x2e, 0x71, 0x93, 0x4d, 0x4a, 0x8f,
                                    0xb2, 0x61, 0x0e, 0xd4, 0x37, 0xc9, 0x58, 0xa6};

PackageCodes DerivePackageCodes(const PackageFields& fields)
{
    PackageCodes codes;
    codes.Upgrade = NameUuid(SaverNamespace, fields.SaverIdentity);
    codes.Product = NameUuid(codes.Upgrade, "product " + FormatVersion(fields.Version));
    codes.Component = NameUuid(codes.Upgrade, std::string("component ") + PlatformFor(fields.Machine).Arch + " " +
                                                  fields.FileName);
    return codes;
}

Uuid DerivePackageCode(const PackageCodes& codes, const std::string& wixSource, const std::vector<uint8_t>& saver)
{
    std::vector<uint8_t> content(wixSource.begin(), wixSource.end());
    content.insert(content.end(), saver.begin(), saver.end());
    const Sha1Digest digest = Sha1(content.data(), content.size());
    return NameUuid(codes.Upgrade, "package " + std::string(digest.begin(), digest.end()));
}

std::string PackageTextProblem(const std::string& utf8)
{
    std::string ansi, problem;
    if (!Utf8ToWindows1252(utf8, &ansi, &problem))
        return problem;
    if (ansi.empty())
        return "is empty";
    if (ansi.find("?>") != std::string::npos)
        return "contains ?>, which wixl cannot read in a name";
    return std::string();
}

std::string InstalledNameProblem(const std::string& fileName)
{
    for (char c : fileName)
        if (static_cast<unsigned char>(c) < 0x20 || std::strchr("\\/:*?\"<>|", c))
            return "holds a character that Windows does not allow in file names";
    const size_t size = fileName.size();
    if (size < 5 || !(fileName.compare(size - 4, 4, ".scr") == 0 || fileName.compare(size - 4, 4, ".SCR") == 0))
        return "does not end in .scr, the files that Windows lists as screen savers";
    return std::string();
}

std::string InstallerFileName(const std::string& fileName)
{
    const size_t dot = std::min(fileName.find_last_of('.'), fileName.size());
    const std::string stem = fileName.substr(0, dot), extension = fileName.substr(dot);  // with its dot
    const auto plain = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || std::strchr("_-~!#$%&'()@^{}", c); };
    if (!stem.empty() && stem.size() <= 8 && extension.size() != 1 && extension.size() <= 4 &&
        std::all_of(stem.begin(), stem.end(), plain) && std::all_of(extension.begin() + (dot < fileName.size()), extension.end(), plain))
        return fileName;
    std::string shortName;
    for (char c : stem)
        if (shortName.size() < 4 && c > 0 && std::isalnum(static_cast<unsigned char>(c)))
            shortName += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    shortName += '~';
    const Sha1Digest digest = Sha1(reinterpret_cast<const uint8_t*>(fileName.data()), fileName.size());
    for (size_t i = 0; shortName.size() < 8; ++i)
        shortName += "0123456789ABCDEF"[digest[i / 2] >> (i % 2 ? 0 : 4) & 15];
    for (char c : extension)
        shortName += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return shortName + "|" + fileName;
}

bool IsPackageConfigKey(const std::string& key)
{
    return key == "Manufacturer" || key == "Version";
}

std::string WixSource(const PackageFields& fields, const PackageCodes& codes, const std::string& sourceFile)
{
    const MsiPlatform platform = PlatformFor(fields.Machine);
    // wixl expands $(...) in attributes, even when written as character
    // references, but takes a definition's text as it stands.
    return std::string("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n") +
           "<?define ProductName = \"" + fields.ProductName + "\"?>\n" +
           "<?define Manufacturer = \"" + fields.Manufacturer + "\"?>\n" +
           "<?define FileName = \"" + InstallerFileName(fields.FileName) + "\"?>\n" +
           "<?define WebAddress = \"" + fields.WebAddress + "\"?>\n" +
           "<Wix xmlns=\"http://schemas.microsoft.com/wix/2006/wi\">\n"
           "  <Product Id=\"" + FormatUuid(codes.Product) + "\" UpgradeCode=\"" + FormatUuid(codes.Upgrade) +
           "\" Name=\"$(var.ProductName)\"\n"
           "           Manufacturer=\"$(var.Manufacturer)\" Version=\"" + FormatVersion(fields.Version) +
           "\" Language=\"1033\" Codepage=\"" + std::to_string(PackageCodePage) + "\">\n"
           "    <Package InstallerVersion=\"200\" Compressed=\"yes\" InstallScope=\"perMachine\"\n"
           "             Comments=\"" + PackageMarker + ": the screen saver $(var.ProductName)" +
           (fields.WebAddress.empty() ? "" : " ($(var.WebAddress))") + "\"/>\n"
           "    <MajorUpgrade DowngradeErrorMessage=\"A newer version of [ProductName] is already installed.\"/>\n"
           "    <Media Id=\"1\" Cabinet=\"saver.cab\" EmbedCab=\"yes\"/>\n"
           "    <Property Id=\"ARPNOMODIFY\" Value=\"1\"/>\n"
           "    <Directory Id=\"TARGETDIR\" Name=\"SourceDir\">\n"
           "      <Directory Id=\"" + platform.Folder + "\">\n"
           "        <Component Id=\"Saver\" Guid=\"" + FormatUuid(codes.Component) + "\"" +
           (platform.Win64 ? " Win64=\"yes\"" : "") + ">\n"
           "          <File Id=\"SaverFile\" Name=\"$(var.FileName)\" Source=\"" + sourceFile + "\" KeyPath=\"yes\"/>\n"
           "        </Component>\n"
           "      </Directory>\n"
           "    </Directory>\n"
           "    <Feature Id=\"Saver\" Level=\"1\"><ComponentRef Id=\"Saver\"/></Feature>\n"
           "  </Product>\n"
           "</Wix>\n";
}
