#include "arxZipRecords.h"

#include <initializer_list>

uint16_t Get16(const uint8_t* b) {
  return uint16_t(b[0] | (b[1] << 8));
}
uint32_t Get32(const uint8_t* b) {
  return uint32_t(Get16(b)) | (uint32_t(Get16(b + 2)) << 16);
}
uint64_t Get64(const uint8_t* b) {
  return uint64_t(Get32(b)) | (uint64_t(Get32(b + 4)) << 32);
}

TZipLocalHeader TZipLocalHeader::Parse(const uint8_t* b) {
  TZipLocalHeader h;
  h.Signature = Get32(b);
  h.VersionNeeded = Get16(b + 4);
  h.Flags = Get16(b + 6);
  h.Method = Get16(b + 8);
  h.DosDateTime = Get32(b + 10);
  h.Crc = Get32(b + 14);
  h.PackedSize = Get32(b + 18);
  h.UnpackedSize = Get32(b + 22);
  h.NameLength = Get16(b + 26);
  h.ExtraLength = Get16(b + 28);
  return h;
}

TZipCentralHeader TZipCentralHeader::Parse(const uint8_t* b) {
  TZipCentralHeader h;
  h.Signature = Get32(b);
  h.VersionMadeBy = Get16(b + 4);
  h.VersionNeeded = Get16(b + 6);
  h.Flags = Get16(b + 8);
  h.Method = Get16(b + 10);
  h.DosDateTime = Get32(b + 12);
  h.Crc = Get32(b + 16);
  h.PackedSize = Get32(b + 20);
  h.UnpackedSize = Get32(b + 24);
  h.NameLength = Get16(b + 28);
  h.ExtraLength = Get16(b + 30);
  h.CommentLength = Get16(b + 32);
  h.DiskNumberStart = Get16(b + 34);
  h.InternalAttr = Get16(b + 36);
  h.ExternalAttr = Get32(b + 38);
  h.LocalOffset = Get32(b + 42);
  return h;
}

TZipEndRecord TZipEndRecord::Parse(const uint8_t* b) {
  TZipEndRecord r;
  r.Signature = Get32(b);
  r.DiskNumber = Get16(b + 4);
  r.CentralDisk = Get16(b + 6);
  r.EntriesOnDisk = Get16(b + 8);
  r.Entries = Get16(b + 10);
  r.CentralSize = Get32(b + 12);
  r.CentralOffset = Get32(b + 16);
  r.CommentLength = Get16(b + 20);
  return r;
}

TZip64Locator TZip64Locator::Parse(const uint8_t* b) {
  TZip64Locator l;
  l.Signature = Get32(b);
  l.Disk = Get32(b + 4);
  l.EndRecordOffset = Get64(b + 8);
  l.Disks = Get32(b + 16);
  return l;
}

TZip64EndRecord TZip64EndRecord::Parse(const uint8_t* b) {
  TZip64EndRecord r;
  r.Signature = Get32(b);
  r.DiskNumber = Get32(b + 16);
  r.CentralDisk = Get32(b + 20);
  r.EntriesOnDisk = Get64(b + 24);
  r.Entries = Get64(b + 32);
  r.CentralSize = Get64(b + 40);
  r.CentralOffset = Get64(b + 48);
  return r;
}

TZipWideFields TZipWideFields::Of(const TZipCentralHeader& h, const uint8_t* extra,
                                  uint32_t length) {
  TZipWideFields f;
  f.UnpackedSize = h.UnpackedSize;
  f.PackedSize = h.PackedSize;
  f.LocalOffset = h.LocalOffset;
  f.DiskNumberStart = h.DiskNumberStart == kEscape16 ? kEscape32 : h.DiskNumberStart;
  f.Apply(extra, length);
  if (f.DiskNumberStart == kEscape32) f.DiskNumberStart = kEscape16;
  return f;
}

TZipWideFields TZipWideFields::Of(const TZipLocalHeader& h, const uint8_t* extra, uint32_t length) {
  TZipWideFields f;
  f.UnpackedSize = h.UnpackedSize;
  f.PackedSize = h.PackedSize;
  f.Apply(extra, length);
  return f;
}

void TZipWideFields::Apply(const uint8_t* extra, uint32_t length) {
  constexpr uint16_t kZip64ExtraId = 0x0001;
  for (uint32_t at = 0; at + 4 <= length;) {
    const uint16_t id = Get16(extra + at);
    const uint32_t size = Get16(extra + at + 2);
    if (size > length - at - 4) return;
    if (id == kZip64ExtraId) {
      HasZip64Extra = true;
      const uint8_t* value = extra + at + 4;
      const uint8_t* end = value + size;
      for (uint64_t* field : {&UnpackedSize, &PackedSize, &LocalOffset}) {
        if (*field != kEscape32) continue;
        if (end - value < 8) return;
        *field = Get64(value);
        value += 8;
      }
      if (DiskNumberStart == kEscape32 && end - value >= 4) DiskNumberStart = Get32(value);
      return;
    }
    at += 4 + size;
  }
}
