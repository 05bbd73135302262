#include "commands/clearpanes.h"

namespace commands {

void clearPanes(TextPane &left, TextPane &right)
{
    left.setContext({});
    right.setContext({});
}

} // namespace commands
