#include "arxZipRecords.h"

#include <initializer_list>

#include "LittleEndian.h"

namespace {

// A record's fields one after another. The records are filled from braced lists, which
// are evaluated in their order, so each list reads the fields in the order on disk.
class TFieldReader {
 public:
  explicit TFieldReader(const uint8_t* at) : FAt(at) {}
  uint16_t U16() { return LoadLE16(Take(2)); }
  uint32_t U32() { return LoadLE32(Take(4)); }
  uint64_t U64() { return LoadLE64(Take(8)); }
  void Skip(uint32_t n) { FAt += n; }

 private:
  const uint8_t* Take(uint32_t n) {
    const uint8_t* at = FAt;
    FAt += n;
    return at;
  }
  const uint8_t* FAt;
};

TZipMemberFields ReadMemberFields(TFieldReader& in) {
  return {in.U16(), in.U16(), in.U16(), in.U32(), in.U32(), in.U32(), in.U32(), in.U16(), in.U16()};
}

}  // namespace

TZipLocalHeader TZipLocalHeader::Parse(const uint8_t* b, size_t length) {
  if (length < kSize) return {};
  TFieldReader in(b);
  const uint32_t signature = in.U32();
  return {ReadMemberFields(in), signature};
}

TZipCentralHeader TZipCentralHeader::Parse(const uint8_t* b, size_t length) {
  if (length < kSize) return {};
  TFieldReader in(b);
  const uint32_t signature = in.U32();
  const uint16_t madeBy = in.U16();
  return {
      ReadMemberFields(in), signature, madeBy, in.U16(), in.U16(), in.U16(), in.U32(), in.U32()};
}

uint32_t TZipCentralHeader::DosAttributes() const {
  constexpr uint32_t kTypeBits = 0170000, kTypeFolder = 0040000;
  const uint32_t type = (ExternalAttr >> 16) & kTypeBits;
  // A mode without a file type says nothing about folders; the DOS byte stands then.
  if (!MadeOnUnix() || type == 0) return ExternalAttr;
  const uint32_t attr = ExternalAttr & ~(kAttrVolume | kAttrDirectory);
  return type == kTypeFolder ? attr | kAttrDirectory : attr;
}

TZipEndRecord TZipEndRecord::Parse(const uint8_t* b, size_t length) {
  if (length < kSize) return {};
  TFieldReader in(b);
  return {in.U32(), in.U16(), in.U16(), in.U16(), in.U16(), in.U32(), in.U32(), in.U16()};
}

TZip64Locator TZip64Locator::Parse(const uint8_t* b, size_t length) {
  if (length < kSize) return {};
  TFieldReader in(b);
  return {in.U32(), in.U32(), in.U64(), in.U32()};
}

TZip64EndRecord TZip64EndRecord::Parse(const uint8_t* b, size_t length) {
  if (length < kSize) return {};
  TFieldReader in(b);
  const uint32_t signature = in.U32();
  in.Skip(12);
  return {signature, in.U32(), in.U32(), in.U64(), in.U64(), in.U64(), in.U64()};
}

TZipWideFields TZipWideFields::Of(const TZipCentralHeader& h, const uint8_t* extra,
                                  uint32_t length) {
  TZipWideFields f{h.UnpackedSize, h.PackedSize, h.LocalOffset,
                   h.DiskNumberStart == kEscape16 ? kEscape32 : h.DiskNumberStart};
  f.Apply(extra, length);
  if (f.DiskNumberStart == kEscape32) f.DiskNumberStart = kEscape16;
  return f;
}

TZipWideFields TZipWideFields::Of(const TZipLocalHeader& h, const uint8_t* extra, uint32_t length) {
  TZipWideFields f{h.UnpackedSize, h.PackedSize};
  f.Apply(extra, length);
  return f;
}

void TZipWideFields::Apply(const uint8_t* extra, uint32_t length) {
  constexpr uint16_t kZip64ExtraId = 0x0001;
  for (uint32_t at = 0; at + 4 <= length;) {
    const uint16_t id = LoadLE16(extra + at);
    const uint32_t size = LoadLE16(extra + at + 2);
    if (size > length - at - 4) return;
    if (id == kZip64ExtraId) {
      HasZip64Extra = true;
      const uint8_t* value = extra + at + 4;
      const uint8_t* end = value + size;
      for (uint64_t* field : {&UnpackedSize, &PackedSize, &LocalOffset}) {
        if (*field != kEscape32) continue;
        if (end - value < 8) return;
        *field = LoadLE64(value);
        value += 8;
      }
      if (DiskNumberStart == kEscape32 && end - value >= 4) DiskNumberStart = LoadLE32(value);
      return;
    }
    at += 4 + size;
  }
}
