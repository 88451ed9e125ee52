#pragma once

#include "cli/CliCommon.h"

#include <QDateTime>

// The date and time --date names (YYYY-MM-DD[THH:MM[:SS]]), now without it; false after saying
// why when it names none.
bool ParseCliDate(const CliOptions& options, QDateTime* when);
