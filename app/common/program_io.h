// The programs' arguments and standard streams as the same UTF-8 bytes on
// every system.
#pragma once

#include <string>
#include <vector>

// The arguments after the program name, in UTF-8. On Windows they are read from
// the wide command line, so that no name is lost to the ANSI code page.
std::vector<std::string> ProgramArguments(int argc, char** argv);

// Makes stdout and stderr pass bytes through unchanged: UTF-8 to the console,
// and "\n" line ends, never "\r\n", into files and pipes.
void UseUtf8StandardStreams();

// Whether the program's stdout or stderr is a terminal (a console on Windows).
bool StandardOutputIsTerminal();
bool StandardErrorIsTerminal();
