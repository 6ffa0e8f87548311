#include "ZlibKit.h"

#include <zlib.h>

#include <algorithm>
#include <stdexcept>

namespace zlibkit {

namespace {

const int kStrategies[] = {Z_DEFAULT_STRATEGY, Z_FILTERED, Z_HUFFMAN_ONLY, Z_RLE, Z_FIXED};

struct TDeflater {
  TDeflater(int level, TStrategy strategy, size_t plainSize) {
    if (deflateInit2(&Z, level, Z_DEFLATED, -15, 9, kStrategies[strategy]) != Z_OK)
      throw std::runtime_error("deflateInit2");
    Out.resize(deflateBound(&Z, uLong(plainSize)) + 4096 + plainSize / 100);
    Z.next_out = Out.data();
    Z.avail_out = uInt(Out.size());
  }
  ~TDeflater() { deflateEnd(&Z); }
  void Feed(const uint8_t* p, size_t n, int flush) {
    Z.next_in = const_cast<uint8_t*>(p);
    Z.avail_in = uInt(n);
    const int rc = deflate(&Z, flush);
    if (rc == Z_STREAM_ERROR || Z.avail_in != 0) throw std::runtime_error("deflate");
  }
  std::vector<uint8_t> Take() {
    Out.resize(Z.total_out);
    return std::move(Out);
  }
  z_stream Z{};
  std::vector<uint8_t> Out;
};

}  // namespace

std::vector<uint8_t> Deflate(const std::vector<uint8_t>& plain, int level, TStrategy strategy) {
  TDeflater d(level, strategy, plain.size());
  d.Feed(plain.data(), plain.size(), Z_FINISH);
  return d.Take();
}

std::vector<uint8_t> DeflateWithFlushes(const std::vector<uint8_t>& plain, int level) {
  TDeflater d(level, zsDefault, plain.size());
  for (size_t at = 0, piece = 1; at < plain.size(); piece = piece * 3 / 2 + 1) {
    const size_t n = std::min(piece, plain.size() - at);
    const int flush = at + n == plain.size() ? Z_FINISH : (piece % 2 ? Z_SYNC_FLUSH : Z_FULL_FLUSH);
    d.Feed(plain.data() + at, n, flush);
    at += n;
  }
  if (plain.empty()) d.Feed(nullptr, 0, Z_FINISH);
  return d.Take();
}

uint32_t Crc32(const std::vector<uint8_t>& bytes) {
  return uint32_t(crc32(0, bytes.data(), uInt(bytes.size())));
}

}  // namespace zlibkit
