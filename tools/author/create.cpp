// The create verb: reads the command line, checks every input, writes the saver.
#include <climits>
#include <cstdio>
#include <string>
#include <vector>

#include "file_io.h"
#include "package/bmp_format.h"
#include "saver_file.h"
#include "verbs.h"

enum CreateOption {
    RuntimeOption,
    LogoOption,
    OutOption,
    NameOption,
    DescriptionOption,
    WebAddressOption,
    SaverIdOption,
    BackgroundOption,
    TransparentOption,
    CreateOptionCount,
};

static const char* const CreateOptionNames[CreateOptionCount] = {
    "--runtime", "--logo", "--out", "--name", "--description", "--web-address",
    "--saver-id", "--background", "--transparent",
};

struct CreateRequest {
    std::string Values[CreateOptionCount];
    bool Given[CreateOptionCount] = {};
    std::vector<std::string> Settings;  // "Field=Value", applied in the order given
    bool AllowOutOfRange = false;
    bool HelpWanted = false;
};

static void PrintCreateHelp()
{
    std::printf(
        "Usage: glimmora-author create --runtime FILE --logo FILE.bmp --out FILE.scr [options]\n"
        "\n"
        "Writes a copy of the runtime followed by the logo and the saver's texts and\n"
        "settings. The output goes to a temporary file first and is then renamed, so an\n"
        "existing file is only ever replaced by a complete saver.\n"
        "\n"
        "  --runtime FILE             the Glimmora runtime to build on\n"
        "  --logo FILE.bmp            the logo, a BMP file stored as it is\n"
        "  --out FILE.scr             the saver to write\n"
        "  --name TEXT                saver name (default: the output file name without\n"
        "                             its extension)\n"
        "  --description TEXT         description (default: empty)\n"
        "  --web-address TEXT         web address (default: empty)\n"
        "                             texts: at most 63 characters, no control characters\n"
        "  --saver-id N               32-bit id, decimal or 0x-hex (default: derived from\n"
        "                             the name, so a rebuilt saver keeps its settings)\n"
        "  --background #RRGGBB       background colour (default #000000)\n"
        "  --transparent #RRGGBB|none logo colour drawn as transparent (default none)\n"
        "  --set Field=Value          one settings field; may be repeated\n"
        "  --allow-out-of-range       accept values the settings dialog could not produce\n"
        "\n"
        "Settings fields, the values the settings dialog allows, and their defaults\n"
        "(FadeDerived follows FadeSpeed, a non-zero BounceGravity follows BounceSpeed):\n");
    SaverTrailer defaults;
    StartTrailer(&defaults);
    for (const SettingsField& field : SettingsFields)
        std::printf("  %-22s %-30s default %d\n", field.Name, DescribeAllowedValues(field).c_str(),
                    static_cast<int>(ReadSettingsField(defaults.Settings, field)));
    PrintExitCodes();
}

static int ReadCreateArguments(int count, char** arguments, CreateRequest* request)
{
    for (int i = 0; i < count; ++i) {
        const std::string argument = arguments[i];
        if (argument == "--help") {
            request->HelpWanted = true;
            return ExitSuccess;
        }
        if (argument == "--allow-out-of-range") {
            request->AllowOutOfRange = true;
            continue;
        }
        int option = 0;
        while (option < CreateOptionCount && argument != CreateOptionNames[option])
            ++option;
        const bool isSet = argument == "--set";
        if (option == CreateOptionCount && !isSet)
            return Complain(ExitUsage, (argument.compare(0, 1, "-") == 0 ? "unknown option " : "unexpected argument ") +
                                           argument + " (see glimmora-author create --help)");
        if (i + 1 == count)
            return Complain(ExitUsage, argument + " needs a value");
        const std::string value = arguments[++i];
        if (isSet) {
            request->Settings.push_back(value);
            continue;
        }
        // Silently taking the last of two would hide a mistake in a build script.
        if (request->Given[option])
            return Complain(ExitUsage, argument + " is given twice");
        request->Given[option] = true;
        request->Values[option] = value;
    }
    for (int option : {RuntimeOption, LogoOption, OutOption})
        if (!request->Given[option])
            return Complain(ExitUsage, std::string(CreateOptionNames[option]) + " is required");
    return ExitSuccess;
}

static std::string NameFromOutput(const std::string& out)
{
    const std::string name = FileNameOf(out);
    const size_t dot = name.find_last_of('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

static int ApplyText(const CreateRequest& request, int option, char (&slot)[TrailerTextSize])
{
    const std::string& text = request.Values[option];
    const std::string problem = TextProblem(text);
    if (!problem.empty())
        return Complain(ExitBadInput, std::string(CreateOptionNames[option]) + " " + problem);
    StoreText(slot, text);
    return ExitSuccess;
}

static int ApplySetting(const std::string& assignment, bool allowOutOfRange, SaverSettings* settings)
{
    const size_t equals = assignment.find('=');
    if (equals == std::string::npos)
        return Complain(ExitBadInput, "--set " + assignment + " is not of the form Field=Value");
    const std::string name = assignment.substr(0, equals), text = assignment.substr(equals + 1);
    const SettingsField* field = FindSettingsField(name.c_str());
    if (!field)
        return Complain(ExitBadInput, "--set " + assignment + ": there is no settings field " + name);
    int32_t value;
    if (!ParseInt32(text, &value))
        return Complain(ExitBadInput, "--set " + assignment + ": " + text + " is not a whole number from " +
                                          std::to_string(INT32_MIN) + " to " + std::to_string(INT32_MAX));
    if (!allowOutOfRange && !SettingsValueAllowed(*field, value))
        return Complain(ExitBadInput, "--set " + assignment + ": " + name + " must be " +
                                          DescribeAllowedValues(*field) +
                                          " (--allow-out-of-range accepts it anyway)");
    WriteSettingsField(settings, *field, value);
    return ExitSuccess;
}

static int BuildTrailer(const CreateRequest& request, SaverTrailer* trailer)
{
    StartTrailer(trailer);
    int code = ExitSuccess;
    if (request.Given[NameOption]) {
        code = ApplyText(request, NameOption, trailer->SaverName);
    } else {
        const std::string name = NameFromOutput(request.Values[OutOption]);
        const std::string problem = TextProblem(name);
        if (!problem.empty())
            code = Complain(ExitBadInput, "the name taken from the output file, \"" + name + "\", " + problem +
                                              "; give one with --name");
        else
            StoreText(trailer->SaverName, name);
    }
    if (code == ExitSuccess && request.Given[DescriptionOption])
        code = ApplyText(request, DescriptionOption, trailer->Description);
    if (code == ExitSuccess && request.Given[WebAddressOption])
        code = ApplyText(request, WebAddressOption, trailer->WebAddress);
    if (code != ExitSuccess)
        return code;

    const std::string& id = request.Values[SaverIdOption];
    if (!request.Given[SaverIdOption])
        trailer->SaverId = SaverIdFromName(SlotText(trailer->SaverName));
    else if (!ParseSaverId(id, &trailer->SaverId))
        return Complain(ExitBadInput, "--saver-id " + id + " is not a 32-bit number (decimal, or hex after 0x)");

    const std::string& background = request.Values[BackgroundOption];
    if (request.Given[BackgroundOption] && !ParseColour(background, &trailer->BackgroundColor))
        return Complain(ExitBadInput, "--background " + background + " is not a colour of the form #RRGGBB");

    const std::string& transparent = request.Values[TransparentOption];
    uint32_t transparentColour;
    if (request.Given[TransparentOption] && transparent != "none") {
        if (!ParseColour(transparent, &transparentColour))
            return Complain(ExitBadInput, "--transparent " + transparent + " is not a colour of the form #RRGGBB, nor none");
        trailer->TransparentColor = static_cast<int32_t>(transparentColour);
    }

    for (const std::string& assignment : request.Settings) {
        code = ApplySetting(assignment, request.AllowOutOfRange, &trailer->Settings);
        if (code != ExitSuccess)
            return code;
    }
    NormaliseSettings(&trailer->Settings);
    return ExitSuccess;
}

static int ReadInput(const std::string& role, const std::string& path, std::vector<uint8_t>* bytes)
{
    std::string problem;
    if (!ReadWholeFile(path, bytes, &problem))
        return Complain(ExitBadInput, "cannot read " + role + " " + path + ": " + problem);
    return ExitSuccess;
}

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

    SaverTrailer trailer;
    code = BuildTrailer(request, &trailer);
    if (code != ExitSuccess)
        return code;

    const std::string& runtimePath = request.Values[RuntimeOption];
    std::vector<uint8_t> runtime;
    if ((code = ReadInput("runtime", runtimePath, &runtime)) != ExitSuccess)
        return code;
    if (const char* problem = RuntimeProblem(runtime))
        return Complain(ExitBadInput, "runtime " + runtimePath + " " + problem);

    const std::string& logoPath = request.Values[LogoOption];
    std::vector<uint8_t> logo;
    if ((code = ReadInput("logo", logoPath, &logo)) != ExitSuccess)
        return code;
    // ImageSize is a signed 32-bit field.
    if (logo.size() > static_cast<size_t>(INT32_MAX))
        return Complain(ExitBadInput, "logo " + logoPath + " is larger than 2 GB");
    const BmpFault fault = CheckBmp(logo.data(), logo.size(), nullptr);
    if (fault != BmpFault::None)
        return Complain(ExitBadInput, "logo " + logoPath + ": " + DescribeBmpFault(fault));

    const std::vector<uint8_t> saver = BuildSaverFile(runtime, logo, trailer);
    const std::string& outPath = request.Values[OutOption];
    std::string problem;
    if (!ReplaceFileSafely(outPath, saver, &problem))
        return Complain(ExitWriteFailed, problem);
    std::printf("wrote %s: %zu bytes, saver \"%s\", id 0x%08x\n", outPath.c_str(), saver.size(),
                SlotText(trailer.SaverName).c_str(), static_cast<unsigned>(trailer.SaverId));
    return ExitSuccess;
}
