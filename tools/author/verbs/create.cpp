// The create verb: a runtime, a logo and the chosen fields make a saver.
#include <cstdio>
#include <string>
#include <vector>

#include "file_io.h"
#include "images/logo_colours.h"
#include "images/logo_input.h"
#include "saver/saver_file.h"
#include "text_encoding.h"
#include "verbs/verbs.h"

namespace {

struct CreateRequest {
    std::string Runtime, Logo, Out;
    SaverChoices Choices;
    LogoPacking Packing = {false, false};
    bool HelpWanted = false;
    bool Force = false;
};

void PrintCreateHelp()
{
    std::printf(
        "Usage: glimmora-author create --runtime FILE --logo FILE --out FILE [options]\n"
        "\n"
        "Writes a copy of the runtime followed by the logo and the saver's texts and\n"
        "settings, and puts the display name into the runtime's string table. The\n"
        "output goes to a temporary file first and is then renamed, so an existing file\n"
        "is only ever replaced by a complete saver. The same inputs give the same bytes.\n"
        "An existing output is replaced only if it is a saver.\n"
        "A signed runtime's signature is left out, as it could not cover the package:\n"
        "sign the saver (glimmora-author sign --help).\n"
        "\n"
        "  --runtime FILE              the Glimmora runtime, 32-bit (to ship) or 64-bit\n"
        "  --logo FILE                 the logo: a BMP file, packed as it is, or a PNG\n"
        "                              file, packed as a BMP: fully transparent pixels\n"
        "                              take the transparent colour, partly transparent\n"
        "                              ones are blended onto the background\n"
        "  --out FILE.scr              the saver to write\n"
        "  --force                     replaces an existing output that is not a saver\n"
        "                              (never an input)\n"
        "%s%s"
        "\n"
        "Settings fields, the values the settings dialog allows, and their defaults\n"
        "(FadeDerived follows FadeSpeed, a non-zero BounceGravity follows BounceSpeed):\n",
        DescribePackingOptions(), DescribeFieldOptions().c_str());
    SaverTrailer defaults;
    StartTrailer(&defaults);
    for (const SettingsField& field : SettingsFields) {
        std::printf("  %-22s %-30s default %d\n", field.Name, DescribeAllowedValues(field).c_str(),
                    static_cast<int>(ReadSettingsField(defaults.Settings, field)));
        // A bit field's names, wrapped under its line: "bits: Static 2, Plain 4, ..."
        const std::vector<BitName> bits = BitNamesOf(field);
        std::string line = std::string(25, ' ') + "bits:";
        for (size_t i = 0; i < bits.size(); ++i) {
            const std::string name = " " + std::string(bits[i].Name) + " " + std::to_string(bits[i].Bit);
            if (line.size() + name.size() >= 79) {
                std::printf("%s\n", line.c_str());
                line = std::string(30, ' ');
            }
            line += name + (i + 1 < bits.size() ? "," : "");
        }
        if (!bits.empty())
            std::printf("%s\n", line.c_str());
    }
    PrintExitCodes();
}

int ReadCreateArguments(int count, char** arguments, CreateRequest* request)
{
    std::string* const files[] = {&request->Runtime, &request->Logo, &request->Out};
    const char* const fileOptions[] = {"--runtime", "--logo", "--out"};
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
        int file = 0;
        while (file < 3 && argument != fileOptions[file])
            ++file;
        if (file == 3)
            return Complain(ExitUsage, (argument.compare(0, 1, "-") == 0 ? "unknown option " : "unexpected argument ") +
                                           argument + " (see glimmora-author create --help)");
        if (i + 1 == count)
            return Complain(ExitUsage, argument + " needs a value");
        if (!files[file]->empty())
            return Complain(ExitUsage, argument + " is given twice");
        *files[file] = arguments[++i];
        if (files[file]->empty())
            return Complain(ExitUsage, argument + " needs a file name");
    }
    for (int file = 0; file < 3; ++file)
        if (files[file]->empty())
            return Complain(ExitUsage, std::string(fileOptions[file]) + " is required");
    return ExitSuccess;
}

std::string StemOf(const std::string& path)
{
    const std::string name = FileNameOf(path);
    const size_t dot = name.find_last_of('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

// The trailer and display name from defaults and choices.
int DraftSaver(const CreateRequest& request, SaverDraft* draft)
{
    StartTrailer(&draft->Trailer);
    const std::string problem = ApplyChoices(request.Choices, draft);
    if (!problem.empty())
        return Complain(ExitBadInput, problem);

    SaverTrailer& trailer = draft->Trailer;
    if (!draft->SaverNameGiven) {
        const std::string stem = StemOf(request.Out);
        std::string name, why;
        if (!Utf8ToWindows1252(stem, &name, &why))
            return Complain(ExitBadInput, "the name taken from the output file, \"" + stem + "\", " + why +
                                              "; give one with --name");
        if (name.size() >= TrailerTextSize)
            return Complain(ExitBadInput, "the name taken from the output file, \"" + stem + "\", is " +
                                              std::to_string(name.size()) + " characters long; give one with --name");
        if (!(why = NameProblem(name, false)).empty())
            return Complain(ExitBadInput, "the name taken from the output file, \"" + stem + "\", " + why +
                                              "; give one with --name");
        StoreText(trailer.SaverName, name);
    }
    if (!draft->SaverIdGiven)
        trailer.SaverId = SaverIdFromName(SlotText(trailer.SaverName));
    if (!draft->DisplayNameGiven) {
        draft->DisplayName = SlotText(trailer.SaverName);
        const std::string tooLong = NameTooLongToDisplay(draft->DisplayName);
        if (!tooLong.empty())
            return Complain(ExitBadInput, tooLong);
    }
    NormaliseSettings(&trailer.Settings);
    return ExitSuccess;
}

const char* MachineText(ProgramMachine machine)
{
    return machine == ProgramMachine::X86 ? "32-bit" : "64-bit";
}

}  // namespace

int RunCreate(int count, char** arguments)
{
    CreateRequest request;
    int code = ReadCreateArguments(count, arguments, &request);
    if (code != ExitSuccess)
        return code;
    if (request.HelpWanted) {
        PrintCreateHelp();
        return ExitSuccess;
    }
    if ((code = ReadConfigFile(&request.Choices)) != ExitSuccess)
        return code;

    SaverDraft draft;
    if ((code = DraftSaver(request, &draft)) != ExitSuccess)
        return code;

    std::vector<uint8_t> runtime, logoFile;
    if ((code = ReadInputFile("runtime", request.Runtime, &runtime)) != ExitSuccess)
        return code;
    DisplayNameSlots slots;
    std::string runtimeSigner;
    const std::string runtimeProblem = RuntimeProblem(&runtime, &slots, &runtimeSigner);
    if (!runtimeProblem.empty())
        return Complain(ExitBadInput, "runtime " + request.Runtime + " " + runtimeProblem);
    if ((code = ReadInputFile("logo", request.Logo, &logoFile)) != ExitSuccess)
        return code;
    PreparedLogo logo;
    const std::string logoProblem = PrepareLogo(logoFile, draft.Trailer.BackgroundColor,
                                                {draft.TransparentGiven, draft.Trailer.TransparentColor},
                                                request.Packing, &logo);
    if (!logoProblem.empty())
        return Complain(ExitBadInput, "logo " + request.Logo + " " + logoProblem);
    draft.Trailer.TransparentColor = logo.TransparentColor;
    for (const std::string& warning : logo.Warnings)
        Warn("logo " + request.Logo + ": " + warning);
    for (const std::string& warning : SettingsWarnings(draft, logo.TransparentColor))
        Warn(warning);
    const std::string unusedKey = draft.TransparentGiven ? UnusedKeyWarning(logo.Bmp, logo.TransparentColor) : "";
    if (!unusedKey.empty())
        Warn(unusedKey);

    const std::vector<uint8_t> saver =
        BuildSaverFile(runtime, slots, Windows1252ToUtf16(draft.DisplayName), logo.Bmp, draft.Trailer);
    const OutputTarget target = {request.Out,
                                 {{"runtime", request.Runtime}, {"logo", request.Logo}, {"config file", request.Choices.ConfigPath}},
                                 request.Force, SaverOutput};
    if ((code = WriteOutput(target, saver)) != ExitSuccess)
        return code;
    char id[16];
    std::snprintf(id, sizeof id, "0x%08x", static_cast<unsigned>(draft.Trailer.SaverId));
    const std::string name = Windows1252ToUtf8(SlotText(draft.Trailer.SaverName));
    ReportSaverWritten(request.Out, saver.size(),
                       std::string(MachineText(slots.Machine)) + " saver \"" + name + "\", id " + id);
    if (!runtimeSigner.empty())
        std::printf("the runtime's signature by %s is left out, as it would not cover the package: sign the saver\n",
                    runtimeSigner.c_str());
    std::printf("logo: %s%s%s\n", DescribePackedLogo(logo).c_str(),
                logo.KeyPicked ? "; transparent pixels in the picked colour " : "",
                logo.KeyPicked ? FormatColour(static_cast<uint32_t>(logo.TransparentColor)).c_str() : "");
    return ExitSuccess;
}
