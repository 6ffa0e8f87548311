#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "arxUnZIP.h"

// Watches an extraction run through the reader's events and tells whether every selected
// member came out whole: the first failure of each member, in the order they happened.
class TMemberReport {
 public:
  explicit TMemberReport(TUnZip& reader);

  // One line per failed member, "trickfolio-cat: NAME: TEXT", on `err`; then the exit
  // code: 0 when members were written and none failed, 1 otherwise.
  int Finish(int written, std::ostream& err) const;

 private:
  void Fail(const std::string& name, const std::string& text);

  std::vector<std::pair<std::string, std::string>> FFailures;
};

struct TCommandLine;

// The reader on `path`. The tool looks for the end record behind the longest comment the
// reader can search, so that commented archives are read through their directory.
void OpenArchive(TUnZip& reader, const std::string& path);

// The reader on the archive (the first positional word) with the passwords (-p) in their
// order and the member names (the other positional words) as FileSpec.
void LoadSelection(TUnZip& reader, const TCommandLine& line);

// The message of a run-level error on `err`; returns its exit code (2).
int RunFailed(const std::string& command, const std::string& archive, const std::string& message,
              std::ostream& err);
