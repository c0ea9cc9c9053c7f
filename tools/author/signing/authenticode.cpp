// A DER reader just wide enough for Authenticode's signed data: the content's
// digest, the signer's issuer and serial number, and the certificate they
// name, with its validity and subject.
#include "signing/authenticode.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "package/pe_headers.h"
#include "text_encoding.h"

namespace {

struct Der {
    const uint8_t* Bytes;
    size_t Size;
};

bool operator==(const Der& a, const Der& b)
{
    return a.Size == b.Size && std::memcmp(a.Bytes, b.Bytes, a.Size) == 0;
}

// Takes the next element off `rest`: its tag, its content and, if asked, the
// whole encoding. Only definite lengths, as DER has them.
bool Next(Der* rest, uint8_t* tag, Der* content, Der* whole = nullptr)
{
    if (rest->Size < 2)
        return false;
    size_t length = rest->Bytes[1], header = 2;
    if (length & 0x80) {
        const size_t count = length & 0x7F;
        if (count == 0 || count > 4 || rest->Size < 2 + count)
            return false;
        length = 0;
        for (size_t i = 0; i < count; ++i)
            length = length << 8 | rest->Bytes[2 + i];
        header += count;
    }
    if (length > rest->Size - header)
        return false;
    *tag = rest->Bytes[0];
    *content = {rest->Bytes + header, length};
    if (whole)
        *whole = {rest->Bytes, header + length};
    rest->Bytes += header + length;
    rest->Size -= header + length;
    return true;
}

bool Take(Der* rest, uint8_t tag, Der* content, Der* whole = nullptr)
{
    uint8_t got;
    return Next(rest, &got, content, whole) && got == tag;
}

constexpr uint8_t Integer = 0x02, OctetString = 0x04, ObjectId = 0x06, Sequence = 0x30, Set = 0x31;
constexpr uint8_t Explicit0 = 0xA0, UtcTime = 0x17, GeneralizedTime = 0x18;

bool IsObject(const Der& content, std::initializer_list<uint8_t> encoded)
{
    return content.Size == encoded.size() && std::memcmp(content.Bytes, encoded.begin(), content.Size) == 0;
}

std::string DottedObjectId(const Der& oid)
{
    std::string text;
    uint64_t value = 0;
    for (size_t i = 0; i < oid.Size; ++i) {
        value = value << 7 | (oid.Bytes[i] & 0x7F);
        if (oid.Bytes[i] & 0x80)
            continue;
        if (text.empty())
            text = value < 80 ? std::to_string(value / 40) + "." + std::to_string(value % 40) : "2." + std::to_string(value - 80);
        else
            text += "." + std::to_string(value);
        value = 0;
    }
    return text;
}

// The short names that certificate viewers give a subject's attributes.
std::string AttributeName(const Der& oid)
{
    static const struct { uint8_t Last; const char* Name; } named[] = {
        {3, "CN"}, {5, "serialNumber"}, {6, "C"}, {7, "L"}, {8, "ST"}, {9, "street"}, {10, "O"}, {11, "OU"}};
    if (oid.Size == 3 && oid.Bytes[0] == 0x55 && oid.Bytes[1] == 0x04)
        for (const auto& entry : named)
            if (entry.Last == oid.Bytes[2])
                return entry.Name;
    if (IsObject(oid, {0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D, 0x01, 0x09, 0x01}))
        return "emailAddress";
    return DottedObjectId(oid);
}

std::string AttributeText(uint8_t tag, const Der& value)
{
    const std::string bytes(reinterpret_cast<const char*>(value.Bytes), value.Size);
    if (tag == 0x1E) {  // BMPString: UTF-16, big-endian
        std::vector<uint16_t> units;
        for (size_t i = 0; i + 1 < value.Size; i += 2)
            units.push_back(static_cast<uint16_t>(value.Bytes[i] << 8 | value.Bytes[i + 1]));
        return Utf16ToUtf8(units);
    }
    return tag == 0x14 ? Windows1252ToUtf8(bytes) : bytes;  // T61String read as Latin; the rest is ASCII or UTF-8
}

// "CN=Example Signer, O=Example Ltd", in the order the name holds them.
bool FormatName(Der name, std::string* text)
{
    text->clear();
    for (Der relative; name.Size > 0;) {
        if (!Take(&name, Set, &relative))
            return false;
        for (Der pair, oid, value; relative.Size > 0;) {
            uint8_t tag;
            if (!Take(&relative, Sequence, &pair) || !Take(&pair, ObjectId, &oid) || !Next(&pair, &tag, &value))
                return false;
            *text += (text->empty() ? "" : ", ") + AttributeName(oid) + "=" + AttributeText(tag, value);
        }
    }
    return true;
}

int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day)
{
    year -= month <= 2;
    const int64_t era = (year >= 0 ? year : year - 399) / 400, yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    return era * 146097 + yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear - 719468;
}

// UTCTime "YYMMDDHHMMSSZ" (years 1950 to 2049) or GeneralizedTime "YYYYMMDDHHMMSSZ".
bool ReadTime(Der* rest, int64_t* seconds)
{
    uint8_t tag;
    Der time;
    if (!Next(rest, &tag, &time) || (tag != UtcTime && tag != GeneralizedTime))
        return false;
    const size_t yearDigits = tag == UtcTime ? 2 : 4;
    if (time.Size != yearDigits + 11 || time.Bytes[time.Size - 1] != 'Z')
        return false;
    int64_t fields[6] = {};
    for (size_t i = 0, field = 0; i + 1 < time.Size; ++i) {
        if (time.Bytes[i] < '0' || time.Bytes[i] > '9')
            return false;
        fields[field] = fields[field] * 10 + (time.Bytes[i] - '0');
        field += i + 1 >= yearDigits && (i + 1 - yearDigits) % 2 == 0;
    }
    if (tag == UtcTime)
        fields[0] += fields[0] < 50 ? 2000 : 1900;
    *seconds = DaysFromCivil(fields[0], fields[1], fields[2]) * 86400 + fields[3] * 3600 + fields[4] * 60 + fields[5];
    return true;
}

// The certificate among `certificates` with that issuer and serial number:
// its validity and subject.
bool FindSigner(Der certificates, const Der& issuer, const Der& serial, SignatureFacts* facts)
{
    for (Der certificate, body; certificates.Size > 0;) {
        if (!Take(&certificates, Sequence, &certificate) || !Take(&certificate, Sequence, &body))
            return false;
        Der field, itsSerial, itsIssuer, validity, subject;
        uint8_t tag;
        Der peek = body;
        if (Next(&peek, &tag, &field) && tag == Explicit0)
            body = peek;  // the version
        if (!Take(&body, Integer, &field, &itsSerial) || !Take(&body, Sequence, &field) ||
            !Take(&body, Sequence, &field, &itsIssuer) || !Take(&body, Sequence, &validity) ||
            !Take(&body, Sequence, &subject))
            return false;
        if (!(itsIssuer == issuer) || !(itsSerial == serial))
            continue;
        return ReadTime(&validity, &facts->NotBefore) && ReadTime(&validity, &facts->NotAfter) &&
               FormatName(subject, &facts->Signer);
    }
    return false;
}

}  // namespace

std::string ReadSignature(const uint8_t* der, size_t size, SignatureFacts* facts)
{
    Der rest = {der, size}, contentInfo, field, signedData, wrapped, indirect, data, digestInfo, algorithm, oid, digest;
    if (!Take(&rest, Sequence, &contentInfo) || !Take(&contentInfo, ObjectId, &oid) ||
        !IsObject(oid, {0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D, 0x01, 0x07, 0x02}) ||
        !Take(&contentInfo, Explicit0, &wrapped) || !Take(&wrapped, Sequence, &signedData) ||
        !Take(&signedData, Integer, &field) || !Take(&signedData, Set, &field) ||
        !Take(&signedData, Sequence, &indirect))
        return "is not PKCS #7 signed data";
    const std::initializer_list<uint8_t> indirectData = {0x2B, 0x06, 0x01, 0x04, 0x01, 0x82, 0x37, 0x02, 0x01, 0x04};
    if (!Take(&indirect, ObjectId, &oid) || !IsObject(oid, indirectData) || !Take(&indirect, Explicit0, &wrapped) || !Take(&wrapped, Sequence, &data) || !Take(&data, Sequence, &field) ||
        !Take(&data, Sequence, &digestInfo) || !Take(&digestInfo, Sequence, &algorithm) ||
        !Take(&algorithm, ObjectId, &oid) || !Take(&digestInfo, OctetString, &digest))
        return "signs no Authenticode content";
    facts->DigestAlgorithm = IsObject(oid, {0x60, 0x86, 0x48, 0x01, 0x65, 0x03, 0x04, 0x02, 0x01}) ? "SHA-256"
                             : IsObject(oid, {0x2B, 0x0E, 0x03, 0x02, 0x1A})                    ? "SHA-1"
                                                                                                 : DottedObjectId(oid);
    facts->Digest.assign(digest.Bytes, digest.Bytes + digest.Size);

    Der certificates = {nullptr, 0}, signers = {nullptr, 0}, signer, names, issuer, serial;
    for (uint8_t tag; signedData.Size > 0;) {
        if (!Next(&signedData, &tag, &field))
            return "is damaged";
        if (tag == Explicit0)
            certificates = field;
        else if (tag == Set)
            signers = field;
    }
    if (!Take(&signers, Sequence, &signer) || !Take(&signer, Integer, &field) || !Take(&signer, Sequence, &names) ||
        !Take(&names, Sequence, &field, &issuer) || !Take(&names, Integer, &field, &serial))
        return "names no signer";
    if (!FindSigner(certificates, issuer, serial, facts))
        return "does not carry its signer's certificate";
    return std::string();
}

std::vector<uint8_t> DigestWith(const std::string& algorithm, const std::vector<uint8_t>& bytes)
{
    if (algorithm == "SHA-256") {
        const Sha256Digest digest = Sha256(bytes.data(), bytes.size());
        return {digest.begin(), digest.end()};
    }
    if (algorithm == "SHA-1") {
        const Sha1Digest digest = Sha1(bytes.data(), bytes.size());
        return {digest.begin(), digest.end()};
    }
    return {};
}

std::string ReadProgramSignature(const std::vector<uint8_t>& file, const CertificateTable& table,
                                 SignatureFacts* facts)
{
    // The table's first entry: its length (header included), revision, type, then the signature.
    const size_t start = static_cast<size_t>(table.Start);
    if (table.Size < 8 || ReadLe32(&file[start]) < 8 || ReadLe32(&file[start]) > table.Size)
        return "has a damaged certificate table";
    if (ReadLe16(&file[start + 6]) != 2)
        return "has a certificate table without a PKCS #7 signature";
    const std::string problem = ReadSignature(&file[start + 8], ReadLe32(&file[start]) - 8, facts);
    return problem.empty() ? problem : "has a signature that " + problem;
}

std::vector<uint8_t> ProgramDigest(const std::vector<uint8_t>& file, const CertificateTable& table,
                                   const std::string& algorithm)
{
    PeHeaders headers;
    ReadPeHeaders(file.data(), file.size(), &headers);
    const size_t checksum = headers.OptionalHeader + ChecksumOffset, entry = table.EntryOffset;
    if (entry + 8 > table.Start)
        return {};  // a table inside the headers: no digest that Windows would take either
    std::vector<uint8_t> covered(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(table.Start));
    const auto at = [&covered](size_t offset) { return covered.begin() + static_cast<std::ptrdiff_t>(offset); };
    covered.erase(at(entry), at(entry + 8));  // after the checksum in the headers, so it goes first
    covered.erase(at(checksum), at(checksum + 4));
    return DigestWith(algorithm, covered);
}

std::string FormatTime(int64_t seconds)
{
    const int64_t days = (seconds >= 0 ? seconds : seconds - 86399) / 86400, rest = seconds - days * 86400;
    // Civil from days, the inverse of DaysFromCivil.
    const int64_t z = days + 719468, era = (z >= 0 ? z : z - 146096) / 146097, dayOfEra = z - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t mp = (5 * dayOfYear + 2) / 153, day = dayOfYear - (153 * mp + 2) / 5 + 1, month = mp + (mp < 10 ? 3 : -9);
    char text[128];
    std::snprintf(text, sizeof text, "%04lld-%02lld-%02lld %02lld:%02lld:%02lld UTC",
                  static_cast<long long>(yearOfEra + era * 400 + (month <= 2)), static_cast<long long>(month),
                  static_cast<long long>(day), static_cast<long long>(rest / 3600), static_cast<long long>(rest / 60 % 60),
                  static_cast<long long>(rest % 60));
    return text;
}
