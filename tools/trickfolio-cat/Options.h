#pragma once

#include <iosfwd>
#include <map>
#include <string>
#include <string_view>
#include <vector>

// The words after a command, split into positional words and options. Every option is one
// letter and takes a value ("-p secret" or "-psecret") and may repeat; "--" ends the
// options; "-h" and "--help" ask for the command's usage.
struct TCommandLine {
  std::vector<std::string> Positional;
  std::map<char, std::vector<std::string>> Values;
  bool Help = false;

  // The last value given for the option, or `fallback`.
  std::string Last(char option, const std::string& fallback = "") const;
  const std::vector<std::string>& All(char option) const;
};

// Parses `args` for the options named in `valueOptions` (e.g. "pd"). False, with `error`
// set, for an unknown option or one without its value.
bool ParseCommandLine(const std::vector<std::string>& args, std::string_view valueOptions,
                      TCommandLine& line, std::string& error);

// A command's words parsed for `valueOptions`: "--help" prints `usage` on `out`, a bad word
// prints the error and `usage` on `err`, as does a count of positional words outside
// minPositional..maxPositional. Returns the exit code to end with (0 or 2), or -1 to go on.
int ParseCommand(const char* command, const std::vector<std::string>& args,
                 std::string_view valueOptions, const char* usage, size_t minPositional,
                 size_t maxPositional, TCommandLine& line, std::ostream& out, std::ostream& err);

// Names on the command line are UTF-8 with "/" separators; the reader's names are
// Windows-1251 with "\". And back, for what the tool prints.
std::string ToReaderName(const std::string& utf8);
std::string FromReaderName(const std::string& readerName);
