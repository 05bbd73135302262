#include "commands/clearpanes.h"

namespace commands {

void clearPanes(TextPane &left, TextPane &right, int32_t &findCursor)
{
    left.setContext({});
    right.setContext({});
    findCursor = 0;
}

} // namespace commands
