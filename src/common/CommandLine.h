// Splitting the process command line the way the C runtime and the
// application framework do.
#pragma once

#include <string>

// The program path as the C runtime's argv[0]: up to the closing quote when
// the line starts with a quote, else up to the first blank or tab; quotes removed.
std::string ProgramPathArgument(const std::string& commandLine);

// The text after the program name with the blanks in front of it skipped.
std::string CommandLineAfterProgramName(const std::string& commandLine);
