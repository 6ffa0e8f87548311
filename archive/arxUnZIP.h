#pragma once

#include "arxBase.h"

// The zip reader: directory scan (or local header walk), member loop, password check and
// hand-over to the decoder.
class TUnZip : public TUnBase {
 public:
  // Every member that the directory scan (or the local header walk) finds, whatever
  // FileSpec says, with the directory's method, sizes, CRC, flags and name. Run-level
  // errors are raised as by an extraction.
  TUnBaseHeaderObj ListMembers();

 protected:
  void ExtractArchive() override;
  int ReadCentralDirectory();
  int ReadLocalHeaders();
  void ExtractMembers();
  void ProcessMember(const TUnBaseHeader& entry);
  // Finds the password that opens the member whose encryption header is next in the
  // archive; the keys are then ready for its data.
  bool CheckPassword(uint8_t headerSet);

 private:
  bool Selected(const std::string& name) const { return FListing || MatchFileSpec(name); }
  std::string ReadBytes(uint16_t length);
  // The data descriptor at `at` after a member of `packed` bytes, with or without its
  // signature; `wide` for 8-byte sizes.
  bool ReadDescriptor(uint64_t at, uint64_t packed, bool wide, TZipDescriptor& found);
  // The descriptor of a member whose data starts at `data` and whose size only the
  // descriptor holds.
  bool FindDescriptor(uint64_t data, bool wide, TZipDescriptor& found);
  void AddMember(const TUnBaseHeader& entry, int32_t dosDateTime);
  // Takes the local header at the entry's offset as the current member; false when none
  // is there.
  bool LoadMember(const TUnBaseHeader& entry);
  void DecodeCurrent(bool encrypted, bool searchedNow);
  void DecodeData(bool decrypt);
  // Leaves FKeys and CurrentPassword at the first password whose trial decoding passes.
  void ChooseAmongPasswords();

  bool FListing = false;
  TUnBaseHeaderObj FListed;
  uint32_t FStoredCrc = 0;
  // Further passwords of the list that pass the current member's check byte, with their
  // keys ready for its data.
  std::vector<TZipKeys> FSpareKeys;
  std::vector<std::string> FSpareNames;
};
