#pragma once

#include <string>

#include "Exception.h"

// The archive reader's message codes and their texts.
enum : int {
  E_BADBLOCK = 25111,         // "Bad block"
  E_WRITE = 25136,            // "Error writing to file"
  E_CLOSE = 25137,            // "Error closing file"
  E_INCOMPLETECODES = 25138,  // "Incomplete code set"
  E_CRCERROR = 25151,         // "File fails CRC check"
  E_MKDIR = 25156,            // "Unable to create directory"
  E_NOTACCESSIBLE = 25160,    // "is not accessible."
  E_FILENOTFOUND = 25172,     // "File not found"
  E_FOPEN = 25235,            // "Error opening file"
  E_FREAD = 25236,            // "Error reading file or unexpected end of file"
  E_BADARCTYPE = 25242,       // "Invalid or unsupported archive type for this operation"
  E_MEMERR = 25253,           // "Out of memory"
  E_NOSTREAM = 25255,         // "Uninitialized TMemoryStream object"
  E_REQUIREDEVENT = 25270,    // "Required event not assigned"
  E_AMBIGUOUSTREE = 25293,    // "Ambiguous Shannon-Fano decode tree encountered"
  E_STACKOVERFLOW = 25298,    // "Stack overflow"
  E_UNKNMETH = 25326,         // "Unsupported compression method"
  E_USERCANCEL = 25449,       // "User canceled"
  E_BADPASSWORD = 26517,      // "Invalid password"
};

// The text of a message code; an unknown code gives an empty text.
std::string LoadStr(int code);

// The archive reader's exception: its message is the text of a message code.
class E_RAISE : public Exception {
 public:
  explicit E_RAISE(int code) : Exception(LoadStr(code)), FCode(code) {}
  int Code() const { return FCode; }

 private:
  int FCode;
};
