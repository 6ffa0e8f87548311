#include "ZipWriter.h"

#include <zlib.h>

#include <algorithm>
#include <limits>

#include "Exception.h"
#include "LittleEndian.h"
#include "arxCrc.h"
#include "arxCrypt.h"
#include "arxZipRecords.h"

namespace {

constexpr uint16_t kVersionNeeded = 20;  // deflate and the traditional cipher
constexpr uint16_t kMethodDeflate = 8;
constexpr size_t kMaxMembers = 0xFFFF;

void Put16(std::string& out, uint16_t v) {
  uint8_t bytes[2];
  StoreLE16(bytes, v);
  out.append(reinterpret_cast<const char*>(bytes), 2);
}

void Put32(std::string& out, uint32_t v) {
  uint8_t bytes[4];
  StoreLE32(bytes, v);
  out.append(reinterpret_cast<const char*>(bytes), 4);
}

// Every offset and size of this zip flavour is 32-bit.
uint32_t Checked32(size_t value, const char* what) {
  if (value > std::numeric_limits<uint32_t>::max())
    throw Exception(std::string(what) + " exceeds 4 GiB");
  return uint32_t(value);
}

}  // namespace

std::string DeflateRaw(std::string_view data) {
  z_stream z{};
  if (deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 9, Z_DEFAULT_STRATEGY) != Z_OK)
    throw Exception("zlib: deflateInit2 failed");
  std::string out(deflateBound(&z, uLong(data.size())), '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  z.avail_in = uInt(data.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = uInt(out.size());
  const int result = deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  if (result != Z_STREAM_END) throw Exception("zlib: deflate did not finish");
  return out;
}

uint32_t DosDateTime(std::time_t t) {
  std::tm local{};
  localtime_r(&t, &local);
  const int year = local.tm_year + 1900;
  if (year < 1980) return (1u << 5 | 1u) << 16;  // 1980-01-01 00:00:00
  if (year > 2107) return uint32_t(127u << 9 | 12u << 5 | 31u) << 16 | (23u << 11 | 59u << 5 | 29u);
  const uint32_t date =
      uint32_t(year - 1980) << 9 | uint32_t(local.tm_mon + 1) << 5 | uint32_t(local.tm_mday);
  const uint32_t time = uint32_t(local.tm_hour) << 11 | uint32_t(local.tm_min) << 5 |
                        uint32_t(std::min(local.tm_sec, 59) / 2);
  return date << 16 | time;
}

TZipWriter::TZipWriter(std::string password) : FPassword(std::move(password)) {
  // The reader feeds only the low 8 bits of the length into the keys; a longer password
  // would encrypt members that no reader of this format can open.
  if (FPassword.size() > 255) throw Exception("password longer than 255 characters");
}

std::string TZipWriter::Encrypt(std::string_view packed, uint32_t crc) {
  std::string out(TZipKeys::kHeaderSize, '\0');
  std::uniform_int_distribution<int> byte(0, 255);
  for (size_t i = 0; i + 1 < TZipKeys::kHeaderSize; ++i) out[i] = char(byte(FRandom));
  // No data descriptor follows, so readers check the CRC's high byte.
  out[TZipKeys::kHeaderSize - 1] = char(crc >> 24);
  out.append(packed);
  TZipKeys keys;
  keys.InitKeys(FPassword);
  keys.EncryptBuffer(reinterpret_cast<uint8_t*>(out.data()), out.size());
  return out;
}

void TZipWriter::AddMember(const std::string& name, std::string_view data, uint32_t dosDateTime) {
  if (name.empty() || name.size() > 0xFFFF) throw Exception("bad member name length: " + name);
  if (FEntries.size() >= kMaxMembers) throw Exception("more than 65535 members");
  TCentralEntry entry;
  entry.Name = name;
  entry.DosDateTime = dosDateTime;
  entry.Crc = Crc32Update(0xFFFFFFFFu, reinterpret_cast<const uint8_t*>(data.data()), data.size()) ^
              0xFFFFFFFFu;
  entry.UnpackedSize = Checked32(data.size(), name.c_str());
  std::string packed = DeflateRaw(data);
  if (!FPassword.empty()) {
    entry.Flags = kFlagEncrypted;
    packed = Encrypt(packed, entry.Crc);
  }
  entry.PackedSize = Checked32(packed.size(), name.c_str());
  entry.LocalOffset = Checked32(FArchive.size(), "archive");
  WriteLocalHeader(entry);
  FArchive += packed;
  FEntries.push_back(std::move(entry));
}

// The fields from the flags to the extra length stand alike in both headers.
void TZipWriter::WriteSharedFields(const TCentralEntry& entry) {
  Put16(FArchive, entry.Flags);
  Put16(FArchive, kMethodDeflate);
  Put32(FArchive, entry.DosDateTime);
  Put32(FArchive, entry.Crc);
  Put32(FArchive, entry.PackedSize);
  Put32(FArchive, entry.UnpackedSize);
  Put16(FArchive, uint16_t(entry.Name.size()));
  Put16(FArchive, 0);  // extra field
}

void TZipWriter::WriteLocalHeader(const TCentralEntry& entry) {
  Put32(FArchive, kLocalHeaderSig);
  Put16(FArchive, kVersionNeeded);
  WriteSharedFields(entry);
  FArchive += entry.Name;
}

void TZipWriter::WriteCentralHeader(const TCentralEntry& entry) {
  Put32(FArchive, kCentralHeaderSig);
  // Made by a DOS host, so that the attributes are DOS ones.
  Put16(FArchive, uint16_t(kHostDos << 8 | kVersionNeeded));
  Put16(FArchive, kVersionNeeded);
  WriteSharedFields(entry);
  Put16(FArchive, 0);  // comment
  Put16(FArchive, 0);  // disk number start
  Put16(FArchive, 0);  // internal attributes
  Put32(FArchive, kAttrArchive);
  Put32(FArchive, entry.LocalOffset);
  FArchive += entry.Name;
}

std::string TZipWriter::Finish() {
  const uint32_t directoryOffset = Checked32(FArchive.size(), "archive");
  for (const TCentralEntry& entry : FEntries) WriteCentralHeader(entry);
  const uint32_t directorySize = Checked32(FArchive.size() - directoryOffset, "archive");
  Put32(FArchive, kEndRecordSig);
  Put16(FArchive, 0);  // this disk
  Put16(FArchive, 0);  // disk with the directory
  Put16(FArchive, uint16_t(FEntries.size()));
  Put16(FArchive, uint16_t(FEntries.size()));
  Put32(FArchive, directorySize);
  Put32(FArchive, directoryOffset);
  Put16(FArchive, 0);  // comment
  FEntries.clear();
  std::string archive = std::move(FArchive);
  FArchive.clear();
  return archive;
}
