#include "commands/findnext.h"

#include "text/bytes.h"

namespace commands {

int32_t nextSearchStart(std::string_view text, int32_t findCursor)
{
    if (findCursor < 1)
        return 1;
    const bool twoByte = std::size_t(findCursor) <= text.size() &&
                         static_cast<unsigned char>(text[findCursor - 1]) >= 0x80;
    return findCursor + (twoByte ? 2 : 1);
}

void findNext(TextPane &pane, const TextInput &searchBox, CharFormat &highlight,
              int32_t &findCursor, Notifier &notifier)
{
    if (findCursor == -1) {
        notifier.endOfSearch();
        findCursor = 0; // the next click searches afresh from the start
        return;
    }
    const std::string text = pane.context();
    const std::string search = searchBox.content();
    const int32_t found =
        text::FindBytes(text, search, nextSearchStart(text, findCursor), /*ignoreCase=*/false);
    findCursor = found;
    if (found == -1)
        return; // nothing to mark; the next click says so

    pane.setSelStart(found - 1);
    pane.setSelLength(text::ByteLength(search));
    highlight.Effects = CharFormat::Underline;
    pane.applyCharFormat(highlight);
    pane.showSelection();
}

} // namespace commands
