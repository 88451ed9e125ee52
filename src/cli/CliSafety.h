#pragma once

#include "reading/ReadingRun.h"

// How vypiska-cli behaves when its system fails it or a user stops it.

// At start: SIGINT, SIGTERM and SIGHUP stop the run at the next point where nothing is half
// written (the reading stops at once), a second one ends the process at once; SIGXFSZ is ignored
// so that a write over the file size limit fails and is said instead of killing the process;
// folders of ours left by a killed run are removed.
void PrepareCliRun();

// Raised by the signals above; the reading looks at it, also inside a long document.
ReadingCancel CliCancel();

// When one of the signals came: says so on stderr and ends the process by that signal, as the
// caller of a stopped program expects. Call it only where nothing is half written.
void EndIfInterrupted();

// Whether everything printed to stdout reached it (a full disk, a closed pipe end, /dev/full);
// when not, says so on stderr, with the reason (errno) of an earlier failed write when the flush
// gives none.
bool StdoutReached(int earlier = 0);
