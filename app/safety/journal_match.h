// Which chip a journal entry belongs to. An entry is kept for one chip: the one at
// its location, of its type, whose words are still those the change began with,
// those it was writing (any, when those are not known), or blank where the change
// had erased them. A change still running is left alone. Only such a
// chip is offered the entry's backup, and only one that still holds the board's
// serial number where its image held it is taken for that board without asking
// twice.
#pragma once

#include "write_journal.h"

namespace kestrom::safety {

enum class Belonging {
    No,      // another chip, or words the change could not have left
    Maybe,   // it can be that chip, but its words do not prove it
    Proven,  // the same place, and the board's serial number still in its words
};

Belonging belongs(const JournalEntry &entry, const ChipWords &chip);

// The chip holds whole what the change began with, or what it was writing: nothing
// is left to put back.
bool settled(const JournalEntry &entry, const ChipWords &chip);

// Ends the entries that `chip` settles; `before` is what it held before a change
// that has just written it whole, whose entries at its place end too.
void endSettledEntries(WriteJournal &journal, const ChipWords &chip, const ChipWords *before = nullptr);

}  // namespace kestrom::safety
