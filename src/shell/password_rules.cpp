// The close rules of the password-guarded saver.
#include "shell/password_rules.h"

bool WithinRepromptPause(uint32_t lastPromptTick, uint32_t now)
{
    // Unsigned difference: correct across the wrap of the tick count.
    return lastPromptTick != NeverPrompted && now - lastPromptTick < PasswordRepromptMs;
}

CloseVerdict DecideCloseRequest(const CloseRequest& request)
{
    if (request.PromptActive)
        return CloseVerdict::Refuse;
    // The settings dialog's preview shares this road; confirming its close
    // would leave the process believing its host had been closed.
    if (!request.FromHostWindow)
        return CloseVerdict::GoAheadUnguarded;
    if (!request.PasswordLoaded)
        return CloseVerdict::ConfirmAtOnce;
    if (WithinRepromptPause(request.LastPromptTick, request.Now))
        return CloseVerdict::Refuse;
    return CloseVerdict::Prompt;
}
