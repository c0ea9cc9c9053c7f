// The tool's packages installed, upgraded and removed by Windows Installer (Wine's msiexec), and the
// installed saver started from the system folder; the tool itself runs natively, where wixl is.
#define DOCTEST_CONFIG_IMPLEMENT_WITH_MAIN
#include <doctest.h>
#include <msi.h>
#include <msiquery.h>
#include "e2e/driver.h"
#include "e2e/installer.h"
#include "native/tables.h"

// The platform in the package's summary, then the folder and attributes of its component.
static std::string Tables(const std::string& package)
{
    MSIHANDLE database = 0, summary = 0, view = 0, record = 0;
    char platform[64] = "", folder[64] = "";
    DWORD size = sizeof platform, folderSize = sizeof folder;
    UINT type;
    MsiOpenDatabaseA(package.c_str(), MSIDBOPEN_READONLY, &database);
    MsiGetSummaryInformationA(database, nullptr, 0, &summary);
    MsiSummaryInfoGetPropertyA(summary, 7 /* the template */, &type, nullptr, nullptr, platform, &size);
    MsiDatabaseOpenViewA(database, "SELECT `Directory_`, `Attributes` FROM `Component`", &view);
    MsiViewExecute(view, 0), MsiViewFetch(view, &record), MsiRecordGetStringA(record, 1, folder, &folderSize);
    const std::string tables = std::string(platform) + " " + folder + " " + std::to_string(MsiRecordGetInteger(record, 2));
    for (MSIHANDLE handle : {record, view, summary, database})
        MsiCloseHandle(handle);
    return tables;
}

TEST_CASE("a package installs its saver where Windows lists them, a later version upgrades it in place, and each removes on its own")
{
    const std::string work = e2e::WorkFolder();
    // The runtime, the package's summary platform, folder and component attributes, the folder it installs into.
    const std::tuple<const char*, const char*, std::string> platforms[] = {
        {nullptr, "x64;1033 System64Folder 256", "C:\\windows\\system32\\"},
        {GLIMMORA_RUNTIME32, "Intel;1033 SystemFolder 0", "C:\\windows\\syswow64\\"}};
    for (const auto& [runtime, tables, folder] : platforms) {
        INFO(tables);
        // The saver's folder, its options (the same name and id make one saver), the package's version.
        const std::string names[] = {"Ship A $(x) & <Co>", "Ship B"}, files[] = {"Ship A.scr", "Ship B.scr"};
        const std::tuple<std::string, std::string, const char*> versions[] = {
            {"v1", "--name \"Ship A\" --display-name \"" + names[0] + "\"", "1.0.0"},
            {"v2", "--name \"Ship A\" --display-name \"" + names[0] + "\" --set BounceSpeed=5", "1.1.0"}, {"b", "--name \"Ship B\"", "1.0.0"}};
        std::vector<std::vector<uint8_t>> savers;
        for (const auto& [where, options, version] : versions) {
            const std::string saver = work + where + "\\" + (where == "b" ? files[1] : files[0]);
            CreateDirectoryA((work + where).c_str(), nullptr);
            REQUIRE(e2e::MakeSaver(saver, "--background #203040 --set EnabledModes=2 " + options, e2e::TestLogoPath(), runtime));
            savers.push_back(e2e::ReadWholeFile(saver));
            REQUIRE(Native("'" GLIMMORA_NATIVE_TOOL "' msi '" + Unix(saver) + "' --out '" + Unix(work + where + ".msi") +
                           "' --manufacturer Example --version " + version) == 0);
            CHECK_EQ(Tables(work + where + ".msi"), tables);
        }
        if (runtime && Run(e2e::WindowsPath(runtime), "/x") != DWORD(-1)) {  // a running saver refuses /x with -1
            MESSAGE("32-bit programs do not run here: the x86 package is checked by its tables alone");
            continue;
        }
        Installed(names[0], true), Installed(names[1], true);
        // Installed from the system folder, the saver reads its own package there: its logo shows, a key ends it.
        REQUIRE(Run(Msiexec, "/i \"" + work + "v1.msi\" /qn") == 0);
        CHECK(e2e::ReadWholeFile(folder + files[0]) == savers[0]);
        e2e::RunningSaver run = e2e::StartFullScreen(folder + files[0]);
        REQUIRE(run.Window);
        CHECK(e2e::WaitUntil([] { return e2e::WrongPixels(64, 48) == 0; }));
        e2e::PressKey(VK_SPACE);
        CHECK(e2e::EndsWithZero(&run));
        // The command, the package, whether it is done (an older version is refused); then the bytes in each saver's place
        // (empty: none), the versions of each product.
        const std::tuple<const char*, const char*, bool, std::vector<uint8_t>, std::vector<uint8_t>, const char*, const char*> steps[] = {
            {"/i", "v2", true, savers[1], {}, "1.1.0", ""}, {"/i", "v1", false, savers[1], {}, "1.1.0", ""},
            {"/i", "b", true, savers[1], savers[2], "1.1.0", "1.0.0"}, {"/x", "v2", true, {}, savers[2], "", "1.0.0"},
            {"/x", "b", true, {}, {}, "", ""}};
        for (const auto& [command, package, done, a, b, aVersions, bVersions] : steps) {
            const bool ran = Run(Msiexec, std::string(command) + " \"" + work + package + ".msi\" /qn") == 0;
            CHECK_ROW((tables, command, package), (ran, e2e::ReadWholeFile(folder + files[0]) == a, e2e::ReadWholeFile(folder + files[1]) == b,
                      Installed(names[0]), Installed(names[1])), (done, true, true, aVersions, bVersions));
        }
    }
    // The tool's Windows build says that it cannot run wixl, and writes nothing.
    CHECK_EQ(e2e::RunTool("msi \"" + work + "b\\Ship B.scr\" --out \"" + work + "none.msi\" --manufacturer M --version 1.0.0"), 3ul);
    CHECK(GetFileAttributesA((work + "none.msi").c_str()) == INVALID_FILE_ATTRIBUTES);
}
