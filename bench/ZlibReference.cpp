#include "ZlibReference.h"

#include <zlib.h>

#include <climits>

namespace zlibref {

int64_t InflateRaw(const uint8_t* in, size_t inSize, uint8_t* out, size_t outSize) {
  if (inSize > UINT_MAX || outSize > UINT_MAX) return -1;
  z_stream z{};
  if (inflateInit2(&z, -15) != Z_OK) return -1;
  z.next_in = const_cast<uint8_t*>(in);
  z.avail_in = uInt(inSize);
  z.next_out = out;
  z.avail_out = uInt(outSize);
  const int rc = inflate(&z, Z_FINISH);
  const int64_t produced = int64_t(z.total_out);
  inflateEnd(&z);
  return rc == Z_STREAM_END ? produced : -1;
}

}  // namespace zlibref
