#include "commands/replaceall.h"

#include "commands/replacetext.h"

namespace commands {

void replaceAll(TextPane &pane, const TextInput &searchBox, const TextInput &replacementBox,
                Notifier &notifier)
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
        return;
    }
}

} // namespace commands
