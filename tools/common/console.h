#pragma once
// The terminal side of the command-line tools, one implementation per system.

#include <string>
#include <vector>

// Standard output carries UTF-8 text byte for byte (no CR LF translation).
void useBinaryStdout();
// Standard input likewise.
void useBinaryStdin();

// The command line as UTF-8 (on Windows from the wide command line, so a
// Cyrillic path survives whatever the console code page is).
std::vector<std::string> utf8Arguments(int argc, char** argv);

// Whether standard error is a terminal (progress lines are for people only).
bool stderrIsTerminal();

// From now on Ctrl+C (and a console close or SIGTERM) no longer ends the
// process; it makes interruptRequested() true, for the tool to stop between
// two steps and clean up behind itself.
void catchInterrupt();
bool interruptRequested();
