// The signed road under Wine, for both runtimes: a saver signed by the native tool with a certificate from a throwaway
// authority runs full screen and opens its settings, its signed package installs it, runs it and removes it, and a copy
// that set changed afterwards runs unsigned. What the tool refuses is checked by the tool's own tests.
#define DOCTEST_CONFIG_IMPLEMENT_WITH_MAIN
#include <doctest.h>
#include "e2e/driver.h"
#include "e2e/installer.h"

// The exact Static picture (green is transparent), then a key ends the run with 0.
static void ShowsLogo(const std::string& saver)
{
    e2e::RunningSaver run = e2e::StartFullScreen(saver);
    REQUIRE(run.Window);
    const auto expected = [](int x, int y) { return x >= 32 && y < 24 ? e2e::Background : e2e::TestLogoAt(x, y); };
    CHECK(e2e::WaitUntil([&] { return e2e::WrongPixels(64, 48, expected) == 0; }));
    e2e::PressKey(VK_SPACE);
    CHECK(e2e::EndsWithZero(&run));
}

TEST_CASE("signed savers and their signed packages run, install and remove as unsigned ones do; a saver changed after signing runs")
{
    const std::string work = e2e::WorkFolder(), keys = Unix(work) + "keys/", tool = "'" GLIMMORA_NATIVE_TOOL "' ";
    const std::string credentials = " --pkcs12 '" + keys + "signer.p12' --password-file '" + keys + "password.txt'";
    const auto verified = [&](const std::string& file) { return Native("osslsigncode verify -CAfile '" + keys + "ca.pem' '" + file + "'"); };
    REQUIRE(Native("'" GLIMMORA_SOURCE_DIR "/tests/tool/make-test-certificates.sh' '" + keys + "' 2>/dev/null") == 0);
    // The runtime, the system folder that its package installs into.
    for (const auto& [runtime, folder] : {std::pair{static_cast<const char*>(nullptr), "C:\\windows\\system32\\"},
                                          {GLIMMORA_RUNTIME32, "C:\\windows\\syswow64\\"}}) {
        INFO(folder);
        if (runtime && Run(e2e::WindowsPath(runtime), "/x") != DWORD(-1)) {  // a running saver refuses /x with -1
            MESSAGE("32-bit programs do not run here");
            continue;
        }
        const std::string saver = work + "Signed Road.scr", package = work + "signed-road.msi", installed = folder + std::string("Signed Road.scr");
        REQUIRE(e2e::MakeSaver(saver, "--name \"Signed Road\" --background #203040 --set EnabledModes=2 --transparent #00FF00",
                               e2e::TestLogoPath(), runtime));
        REQUIRE(Native(tool + "sign '" + Unix(saver) + "'" + credentials) == 0);
        CHECK(verified(Unix(saver)) == 0);
        const std::vector<uint8_t> signedSaver = e2e::ReadWholeFile(saver);
        ShowsLogo(saver);
        e2e::Process sheet = e2e::StartSaver(saver, "/c");
        e2e::PressDialogButton(e2e::WaitForWindow(sheet.Id, "#32770", "Signed Road"), IDCANCEL);
        CHECK_EQ(e2e::ExitCode(&sheet), 0ul);
        // The tool's Windows build names signtool instead, and writes nothing.
        CHECK_EQ(e2e::RunTool("sign \"" + saver + "\" --pkcs12 \"" + work + "keys\\signer.p12\""), 3ul);
        CHECK(e2e::ReadWholeFile(saver) == signedSaver);

        // The package holds the signed saver and is signed itself.
        REQUIRE(Native(tool + "msi '" + Unix(saver) + "' --out '" + Unix(package) + "' --manufacturer Example --version 1.0.0") == 0);
        REQUIRE(Native(tool + "sign '" + Unix(package) + "'" + credentials) == 0);
        CHECK(verified(Unix(package)) == 0);
        Installed("Signed Road", true);
        REQUIRE(Run(Msiexec, "/i \"" + package + "\" /qn") == 0);
        CHECK(e2e::ReadWholeFile(installed) == signedSaver);
        ShowsLogo(installed);
        CHECK(Run(Msiexec, "/x \"" + package + "\" /qn") == 0);
        CHECK(GetFileAttributesA(installed.c_str()) == INVALID_FILE_ATTRIBUTES);

        REQUIRE(Native(tool + "set '" + Unix(saver) + "' --set BounceSpeed=9 | grep -q '^removed the signature by'") == 0);
        CHECK(Native(tool + "inspect '" + Unix(saver) + "' | grep -qx 'Signature: none'") == 0);
        ShowsLogo(saver);
    }
}
