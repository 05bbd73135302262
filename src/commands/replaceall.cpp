#include "commands/replaceall.h"

#include "commands/replacetext.h"

namespace commands {

void replaceAll(TextPane &pane, const TextInput &searchBox, const TextInput &replacementBox,
                int32_t &findCursor, Notifier &notifier)
{
    const ReplaceResult result =
        replaceAllText(pane.context(), searchBox.content(), replacementBox.content());
    switch (result.status) {
    case ReplaceStatus::NothingFound:
        return;
    case ReplaceStatus::TooLarge:
        notifier.replacementTooLarge(kReplaceLimitBytes);
        return;
    case ReplaceStatus::Replaced:
        pane.setContext(result.text);
        findCursor = 0; // the position it held may lie in text that is no longer there
        return;
    }
}

} // namespace commands
