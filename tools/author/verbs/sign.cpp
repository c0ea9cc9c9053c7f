// The sign verb: an Authenticode signature (SHA-256) on a saver or on an
// installer package of one, made by osslsigncode; the signature describes
// the saver by its display name and web address.
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "file_io.h"
#include "installer/msi_package.h"
#include "saver/saver_file.h"
#include "signing/authenticode.h"
#include "text_encoding.h"
#include "verbs/verbs.h"

namespace {

struct SignRequest {
    std::string File, Out, Pkcs12, Certificate, Key, PasswordFile, Timestamp;
    bool HelpWanted = false;
    bool Force = false;
};

void PrintSignHelp()
{
    std::printf(
        "Usage: glimmora-author sign FILE --pkcs12 FILE.p12 --password-file FILE [options]\n"
        "       glimmora-author sign FILE --cert CERT.pem --key KEY.pem [--password-file FILE] [options]\n"
        "\n"
        "Signs a saver, or an installer package that the msi verb made, with an\n"
        "Authenticode signature of SHA-256 digests, made by osslsigncode (Debian's\n"
        "package osslsigncode). The signature's description is the saver's display name\n"
        "(a package's product name) and its URL the saver's web address. A signature\n"
        "already there is replaced. Sign last: set removes a signature, and msi packs\n"
        "the saver as it is; then sign the package too. A certificate that is not valid\n"
        "now is refused. The output is written safely, as by create.\n"
        "\n"
        "  --out FILE                  writes the signed file there, not in place\n"
        "  --force                     replaces an existing output that is neither a\n"
        "                              saver nor a package (never an input)\n"
        "  --pkcs12 FILE               the certificate, its chain and its private key\n"
        "  --cert FILE, --key FILE     the certificate (and chain) and the private key\n"
        "  --password-file FILE        a file that holds the password (a line break\n"
        "                              at its end is not part of it)\n"
        "  --timestamp URL             a time-stamping server (RFC 3161), so that the\n"
        "                              signature stays valid after the certificate expires\n"
        "\n"
        "The tool's Windows builds cannot run osslsigncode: they print the command of\n"
        "the Windows SDK's signtool that signs the same way, and exit 3.\n");
    PrintExitCodes();
}

int ReadSignArguments(int count, char** arguments, SignRequest* request)
{
    const char* const options[] = {"--out", "--pkcs12", "--cert", "--key", "--password-file", "--timestamp"};
    std::string* const values[] = {&request->Out, &request->Pkcs12, &request->Certificate, &request->Key,
                                   &request->PasswordFile, &request->Timestamp};
    for (int i = 0; i < count; ++i) {
        const std::string argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            request->HelpWanted = true;
            return ExitSuccess;
        }
        if (argument == "--force") {
            request->Force = true;
            continue;
        }
        int option = 0;
        while (option < 6 && argument != options[option])
            ++option;
        if (option < 6) {
            if (i + 1 == count || !*arguments[i + 1])
                return Complain(ExitUsage, argument + " needs a value");
            if (!values[option]->empty())
                return Complain(ExitUsage, argument + " is given twice");
            *values[option] = arguments[++i];
        } else if (argument.compare(0, 1, "-") == 0 || !request->File.empty()) {
            return Complain(ExitUsage, (argument.compare(0, 1, "-") == 0 ? "unknown option " : "unexpected argument ") +
                                           argument + " (see glimmora-author sign --help)");
        } else {
            request->File = argument;
        }
    }
    if (request->File.empty())
        return Complain(ExitUsage, "sign needs a saver or package (see glimmora-author sign --help)");
    if (!request->Pkcs12.empty() && !(request->Certificate + request->Key).empty())
        return Complain(ExitUsage, "--pkcs12 holds the certificate and its key: give it without --cert and --key");
    if (request->Pkcs12.empty() && (request->Certificate.empty() || request->Key.empty()))
        return Complain(ExitUsage, "sign needs --pkcs12, or --cert and --key");
    if (request->Out.empty())
        request->Out = request->File;
    return ExitSuccess;
}

// What the signature says of the file: the saver's display name and web address.
struct Signable {
    bool Package;
    std::string Description, Address;  // UTF-8; no address: empty
};

// Why `file` is neither a saver nor a package of this tool, or empty.
std::string DescribeSignable(const std::vector<uint8_t>& file, Signable* signable)
{
    signable->Package = ReadPackageSummary(file, &signable->Description, &signable->Address);
    if (signable->Package)
        return std::string();
    SaverParts parts;
    DisplayNameSlots slots;
    std::string problem = SplitSaverFile(file, &parts);
    if (problem.empty())
        problem = SaverProgramProblem({file.begin(), file.begin() + static_cast<std::ptrdiff_t>(parts.ProgramSize)}, &slots);
    if (problem == "carries no saver package")
        return "is neither a saver nor an installer package made by glimmora-author";
    if (problem.empty()) {
        signable->Description = Utf16ToUtf8(ReadDisplayName(file.data(), slots.Offsets[0]));
        signable->Address = SaverWebAddress(parts.Trailer);
    }
    return problem;
}

// What sign may write over without --force: a saver, or a package of this tool.
const OutputRule SignedOutput = {"a saver or a package made by glimmora-author",
                                 [](const std::vector<uint8_t>& existing, const std::vector<uint8_t>&) {
                                     Signable other;
                                     return DescribeSignable(existing, &other).empty();
                                 }};

#ifdef _WIN32

int SignFile(const SignRequest& request, const std::vector<uint8_t>&, const Signable& signable, std::vector<uint8_t>*,
             SignatureFacts*)
{
    return Complain(ExitWriteFailed,
                    "osslsigncode, which signs, does not run with this Windows build of the tool; sign with the "
                    "Windows SDK's signtool and the certificate in your store: signtool sign /a /fd SHA256 /d \"" +
                        signable.Description + "\"" + (signable.Address.empty() ? "" : " /du \"" + signable.Address + "\"") +
                        (request.Timestamp.empty() ? "" : " /tr \"" + request.Timestamp + "\" /td SHA256") + " \"" +
                        request.File + "\"");
}

#else

// The signature that a signed file carries; for a saver, the package must be
// the one it had before.
std::string ReadSigned(const std::vector<uint8_t>& before, const std::vector<uint8_t>& after, bool package,
                       SignatureFacts* facts)
{
    if (package) {
        std::vector<uint8_t> signature, content;
        if (!PackageSignature(after, &signature, &content) || signature.empty())
            return "a package without a signature";
        return ReadSignature(signature.data(), signature.size(), facts);
    }
    SaverParts old, now;
    if (!SplitSaverFile(after, &now).empty() || !SplitSaverFile(before, &old).empty() ||
        now.Signature.Kind != TableKind::EndsFile || now.LogoSize != old.LogoSize ||
        std::memcmp(&now.Trailer, &old.Trailer, sizeof old.Trailer) != 0)
        return "a saver whose package is not the one it signed";
    return ReadProgramSignature(after, now.Signature, facts);
}

// osslsigncode writes the signed file, and its errors, into a private folder.
int SignFile(const SignRequest& request, const std::vector<uint8_t>& file, const Signable& signable,
             std::vector<uint8_t>* signedFile, SignatureFacts* facts)
{
    const std::string osslsigncode = FindOnPath("osslsigncode");
    if (osslsigncode.empty())
        return Complain(ExitWriteFailed,
                        "osslsigncode, which signs, is not on PATH: install Debian's package osslsigncode");
    std::string problem, folder;
    if (!MakeTemporaryFolder("glimmora-sign", &folder, &problem))
        return Complain(ExitWriteFailed, problem);
    std::vector<std::string> command = {"sign", "-h", "sha256", "-n", signable.Description};
    const std::vector<std::pair<const char*, std::string>> optional = {{"-pkcs12", request.Pkcs12},
        {"-certs", request.Certificate}, {"-key", request.Key}, {"-readpass", request.PasswordFile},
        {"-i", signable.Address}, {"-ts", request.Timestamp}, {"-in", request.File}, {"-out", folder + "/signed"}};
    for (const auto& [option, value] : optional)
        if (!value.empty())
            command.insert(command.end(), {option, value});
    const std::string log = folder + "/osslsigncode.log";
    int code = ExitSuccess;
    if (!RunHelperProgram(osslsigncode, command, "", "", log)) {
        const std::string said = LogLine(log, false);
        code = Complain(ExitWriteFailed, "osslsigncode failed" + (said.empty() ? std::string() : ": " + said));
    } else if (!ReadWholeFile(folder + "/signed", signedFile, &problem)) {
        code = Complain(ExitWriteFailed, "cannot read what osslsigncode wrote: " + problem);
    } else if (!(problem = ReadSigned(file, *signedFile, signable.Package, facts)).empty()) {
        code = Complain(ExitWriteFailed, "osslsigncode wrote " + problem);
    }
    RemoveTemporaryFolder(folder);
    return code;
}

#endif

}  // namespace

int RunSign(int count, char** arguments)
{
    SignRequest request;
    int code = ReadSignArguments(count, arguments, &request);
    if (code != ExitSuccess)
        return code;
    if (request.HelpWanted) {
        PrintSignHelp();
        return ExitSuccess;
    }
    if (!request.Timestamp.empty() && request.Timestamp.compare(0, 7, "http://") != 0 &&
        request.Timestamp.compare(0, 8, "https://") != 0)
        return Complain(ExitBadInput, "--timestamp " + request.Timestamp + " is not an http or https address");
    std::vector<uint8_t> file, credentialBytes;
    if ((code = ReadInputFile("file", request.File, &file)) != ExitSuccess)
        return code;
    Signable signable;
    std::string problem = DescribeSignable(file, &signable);
    if (!problem.empty())
        return Complain(ExitBadInput, request.File + " " + problem);
    const OutputTarget target = {request.Out, {{"PKCS #12 file", request.Pkcs12}, {"certificate", request.Certificate},
                                               {"key", request.Key}, {"password file", request.PasswordFile}},
                                 request.Force, SignedOutput};
    for (const NamedInput& credential : target.Inputs)
        if (!credential.Path.empty() && (code = ReadInputFile(credential.Role, credential.Path, &credentialBytes)) != ExitSuccess)
            return code;
    // Refused before osslsigncode runs: only a saver or a package may be replaced, anything else is someone's file.
    if (!(problem = OutputRefusal(target, {})).empty())
        return Complain(ExitBadInput, problem);

    std::vector<uint8_t> signedFile;
    SignatureFacts facts;
    if ((code = SignFile(request, file, signable, &signedFile, &facts)) != ExitSuccess)
        return code;
    const int64_t now = static_cast<int64_t>(std::time(nullptr));
    if (now < facts.NotBefore || now > facts.NotAfter)
        return Complain(ExitBadInput, "the certificate of " + facts.Signer + " is valid from " + FormatTime(facts.NotBefore) +
                                          " to " + FormatTime(facts.NotAfter) + ", not now: Windows would not trust "
                                          "what it signs");
    if ((code = WriteOutput(target, signedFile)) != ExitSuccess)
        return code;
    std::printf("wrote %s: signed by %s, described as \"%s\"%s%s\n", request.Out.c_str(), facts.Signer.c_str(),
                signable.Description.c_str(), signable.Address.empty() ? "" : (", " + signable.Address).c_str(),
                request.Timestamp.empty() ? ", not timestamped" : ", timestamped");
    return ExitSuccess;
}
