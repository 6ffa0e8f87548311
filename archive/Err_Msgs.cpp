#include "Err_Msgs.h"

#include <utility>

namespace {
// The string table. Codes outside it have no text.
constexpr std::pair<int, const char*> Err_Msgs[] = {
    {E_BADBLOCK, "Bad block"},
    {E_WRITE, "Error writing to file"},
    {E_CLOSE, "Error closing file"},
    {E_INCOMPLETECODES, "Incomplete code set"},
    {E_CRCERROR, "File fails CRC check"},
    {E_MKDIR, "Unable to create directory"},
    {E_NOTACCESSIBLE, "is not accessible."},
    {E_FILENOTFOUND, "File not found"},
    {E_FOPEN, "Error opening file"},
    {E_FREAD, "Error reading file or unexpected end of file"},
    {E_BADARCTYPE, "Invalid or unsupported archive type for this operation"},
    {E_MEMERR, "Out of memory"},
    {E_NOSTREAM, "Uninitialized TMemoryStream object"},
    {E_REQUIREDEVENT, "Required event not assigned"},
    {E_AMBIGUOUSTREE, "Ambiguous Shannon-Fano decode tree encountered"},
    {E_STACKOVERFLOW, "Stack overflow"},
    {E_UNKNMETH, "Unsupported compression method"},
    {E_USERCANCEL, "User canceled"},
    {E_BADPASSWORD, "Invalid password"},
};
}  // namespace

std::string LoadStr(int code) {
  for (const auto& [key, text] : Err_Msgs)
    if (key == code) return text;
  return {};
}
