#pragma once

#include <cstddef>
#include <cstdint>

// One fuzz input through the reader as the application and the tool drive it. The first
// byte chooses passwords, FileSpec lines and options; the rest is the archive file.
void FuzzOneArchive(const uint8_t* data, size_t size);
