#pragma once

// The messages commands give the user.

#include <cstddef>

namespace commands {

class Notifier
{
public:
    virtual ~Notifier() = default;
    // A search has run off the end of the text; blocks until the user has dismissed it.
    virtual void endOfSearch() = 0;
    // Replace all stopped because its result would pass limitBytes; nothing was replaced.
    virtual void replacementTooLarge(std::size_t limitBytes) = 0;
};

} // namespace commands
