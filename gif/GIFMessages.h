#pragma once

#include <string>

#include "Exception.h"

// Every text the picture reader reports, kept in one table (Windows-1251 bytes).
enum TGIFMessage {
  gmUnknownVersion,    // bad signature or version
  gmWrongColorCount,   // colour count not a power of two up to 256
  gmUnknownExtension,  // unknown extension label; takes the label
  gmChangeSize,        // the picture's size is the file's
  gmStreamRead,        // unexpected block introducer after the last image, or a cut header
  gmTooLarge,          // more pixels than a picture may hold
  gmOutOfMemory,       // a frame's bitmap could not be allocated
};

// The message's text; gmUnknownExtension formats the label as two hex digits.
std::string GIFMessageText(TGIFMessage message, int label = 0);

// The picture's error class: every failure to read or decode a GIF.
class EGIFError : public Exception {
 public:
  explicit EGIFError(TGIFMessage message, int label = 0)
      : Exception(GIFMessageText(message, label)), FKind(message) {}
  TGIFMessage Kind() const { return FKind; }

 private:
  TGIFMessage FKind;
};
