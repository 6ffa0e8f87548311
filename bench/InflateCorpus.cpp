#include "InflateCorpus.h"

#include <libdeflate.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

// No single file may fill a member: the first MiB of each is taken.
constexpr size_t kPieceMax = size_t(1) << 20;

struct TKind {
  std::string Name;
  std::vector<fs::path> Roots;
  // Whether a file's name qualifies, and whether its (unpacked) bytes do.
  bool (*NameFits)(const fs::path&);
  bool (*BytesFit)(const Bytes&);
};

bool IsSharedLibrary(const fs::path& p) {
  return p.filename().string().find(".so") != std::string::npos;
}
bool AnyName(const fs::path&) {
  return true;
}
bool IsElf(const Bytes& b) {
  static constexpr uint8_t kMagic[] = {0x7F, 'E', 'L', 'F'};
  return b.size() > sizeof kMagic && std::equal(kMagic, kMagic + sizeof kMagic, b.begin());
}
// No zero byte among the first 4 KiB.
bool IsText(const Bytes& b) {
  const auto head = b.begin() + std::min<size_t>(b.size(), 4096);
  return !b.empty() && std::find(b.begin(), head, 0) == head;
}

// Regular files under the roots (links left out, so that a library counts once), in path
// order.
std::vector<fs::path> FilesUnder(const TKind& kind) {
  std::vector<fs::path> files;
  for (const fs::path& root : kind.Roots) {
    std::error_code ec;
    fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, ec);
    for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
      if (!it->is_symlink(ec) && it->is_regular_file(ec) && kind.NameFits(it->path()))
        files.push_back(it->path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

// A file's bytes, a gzip file's unpacked (its trailer gives the size); empty when it cannot
// be read.
Bytes Contents(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  Bytes b(std::istreambuf_iterator<char>(in), {});
  if (path.extension() != ".gz" || b.size() < 18) return b;
  const size_t size = b[b.size() - 4] | b[b.size() - 3] << 8 | b[b.size() - 2] << 16 |
                      size_t(b[b.size() - 1]) << 24;
  Bytes out(std::min(size, size_t(64) << 20));
  libdeflate_decompressor* d = libdeflate_alloc_decompressor();
  size_t n = 0;
  const bool ok = libdeflate_gzip_decompress(d, b.data(), b.size(), out.data(), out.size(), &n) ==
                  LIBDEFLATE_SUCCESS;
  libdeflate_free_decompressor(d);
  out.resize(ok ? n : 0);
  return out;
}

// Pieces of the kind's files, spread over the whole sorted list rather than its first
// names, until they come to `size` bytes.
std::vector<Bytes> Pieces(const TKind& kind, size_t size) {
  const std::vector<fs::path> files = FilesUnder(kind);
  size_t listed = 0;
  for (const fs::path& f : files) {
    std::error_code ec;
    listed += std::min<size_t>(fs::file_size(f, ec), kPieceMax);
  }
  const size_t stride = std::max<size_t>(1, listed / std::max<size_t>(size, 1));
  std::vector<Bytes> pieces;
  size_t total = 0;
  for (size_t start = 0; start < stride && total < size; ++start) {
    for (size_t i = start; i < files.size() && total < size; i += stride) {
      Bytes b = Contents(files[i]);
      if (!kind.BytesFit(b)) continue;
      b.resize(std::min({b.size(), kPieceMax, size - total}));
      total += b.size();
      pieces.push_back(std::move(b));
    }
  }
  return pieces;
}

Bytes Join(const std::vector<Bytes>& pieces) {
  Bytes out;
  for (const Bytes& p : pieces) out.insert(out.end(), p.begin(), p.end());
  return out;
}

}  // namespace

std::vector<TRealMember> MakeRealMembers(size_t size) {
  const TKind kinds[] = {
      {"libraries", {"/usr/lib"}, IsSharedLibrary, IsElf},
      {"headers", {"/usr/include"}, AnyName, IsText},
      {"docs", {"/usr/share/doc", "/usr/share/man", "/usr/share/info"}, AnyName, IsText},
  };
  std::vector<TRealMember> members;
  std::vector<std::vector<Bytes>> all;
  for (const TKind& kind : kinds) {
    all.push_back(Pieces(kind, size));
    if (!all.back().empty()) members.push_back({kind.Name, Join(all.back())});
  }
  std::vector<Bytes> mixed;
  size_t total = 0;
  for (size_t i = 0; total < size; ++i) {
    bool any = false;
    for (const std::vector<Bytes>& pieces : all) {
      if (i >= pieces.size() || total >= size) continue;
      any = true;
      mixed.push_back(pieces[i]);
      total += pieces[i].size();
    }
    if (!any) break;
  }
  if (!mixed.empty()) {
    members.push_back({"mix", Join(mixed)});
    members.back().Data.resize(std::min(total, size));
  }
  return members;
}
