#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// A growable in-memory byte stream with a position. Storage is one realloc'd block so
// that growing a large stream moves pages instead of copying them, and resident memory
// stays close to the bytes actually written.
class TMemoryStream {
 public:
  TMemoryStream() = default;
  TMemoryStream(const TMemoryStream&) = delete;
  TMemoryStream& operator=(const TMemoryStream&) = delete;
  virtual ~TMemoryStream();

  const uint8_t* Memory() const { return FMemory; }
  uint8_t* Memory() { return FMemory; }
  int64_t Size() const { return FSize; }
  int64_t Position() const { return FPosition; }
  void SetPosition(int64_t position);
  int64_t Capacity() const { return FCapacity; }

  // Grows or shrinks the data; new bytes are zero. The position is clamped to the size.
  void SetSize(int64_t size);
  // Reserves room without changing the size; never shrinks below the size.
  void SetCapacity(int64_t capacity);
  void Clear();

  // Copies up to count bytes from the position; returns how many were read.
  int64_t Read(void* buffer, int64_t count);
  // Writes at the position, growing the stream; returns count (throws on exhaustion).
  // The buffer may be the memory at the position itself, within the capacity.
  int64_t Write(const void* buffer, int64_t count);
  void WriteString(const std::string& bytes) { Write(bytes.data(), int64_t(bytes.size())); }

  // Replaces the content by another stream's whole content; position 0.
  void LoadFrom(const TMemoryStream& other);
  // Whole file in; false when it cannot be read (content unchanged then).
  bool LoadFromFile(const std::string& path);
  bool SaveToFile(const std::string& path) const;

  std::string ToString() const { return std::string(reinterpret_cast<const char*>(FMemory), size_t(FSize)); }

 private:
  void Grow(int64_t needed);

  uint8_t* FMemory = nullptr;
  int64_t FSize = 0;
  int64_t FCapacity = 0;
  int64_t FPosition = 0;
};
