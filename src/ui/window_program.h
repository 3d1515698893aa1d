#pragma once

#include "command_line/command_line.h"

// Runs the program with its window for a command line that asks for one (ShowWindow,
// WriteSnapshot): reads an export named on it, starts the application object and shows
// the window, or writes its snapshot. Returns the exit status.
int runWindowProgram(const CommandLine &commandLine, int argc, char *argv[]);
