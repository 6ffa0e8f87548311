#pragma once

#include <cstddef>
#include <cstdint>

// The zip format's records as they lie on disk (little-endian), and the 64-bit extensions
// that stand in for fields too small to hold a size or offset. Fields are declared in their
// order on disk, the order they are read in (the member headers' shared fields apart).

inline constexpr uint32_t kLocalHeaderSig = 0x04034B50;
inline constexpr uint32_t kCentralHeaderSig = 0x02014B50;
inline constexpr uint32_t kEndRecordSig = 0x06054B50;
inline constexpr uint32_t kSpannedSig = 0x08074B50;  // also the data descriptor's
inline constexpr uint32_t kZip64LocatorSig = 0x07064B50;
inline constexpr uint32_t kZip64EndRecordSig = 0x06064B50;

// A 32-bit field holding this value (16-bit: 0xFFFF) has its real value elsewhere.
inline constexpr uint32_t kEscape32 = 0xFFFFFFFFu;
inline constexpr uint16_t kEscape16 = 0xFFFF;

// General-purpose flag bits.
inline constexpr uint16_t kFlagEncrypted = 0x0001;
inline constexpr uint16_t kFlagDescriptor = 0x0008;  // sizes and CRC follow the data
inline constexpr uint16_t kFlagStrongEncryption = 0x0040;
inline constexpr uint16_t kFlagUtf8 = 0x0800;  // name and comment in UTF-8

// The DOS attribute byte, the low byte of a central header's external attributes.
inline constexpr uint32_t kAttrReadOnly = 0x01;
inline constexpr uint32_t kAttrVolume = 0x08;
inline constexpr uint32_t kAttrDirectory = 0x10;
inline constexpr uint32_t kAttrArchive = 0x20;

// The high byte of "version made by": the system whose attributes the entry carries.
inline constexpr uint8_t kHostDos = 0;
inline constexpr uint8_t kHostUnix = 3;

// What a member's local and central headers both hold, after their signature (the central
// header's after the version that made it).
struct TZipMemberFields {
  uint16_t VersionNeeded = 0, Flags = 0, Method = 0;
  uint32_t DosDateTime = 0, Crc = 0, PackedSize = 0, UnpackedSize = 0;
  uint16_t NameLength = 0, ExtraLength = 0;
};

// Each record's Parse reads the record from the `length` bytes at `b`. When they cannot
// hold it, the record comes back empty: a signature of 0 that no check accepts.
struct TZipLocalHeader : TZipMemberFields {
  static constexpr uint32_t kSize = 30;
  uint32_t Signature = 0;
  static TZipLocalHeader Parse(const uint8_t* b, size_t length);
};

struct TZipCentralHeader : TZipMemberFields {
  static constexpr uint32_t kSize = 46;
  uint32_t Signature = 0;
  uint16_t VersionMadeBy = 0;
  uint16_t CommentLength = 0, DiskNumberStart = 0, InternalAttr = 0;
  uint32_t ExternalAttr = 0, LocalOffset = 0;
  static TZipCentralHeader Parse(const uint8_t* b, size_t length);
  bool MadeOnUnix() const { return (VersionMadeBy >> 8) == kHostUnix; }
  // The external attributes with the DOS byte's folder and volume bits as the entry's own
  // system has them: a Unix-made entry's mode in the high half decides, and the DOS byte
  // beside it is whatever that program left there.
  uint32_t DosAttributes() const;
};

struct TZipEndRecord {
  static constexpr uint32_t kSize = 22;
  uint32_t Signature = 0;
  uint16_t DiskNumber = 0, CentralDisk = 0, EntriesOnDisk = 0, Entries = 0;
  uint32_t CentralSize = 0, CentralOffset = 0;
  uint16_t CommentLength = 0;
  static TZipEndRecord Parse(const uint8_t* b, size_t length);
};

// Just before the end record: where the 64-bit end record lies.
struct TZip64Locator {
  static constexpr uint32_t kSize = 20;
  uint32_t Signature = 0, Disk = 0;
  uint64_t EndRecordOffset = 0;
  uint32_t Disks = 0;
  static TZip64Locator Parse(const uint8_t* b, size_t length);
};

// The 64-bit end record, without its size, versions and extensible data.
struct TZip64EndRecord {
  static constexpr uint32_t kSize = 56;
  uint32_t Signature = 0, DiskNumber = 0, CentralDisk = 0;
  uint64_t EntriesOnDisk = 0, Entries = 0, CentralSize = 0, CentralOffset = 0;
  static TZip64EndRecord Parse(const uint8_t* b, size_t length);
};

// A member's sizes, local-header offset and first disk at full width. Fields that a
// header left at their escape value take the next value of the zip64 extra field, in
// the format's order; a field the extra field lacks keeps its escape value.
struct TZipWideFields {
  uint64_t UnpackedSize = 0;
  uint64_t PackedSize = 0;
  uint64_t LocalOffset = 0;
  uint32_t DiskNumberStart = 0;
  bool HasZip64Extra = false;

  static TZipWideFields Of(const TZipCentralHeader& h, const uint8_t* extra, uint32_t length);
  static TZipWideFields Of(const TZipLocalHeader& h, const uint8_t* extra, uint32_t length);
  // A size still at its escape value is not known.
  static uint64_t Known(uint64_t size) { return size == kEscape32 ? 0 : size; }

 private:
  void Apply(const uint8_t* extra, uint32_t length);
};

// What a data descriptor holds; its sizes are 8 bytes wide after a zip64 local header.
struct TZipDescriptor {
  uint32_t Crc = 0;
  uint64_t PackedSize = 0;
  uint64_t UnpackedSize = 0;
  uint32_t Length = 0;  // bytes on disk, signature included
};
