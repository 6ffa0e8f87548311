#pragma once

#include <cstdint>

#include "LittleEndian.h"
#include "arxInflateTable.h"

// The Deflate decoder's hot loop over one contiguous input span and one contiguous output
// span. It runs only where it needs no checks for the ends of either: each step loads eight
// input bytes at once, and writes whole words that may run past the end of the symbol.
// The careful decoder (arxInflate) takes the member's last input bytes, and flushes,
// reports errors and keeps the history between the loop's runs.

// The first-level widths of the tables the loop takes, fixed so that its masks are constants:
// wide enough that nearly every code is found in one look.
constexpr uint32_t kFastLitBits = 10;
constexpr uint32_t kFastDistBits = 8;

// Output of a run may be written up to this far beyond OutStop: a longest match started
// just before it, and its last 16-byte step running on past the match (to OutStop + 272).
constexpr uint32_t kFastOutSlack = 288;

struct TFastRun {
  const uint8_t* In;
  // The last position from which eight bytes can be loaded; no step starts beyond it.
  const uint8_t* InLast;
  uint8_t* Out;
  // No symbol is started at or beyond it.
  uint8_t* OutStop;
  // The member's first byte: no match may reach before it.
  const uint8_t* OutOrigin;
  // Bits above Count are zero or the next input bits themselves.
  uint64_t Bits;
  uint32_t Count;
};

enum class TFastStop { fsInput, fsOutput, fsEndOfBlock, fsBadCode, fsBadDistance };

// Decodes symbols of the block that `lit` and `dist` (tables of kFastLitBits and
// kFastDistBits first-level bits) describe until the end of the block,
// an invalid code or distance, or one of the run's limits. The run's fields are left after
// the last symbol decoded (after the end-of-block code; before an invalid code or match).
TFastStop InflateFast(TFastRun& run, const THuffTable& lit, const THuffTable& dist);
