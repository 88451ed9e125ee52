#pragma once

#include "cli/CliCommon.h"
#include "journal/JournalPlace.h"
#include "reading/DocumentTable.h"

#include <optional>

// The journal the command names (--journal, --no-journal), else the settings'.
JournalPlace CliJournalPlace(const CliOptions& options);

// --only-new: unchecks the documents the journal holds and says how many. The exit status when
// the run must end: 2 when the journal cannot tell what is new, 1 when nothing is left to write.
std::optional<int> LeaveOutExported(const CliOptions& options, DocumentTable& table);
