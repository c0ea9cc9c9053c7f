// Which close requests of the password-guarded saver go ahead, and when the
// prompt may be asked again.
#include "shell/password_rules.h"
#include "testkit.h"

using V = CloseVerdict;

TEST_CASE(close_requests_are_refused_confirmed_or_prompted)
{
    // Every row is the host window unless it says otherwise.
    struct Row { const char* Name; bool Active; bool Loaded; bool Host; uint32_t Last; uint32_t Now; V Verdict; };
    const Row rows[] = {
        {"first close always prompts, whatever the tick", false, true, true, NeverPrompted, 5, V::Prompt},
        {"first close at the last tick before the wrap", false, true, true, NeverPrompted, 0xFFFFFFFF, V::Prompt},
        {"no password: confirmed at once", false, false, true, NeverPrompted, 5, V::ConfirmAtOnce},
        {"no password, just after a prompt", false, false, true, 1000, 1001, V::ConfirmAtOnce},
        {"nested close while the prompt is up", true, true, true, NeverPrompted, 5, V::Refuse},
        {"nested close, no password loaded", true, false, true, NeverPrompted, 5, V::Refuse},
        {"at the very end of the prompt", false, true, true, 1000, 1000, V::Refuse},
        {"199 ms after the prompt", false, true, true, 1000, 1199, V::Refuse},
        {"200 ms after the prompt", false, true, true, 1000, 1200, V::Prompt},
        {"a minute after the prompt", false, true, true, 1000, 61000, V::Prompt},
        {"tick count wrapped, 96 ms after", false, true, true, 0xFFFFFFF0, 0x50, V::Refuse},
        {"tick count wrapped, 199 ms after", false, true, true, 0xFFFFFFC0, 0x87, V::Refuse},
        {"tick count wrapped, 272 ms after", false, true, true, 0xFFFFFF00, 0x10, V::Prompt},
        {"prompt ended at tick 0", false, true, true, 0, 150, V::Refuse},
        {"the settings dialog's preview", false, false, false, NeverPrompted, 5, V::GoAheadUnguarded},
        {"the settings dialog's preview, password loaded", false, true, false, 1000, 1001, V::GoAheadUnguarded},
    };
    for (const Row& row : rows) {
        TEST_ROW(row.Name);
        CHECK_EQ(DecideCloseRequest({row.Active, row.Loaded, row.Host, row.Last, row.Now}), row.Verdict);
    }
}

TEST_CASE(reprompt_pause_counts_across_the_wrap_of_the_tick_count)
{
    struct Row { uint32_t Last; uint32_t Now; bool Within; };
    const Row rows[] = {
        {0xFFFFFF9C, 0x00000063, true},    // 199 across the wrap
        {0xFFFFFF9C, 0x00000064, false},   // 200 across the wrap
        {0xFFFFFFFE, 0xFFFFFFFF, true},
        {NeverPrompted, 0, false},
        {NeverPrompted, 0xFFFFFFFF, false},
        {500, 499, false},                  // a whole cycle of the count later
    };
    for (const Row& row : rows) {
        TEST_ROW(std::to_string(row.Last) + " to " + std::to_string(row.Now));
        CHECK_EQ(WithinRepromptPause(row.Last, row.Now), row.Within);
    }
}

TEST_MAIN()
