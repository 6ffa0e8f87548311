#include "UnzipHarness.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "CatalogueFormat.h"
#include "Err_Msgs.h"
#include "arxDecompStream.h"
#include "arxUnZIP.h"

namespace {

// The archive lives in an anonymous in-memory file so that millions of inputs never touch
// the disk; the reader opens it by its /proc path like any other file.
class TMemoryFile {
 public:
  TMemoryFile() : FFd(memfd_create("trickfolio-fuzz", 0)) {}
  ~TMemoryFile() {
    if (FFd >= 0) close(FFd);
  }
  std::string Fill(const uint8_t* data, size_t size) {
    if (FFd < 0 || ftruncate(FFd, 0) != 0 || lseek(FFd, 0, SEEK_SET) != 0) return {};
    for (size_t done = 0; done < size;) {
      const ssize_t n = write(FFd, data + done, size - done);
      if (n <= 0) return {};
      done += size_t(n);
    }
    return "/proc/self/fd/" + std::to_string(FFd);
  }

 private:
  int FFd;
};

// The streaming target, with nothing kept.
class TNullSink : public TOutputSink {
 public:
  uint32_t Write(const uint8_t*, uint32_t count) override { return count; }
};

// The catalogue's own password and member name among others, so the viewer's road is fuzzed.
const char* const kPasswords[] = {CatalogueFormat::Password, "secret", "", "x"};
const char* const kSpecs[] = {"*.*", CatalogueFormat::GamesMember, "*", "dir\\*.t?t", "?", "A*"};

void Configure(TUnZip& unzip, uint8_t options) {
  unzip.Passwords().Clear();
  for (int i = 0; i < 4; ++i)
    if (options & (1 << i)) unzip.Passwords().Add(kPasswords[i]);
  unzip.FileSpec().Clear();
  unzip.FileSpec().Add(kSpecs[(options >> 4) % 6]);
  if (options & 0x40) unzip.FileSpec().Add("*.*");
  unzip.SetZipCmntBufSize((options & 0x80) ? 2000 : 0);
  unzip.SetTranslateOemChar(options & 0x10);
  if (options & 0x20) {
    unzip.SetPasswordAttempts(2);
    unzip.OnGetPassword = [](TZipCommon*, const std::string&, std::string& password,
                             bool& tryAgain) {
      password = "secret";
      tryAgain = true;
    };
  }
  unzip.OnCorruptZipHeader = [](TZipCommon*, uint8_t, bool& cancel) { cancel = false; };
  unzip.OnError = [](TZipCommon*, const std::string&, const std::string&, const std::string&, int) {
  };
  unzip.OnEnd = [](TZipCommon*, const std::string&, bool) {};
}

}  // namespace

void FuzzOneArchive(const uint8_t* data, size_t size) {
  if (size == 0) return;
  static TMemoryFile file;
  const std::string path = file.Fill(data + 1, size - 1);
  if (path.empty()) return;
  TUnZip unzip;
  Configure(unzip, data[0]);
  unzip.SetArchiveFile(path);
  TDecompMemoryStream stream;
  try {
    unzip.ExtractToMemoryStream(&stream);
  } catch (const E_RAISE&) {
  }
  if (data[0] & 0x04) {
    TNullSink sink;
    try {
      unzip.ExtractToSink(sink);
    } catch (const E_RAISE&) {
    }
  }
  if (data[0] & 0x01) {
    try {
      unzip.ListMembers();
    } catch (const E_RAISE&) {
    }
  }
  // Every entry must describe bytes that are really in the stream.
  for (int i = 0; i < stream.Count(); ++i)
    if (stream.Entries(i).Offset > stream.Size()) __builtin_trap();
}
