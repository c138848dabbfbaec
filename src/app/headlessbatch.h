#pragma once

struct CommandLine;

// Runs the batch a command line asks for (--batch) in this process, without
// any window, the web engine or a display: progress on the standard output,
// one line rewritten in place when it is a terminal; Ctrl-C stops the run
// cleanly at its next check point, a second Ctrl-C ends the program at once.
// Needs a QCoreApplication. Returns the exit code.
int runHeadlessBatch(const CommandLine &line);
