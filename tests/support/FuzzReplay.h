#pragma once

#include <cstddef>
#include <cstdint>

// Runs every input kept in fuzz/regressions/`subfolder` (the folder itself when empty)
// through a fuzzer's harness, each under a trace naming its file, so that a fault once
// fixed stays fixed. Records the count as the test's "replayed" property.
void ReplayKeptInputs(const char* subfolder, void (*harness)(const uint8_t* data, size_t size));
