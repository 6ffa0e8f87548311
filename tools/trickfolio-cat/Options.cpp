#include "Options.h"

#include <algorithm>
#include <ostream>

#include "Codepage.h"

std::string TCommandLine::Last(char option, const std::string& fallback) const {
  const auto it = Values.find(option);
  return it == Values.end() || it->second.empty() ? fallback : it->second.back();
}

const std::vector<std::string>& TCommandLine::All(char option) const {
  static const std::vector<std::string> none;
  const auto it = Values.find(option);
  return it == Values.end() ? none : it->second;
}

bool ParseCommandLine(const std::vector<std::string>& args, std::string_view valueOptions,
                      TCommandLine& line, std::string& error) {
  bool optionsEnded = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      line.Positional.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
    } else if (arg == "-h" || arg == "--help") {
      line.Help = true;
    } else if (arg.size() >= 2 && arg[1] != '-' &&
               valueOptions.find(arg[1]) != std::string_view::npos) {
      if (arg.size() > 2) {
        line.Values[arg[1]].push_back(arg.substr(2));
      } else if (i + 1 < args.size()) {
        line.Values[arg[1]].push_back(args[++i]);
      } else {
        error = "option " + arg + " needs a value";
        return false;
      }
    } else {
      error = "unknown option " + arg;
      return false;
    }
  }
  return true;
}

int ParseCommand(const char* command, const std::vector<std::string>& args,
                 std::string_view valueOptions, const char* usage, size_t minPositional,
                 size_t maxPositional, TCommandLine& line, std::ostream& out, std::ostream& err) {
  std::string error;
  if (!ParseCommandLine(args, valueOptions, line, error)) {
    err << "trickfolio-cat " << command << ": " << error << "\n" << usage;
    return 2;
  }
  if (line.Help) {
    out << usage;
    return 0;
  }
  if (line.Positional.size() < minPositional || line.Positional.size() > maxPositional) {
    err << usage;
    return 2;
  }
  return -1;
}

std::string ToReaderName(const std::string& utf8) {
  std::string name = Codepage::Utf8ToCp1251(utf8);
  std::replace(name.begin(), name.end(), '/', '\\');
  return name;
}

std::string FromReaderName(const std::string& readerName) {
  std::string name = Codepage::Cp1251ToUtf8(readerName);
  std::replace(name.begin(), name.end(), '\\', '/');
  return name;
}
