// The set verb: changes chosen fields of an existing saver and keeps every
// other byte as it was.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "file_io.h"
#include "images/logo_colours.h"
#include "images/logo_input.h"
#include "saver/saver_file.h"
#include "signing/authenticode.h"
#include "text_encoding.h"
#include "verbs/verbs.h"

namespace {

struct SetRequest {
    std::string Saver, Logo, Out;
    SaverChoices Choices;
    LogoPacking Packing = {false, false};
    bool HelpWanted = false;
    bool Force = false;
};

void PrintSetHelp()
{
    std::printf(
        "Usage: glimmora-author set FILE.scr [options]\n"
        "\n"
        "Changes the chosen fields of a saver; every other byte stays as it was. The\n"
        "display name follows a new saver name unless it had been given apart from it.\n"
        "A changed FadeSpeed or BounceSpeed also updates the field that follows it.\n"
        "A signed saver loses its signature when anything changes: sign it again.\n"
        "\n"
        "  --out FILE.scr              writes the changed saver there, not in place\n"
        "  --logo FILE                 replaces the logo (BMP or PNG, as for create)\n"
        "  --force                     replaces an existing output that is not a saver\n"
        "                              (never an input), and changes colours that the\n"
        "                              kept logo does not fit: its transparent colour\n"
        "                              when pixels of the old one would show, or the\n"
        "                              background a PNG's edges were blended onto\n"
        "%s%s"
        "\n"
        "The settings fields are listed by glimmora-author create --help.\n",
        DescribePackingOptions(), DescribeFieldOptions().c_str());
    PrintExitCodes();
}

int ReadSetArguments(int count, char** arguments, SetRequest* request)
{
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
        bool handled;
        std::string problem;
        if (ReadFieldOption(count, arguments, &i, &request->Choices, &handled, &problem) ||
            (!handled && ReadPackingOption(count, arguments, &i, &request->Packing, &handled, &problem)))
            continue;
        if (handled)
            return Complain(ExitUsage, problem);
        if (argument == "--out" || argument == "--logo") {
            std::string& target = argument == "--out" ? request->Out : request->Logo;
            if (i + 1 == count)
                return Complain(ExitUsage, argument + " needs a value");
            if (!target.empty())
                return Complain(ExitUsage, argument + " is given twice");
            target = arguments[++i];
            if (target.empty())
                return Complain(ExitUsage, argument + " needs a file name");
            continue;
        }
        if (argument.compare(0, 1, "-") == 0)
            return Complain(ExitUsage, "unknown option " + argument + " (see glimmora-author set --help)");
        if (!request->Saver.empty())
            return Complain(ExitUsage, "set takes one saver, not also " + argument);
        request->Saver = argument;
    }
    if (request->Saver.empty())
        return Complain(ExitUsage, "set needs a saver (see glimmora-author set --help)");
    if (request->Choices.Fields.empty() && request->Choices.ConfigPath.empty() && request->Logo.empty() &&
        !request->Packing.Repack)
        return Complain(ExitUsage, "set needs something to change (see glimmora-author set --help)");
    if (request->Out.empty())
        request->Out = request->Saver;
    return ExitSuccess;
}

// The names of the fields whose bytes differ, for the closing line.
std::string ChangedFields(const SaverTrailer& before, const SaverTrailer& after, bool nameChanged, bool logoChanged)
{
    std::string changed;
    const auto note = [&changed](const char* name, bool differs) {
        if (differs)
            changed += (changed.empty() ? "" : ", ") + std::string(name);
    };
    note("DisplayName", nameChanged);
    note("logo", logoChanged);
    for (const SettingsField& field : SettingsFields)
        note(field.Name, ReadSettingsField(before.Settings, field) != ReadSettingsField(after.Settings, field));
    note("SaverId", before.SaverId != after.SaverId);
    note("BackgroundColor", before.BackgroundColor != after.BackgroundColor);
    note("TransparentColor", before.TransparentColor != after.TransparentColor);
    note("Description", std::memcmp(before.Description, after.Description, TrailerTextSize) != 0);
    note("SaverName", std::memcmp(before.SaverName, after.SaverName, TrailerTextSize) != 0);
    note("WebAddress", std::memcmp(before.WebAddress, after.WebAddress, TrailerTextSize) != 0);
    return changed.empty() ? "nothing changed" : "changed " + changed;
}

}  // namespace

int RunSet(int count, char** arguments)
{
    SetRequest request;
    int code = ReadSetArguments(count, arguments, &request);
    if (code != ExitSuccess)
        return code;
    if (request.HelpWanted) {
        PrintSetHelp();
        return ExitSuccess;
    }
    if ((code = ReadConfigFile(&request.Choices)) != ExitSuccess)
        return code;

    std::vector<uint8_t> file;
    if ((code = ReadInputFile("saver", request.Saver, &file)) != ExitSuccess)
        return code;
    SaverParts parts;
    std::string problem = SplitSaverFile(file, &parts);
    if (!problem.empty())
        return Complain(ExitBadInput, request.Saver + " " + problem);
    // A changed saver cannot keep a signature that vouches for other bytes.
    std::vector<uint8_t> signedFile;
    SignatureFacts signature;
    if (parts.Signature.Kind == TableKind::EndsFile) {
        signedFile = file;
        if (!ReadProgramSignature(file, parts.Signature, &signature).empty())
            signature.Signer = "an unreadable signer";
        RemoveSignature(&file, parts.Signature);
    }
    const auto logoStart = file.begin() + static_cast<std::ptrdiff_t>(parts.ProgramSize);
    const std::vector<uint8_t> program(file.begin(), logoStart);
    DisplayNameSlots slots;
    problem = SaverProgramProblem(program, &slots);
    if (!problem.empty())
        return Complain(ExitBadInput, request.Saver + " " + problem);

    SaverDraft draft;
    draft.Trailer = parts.Trailer;
    problem = ApplyChoices(request.Choices, &draft);
    if (!problem.empty())
        return Complain(ExitBadInput, problem);
    NormaliseChosenSettings(&draft.Trailer.Settings, draft.SettingsGiven);

    const std::vector<uint16_t> oldDisplayName = ReadDisplayName(program.data(), slots.Offsets[0]);
    std::vector<uint16_t> displayName = oldDisplayName;
    if (draft.DisplayNameGiven) {
        displayName = Windows1252ToUtf16(draft.DisplayName);
    } else if (draft.SaverNameGiven && oldDisplayName == Windows1252ToUtf16(SlotText(parts.Trailer.SaverName))) {
        const std::string name = SlotText(draft.Trailer.SaverName);
        const std::string tooLong = NameTooLongToDisplay(name);
        if (!tooLong.empty())
            return Complain(ExitBadInput, tooLong);
        displayName = Windows1252ToUtf16(name);
    }

    std::vector<uint8_t> logo(logoStart, logoStart + static_cast<std::ptrdiff_t>(parts.LogoSize));
    std::vector<std::string> warnings;
    PreparedLogo prepared;
    if (request.Logo.empty()) {
        problem = KeptLogoProblem(logo, parts.Trailer, draft.Trailer, &warnings);
        if (!problem.empty() && !request.Force)
            return Complain(ExitBadInput, request.Saver + ": " + problem +
                                              "; give the logo again with --logo (a PNG is packed anew), or add --force");
        if (!problem.empty())
            warnings.push_back(request.Saver + ": " + problem);
        if (request.Packing.Repack) {  // the saver's own logo: its pixels and colours stay as they are
            if (logo.empty())
                return Complain(ExitBadInput, request.Saver + " carries no logo to repack");
            problem = PrepareLogo(logo, 0, {true, draft.Trailer.TransparentColor}, request.Packing, &prepared);
            if (!problem.empty())
                return Complain(ExitBadInput, request.Saver + "'s logo " + problem);
            logo = prepared.Bmp;
        }
    } else {
        std::vector<uint8_t> logoFile;
        if ((code = ReadInputFile("logo", request.Logo, &logoFile)) != ExitSuccess)
            return code;
        problem = PrepareLogo(logoFile, draft.Trailer.BackgroundColor,
                              {draft.TransparentGiven, draft.Trailer.TransparentColor}, request.Packing, &prepared);
        if (!problem.empty())
            return Complain(ExitBadInput, "logo " + request.Logo + " " + problem);
        logo = prepared.Bmp;
        draft.Trailer.TransparentColor = prepared.TransparentColor;
        for (const std::string& warning : prepared.Warnings)
            warnings.push_back("logo " + request.Logo + ": " + warning);
        if (draft.TransparentGiven)
            warnings.push_back(UnusedKeyWarning(logo, draft.Trailer.TransparentColor));
    }
    for (const std::string& warning : SettingsWarnings(draft, draft.Trailer.TransparentColor))
        warnings.push_back(warning);
    for (const std::string& warning : warnings)
        if (!warning.empty())
            Warn(warning);

    const bool logoChanged =
        !std::equal(logo.begin(), logo.end(), logoStart, logoStart + static_cast<std::ptrdiff_t>(parts.LogoSize));
    const std::string changed = ChangedFields(parts.Trailer, draft.Trailer, displayName != oldDisplayName, logoChanged);
    const bool keepSignature = !signedFile.empty() && changed == "nothing changed";
    const std::vector<uint8_t> saver =
        keepSignature ? signedFile : BuildSaverFile(program, slots, displayName, logo, draft.Trailer);
    const OutputTarget target = {request.Out, {{"logo", request.Logo}, {"config file", request.Choices.ConfigPath}},
                                 request.Force, SaverOutput};
    if ((code = WriteOutput(target, saver)) != ExitSuccess)
        return code;
    ReportSaverWritten(request.Out, saver.size(), changed + (keepSignature ? "; the signature stays" : ""));
    if (!signedFile.empty() && !keepSignature)
        std::printf("removed the signature by %s: sign the changed saver again\n", signature.Signer.c_str());
    if (!request.Logo.empty() || request.Packing.Repack)
        std::printf("logo: %s\n", DescribePackedLogo(prepared).c_str());
    return ExitSuccess;
}
