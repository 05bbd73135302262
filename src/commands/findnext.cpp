#include "commands/findnext.h"

#include "text/bytes.h"

namespace commands {

int32_t nextSearchStart(std::string_view text, int32_t findCursor)
{
    if (findCursor < 1)
        return 1;
    if (std::size_t(findCursor) > text.size())
        return findCursor + 1;
    return findCursor + text::CharacterLengthAt(text, std::size_t(findCursor) - 1);
}

void findNext(TextPane &pane, const TextInput &searchBox, CharFormat &highlight,
              int32_t &findCursor, Notifier &notifier)
{
    const std::string text = pane.context();
    const std::string search = searchBox.content();
    const int32_t found =
        text::FindBytes(text, search, nextSearchStart(text, findCursor), /*ignoreCase=*/false);
    if (found == -1) {
        // The user hears of the end on the click that reached it, and the next click starts
        // again from the top.
        findCursor = 0;
        notifier.endOfSearch();
        return;
    }
    findCursor = found;
    pane.setSelStart(found - 1);
    pane.setSelLength(text::ByteLength(search));
    highlight.Effects = CharFormat::Underline;
    pane.applyCharFormat(highlight);
    pane.showSelection();
}

} // namespace commands
