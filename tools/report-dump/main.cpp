// report-dump FILE: a report stream as text, for anyone debugging a stream.
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "Exception.h"
#include "StreamDump.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: report-dump FILE\n";
    return 2;
  }
  std::ifstream file(argv[1], std::ios::binary);
  if (!file) {
    std::cerr << "report-dump: cannot read " << argv[1] << "\n";
    return 1;
  }
  const std::string stream((std::istreambuf_iterator<char>(file)),
                           std::istreambuf_iterator<char>());
  try {
    DumpReportStream(stream, std::cout);
  } catch (const Exception& e) {
    std::cout.flush();
    std::cerr << "report-dump: " << e.Message() << "\n";
    return 1;
  }
  return 0;
}
