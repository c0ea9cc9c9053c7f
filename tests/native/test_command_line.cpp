// The command line: program-name skipping, handle parsing, the verb decision.
#include "shell/command_line.h"
#include "testkit.h"

#include <string>

static const char* StepOneByte(const char* text) { return text + 1; }

TEST_CASE(program_name_is_skipped_with_the_blanks_after_it)
{
    struct Row { const char* Line; const char* Tail; };
    const Row rows[] = {
        {"saver.scr /s", "/s"},
        {"saver.scr\t \x01/p 12", "/p 12"},
        {"\"C:\\Program Files\\My Saver.scr\" /c:5", "/c:5"},
        {"\"C:\\My Saver.scr\"/s", "/s"},
        {"\"unterminated quote /s", ""},
        {"  C:\\saver.scr /s", "C:\\saver.scr /s"},  // a leading blank means no program name
        {"saver.scr", ""},
        {"", ""},
        {"saver.scr   ", ""},
        {"\"\" /s", "/s"},
        {"saver.scr\xA0/s", ""},                       // bytes above 127 belong to the name
    };
    for (const Row& row : rows) {
        TEST_ROW(row.Line);
        CHECK_EQ(SkipProgramName(row.Line, StepOneByte), row.Tail);
    }
}

// A double-byte character whose second byte is a quote must not end the name.
static const char* StepLeadBytes(const char* text) { return text + ((static_cast<unsigned char>(*text) == 0x81) ? 2 : 1); }

TEST_CASE(program_name_skipping_moves_by_whole_characters)
{
    CHECK_EQ(SkipProgramName("\"ab\x81\"cd\" /s", StepLeadBytes), "/s");
}

TEST_CASE(decimal_handles_wrap_and_stop_at_the_first_non_digit)
{
    struct Row { const char* Text; uint32_t Value; };
    const Row rows[] = {
        {"", 0}, {"abc", 0}, {"0", 0}, {"1234", 1234}, {"12x4", 12}, {" 12", 0}, {"-5", 0},
        {"4294967295", 4294967295u}, {"4294967296", 0}, {"12345678901", 3755744309u},
        {"7\xB9", 7},  // a superscript digit of the ANSI code page is no digit
    };
    for (const Row& row : rows) {
        TEST_ROW(row.Text);
        CHECK_EQ(ParseDecimal(row.Text), row.Value);
    }
}

static bool KnownWindow(uint32_t window) { return window == 1234 || window == 77; }

TEST_CASE(verbs_choose_their_road_window_and_exit_code)
{
    struct Row {
        const char* Tail;
        bool OnWindows9x;
        VerbRoad Road;
        uint32_t Window;
        bool Foreground;
        int32_t ExitCode;
    };
    const Row rows[] = {
        // Configure: the empty tail has no owner; the letter falls back to the foreground window.
        {"", false, VerbRoad::Configure, 0, false, 0},
        {" -/-/ ", false, VerbRoad::Configure, 0, false, 0},
        {"c", false, VerbRoad::Configure, 0, true, 0},
        {"/C:1234", false, VerbRoad::Configure, 1234, false, 0},
        {"/c:0", false, VerbRoad::Configure, 0, true, 0},
        {"/c:", false, VerbRoad::Configure, 0, true, 0},
        {"/c:999", false, VerbRoad::Configure, 0, true, 0},
        {"/c 1234", false, VerbRoad::Configure, 0, true, 0},   // a space is not the colon
        {"C:\\saver.scr /s", false, VerbRoad::Configure, 0, true, 0},
        // Run: any mix of blanks, dashes and slashes before the letter; the rest is ignored.
        {"s", false, VerbRoad::Run, 0, false, 0},
        {"-s", false, VerbRoad::Run, 0, false, 0},
        {"/S", false, VerbRoad::Run, 0, false, 0},
        {"-/ -/s", false, VerbRoad::Run, 0, false, 0},
        {"screensaver please", false, VerbRoad::Run, 0, false, 0},
        // Preview needs a real parent.
        {"/p 1234", false, VerbRoad::Preview, 1234, false, 0},
        {"/p    77", false, VerbRoad::Preview, 77, false, 0},
        {"/l 1234", false, VerbRoad::Preview, 1234, false, 0},
        {"/L77", false, VerbRoad::Preview, 77, false, 0},
        {"/p", false, VerbRoad::Exit, 0, false, -1},
        {"/p 0", false, VerbRoad::Exit, 0, false, -1},
        {"/p 999", false, VerbRoad::Exit, 0, false, -1},
        {"/p:1234", false, VerbRoad::Exit, 0, false, -1},
        {"/p\t1234", false, VerbRoad::Exit, 0, false, -1},
        {"/p 4294968530", false, VerbRoad::Preview, 1234, false, 0},  // wraps modulo 2^32
        // Password change: Windows 9x only.
        {"/a", false, VerbRoad::Exit, 0, false, -1},
        {"/a 1234", false, VerbRoad::Exit, 0, false, -1},
        {"/a 1234", true, VerbRoad::ChangePassword, 1234, false, 0},
        {"/A", true, VerbRoad::ChangePassword, 0, true, 0},
        {"/a 999", true, VerbRoad::ChangePassword, 0, true, 0},
        // Anything else ends with -1.
        {"/x", false, VerbRoad::Exit, 0, false, -1},
        {"?", false, VerbRoad::Exit, 0, false, -1},
        {"\t/s", false, VerbRoad::Exit, 0, false, -1},
        {"\xE9", false, VerbRoad::Exit, 0, false, -1},
    };
    for (const Row& row : rows) {
        TEST_ROW(std::string("tail \"") + row.Tail + (row.OnWindows9x ? "\" on 9x" : "\""));
        const VerbDecision verb = DecideVerb(row.Tail, row.OnWindows9x, KnownWindow);
        CHECK_EQ(verb.Road, row.Road);
        CHECK_EQ(verb.Window, row.Window);
        CHECK_EQ(verb.ForegroundOwner, row.Foreground);
        CHECK_EQ(verb.ExitCode, row.ExitCode);
    }
}

TEST_MAIN()
