#include "MemoryStream.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace {

// A large block is backed by huge pages where the system offers them on request: filling
// it then costs one fault per 2 MiB instead of one per 4 KiB.
void AdviseLarge(uint8_t* block, int64_t capacity) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  constexpr uintptr_t kHuge = uintptr_t(2) << 20;
  if (capacity < int64_t(4 * kHuge)) return;
  const uintptr_t begin = (reinterpret_cast<uintptr_t>(block) + kHuge - 1) & ~(kHuge - 1);
  const uintptr_t end = (reinterpret_cast<uintptr_t>(block) + uintptr_t(capacity)) & ~(kHuge - 1);
  if (end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
  (void)block;
  (void)capacity;
#endif
}

}  // namespace

TMemoryStream::~TMemoryStream() { std::free(FMemory); }

void TMemoryStream::SetPosition(int64_t position) {
  FPosition = position < 0 ? 0 : position;
}

void TMemoryStream::SetCapacity(int64_t capacity) {
  if (capacity < FSize) capacity = FSize;
  if (capacity == FCapacity) return;
  if (capacity == 0) {
    std::free(FMemory);
    FMemory = nullptr;
    FCapacity = 0;
    return;
  }
  void* block = std::realloc(FMemory, size_t(capacity));
  if (!block) throw std::bad_alloc();
  FMemory = static_cast<uint8_t*>(block);
  FCapacity = capacity;
  AdviseLarge(FMemory, FCapacity);
}

void TMemoryStream::Grow(int64_t needed) {
  if (needed <= FCapacity) return;
  // A quarter more each time keeps reallocations logarithmic without doubling the
  // address space a large stream holds; 8 KiB rounding spares tiny steps.
  int64_t capacity = FCapacity + FCapacity / 4;
  if (capacity < needed) capacity = needed;
  capacity = (capacity + 8191) & ~int64_t(8191);
  SetCapacity(capacity);
}

void TMemoryStream::SetSize(int64_t size) {
  if (size < 0) size = 0;
  Grow(size);
  if (size > FSize) std::memset(FMemory + FSize, 0, size_t(size - FSize));
  FSize = size;
  if (FPosition > FSize) FPosition = FSize;
}

void TMemoryStream::Clear() {
  std::free(FMemory);
  FMemory = nullptr;
  FSize = FCapacity = FPosition = 0;
}

int64_t TMemoryStream::Read(void* buffer, int64_t count) {
  if (count <= 0 || FPosition >= FSize) return 0;
  if (count > FSize - FPosition) count = FSize - FPosition;
  std::memcpy(buffer, FMemory + FPosition, size_t(count));
  FPosition += count;
  return count;
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count) {
  if (count <= 0) return 0;
  const int64_t end = FPosition + count;
  Grow(end);
  if (FPosition > FSize) std::memset(FMemory + FSize, 0, size_t(FPosition - FSize));
  // Bytes a decoder has put in place already (into reserved room) need no copy.
  if (buffer != FMemory + FPosition) std::memcpy(FMemory + FPosition, buffer, size_t(count));
  FPosition = end;
  if (end > FSize) FSize = end;
  return count;
}

void TMemoryStream::LoadFrom(const TMemoryStream& other) {
  if (&other == this) return;
  FSize = 0;
  FPosition = 0;
  Write(other.FMemory, other.FSize);
  FPosition = 0;
}

bool TMemoryStream::LoadFromFile(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  TMemoryStream data;
  char chunk[65536];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, f)) > 0) data.Write(chunk, int64_t(got));
  const bool ok = !std::ferror(f);
  std::fclose(f);
  if (!ok) return false;
  LoadFrom(data);
  return true;
}

bool TMemoryStream::SaveToFile(const std::string& path) const {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool written = FSize == 0 || std::fwrite(FMemory, 1, size_t(FSize), f) == size_t(FSize);
  return (std::fclose(f) == 0) && written;
}
