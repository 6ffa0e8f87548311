// Deflate's three ways through the decoder (every symbol checked, the fast loop into the
// history buffer, the fast loop into the target's room) give the same bytes, errors, CRC,
// overrun and progress steps, on zlib's streams and on damaged copies of them (fixed
// seeds, so that a failure repeats).
#include <string>

#include "DecoderHarness.h"

using namespace harness;

namespace {

struct TRun {
  TOutcome Outcome;
  std::vector<uint32_t> Steps;
};

TRun Run(const Bytes& stream, uint32_t declared, TPath path, int cancelAtStep) {
  THost host(stream);
  if (cancelAtStep > 0)
    host.OnStep = [cancelAtStep](THost& h) {
      if (int(h.Steps.size()) == cancelAtStep) h.Cancel = true;
    };
  TOutcome outcome = Decode({8, 0, stream, 0, declared, false, path}, host);
  return {std::move(outcome), host.Steps};
}

// Returns false (with the difference reported) when a path differs from the careful one.
bool SameEveryWay(const Bytes& stream, uint32_t declared, const std::string& what,
                  int cancelAtStep = 0) {
  const TRun careful = Run(stream, declared, TPath::Careful, cancelAtStep);
  for (TPath path : {TPath::Fast, TPath::IntoRoom}) {
    const TRun r = Run(stream, declared, path, cancelAtStep);
    const std::string where = what + ", " + PathName(path);
    if (r.Outcome.Output != careful.Outcome.Output) {
      ADD_FAILURE() << where << ": output " << r.Outcome.Output.size() << " bytes, careful "
                    << careful.Outcome.Output.size();
      return false;
    }
    EXPECT_EQ(r.Outcome.Errors, careful.Outcome.Errors) << where;
    EXPECT_EQ(r.Outcome.Crc, careful.Outcome.Crc) << where;
    EXPECT_EQ(r.Outcome.Overrun, careful.Outcome.Overrun) << where;
    EXPECT_EQ(r.Steps, careful.Steps) << where;
    if (::testing::Test::HasFailure()) return false;
  }
  return true;
}

uint32_t Next(uint32_t& x) {
  x ^= x << 13, x ^= x >> 17, x ^= x << 5;
  return x;
}

// Plain data of a kind the seed picks: text-like, noise, long runs, or the three mixed.
Bytes PlainFor(uint32_t seed, size_t size) {
  switch (seed % 4) {
    case 0:
      return MixedData(size, seed);
    case 1:
      return Noise(size, seed);
    case 2: {
      Bytes b = MixedData(size, seed);
      for (size_t i = 0; i < b.size(); ++i) b[i] = uint8_t(b[i] & 0xF0);
      return b;
    }
    default: {
      Bytes b = MixedData(size, seed);
      const Bytes n = Noise(size / 3, seed);
      std::copy(n.begin(), n.end(), b.begin() + std::ptrdiff_t(size / 3));
      return b;
    }
  }
}

// One damage of a kind the seed picks: flipped bits, an overwritten run, a cut, a run of
// zeros, a piece repeated.
Bytes Damaged(Bytes s, uint32_t seed) {
  if (s.empty()) return s;
  uint32_t x = seed * 2654435761u + 7;
  const size_t at = Next(x) % s.size();
  switch (seed % 5) {
    case 0:
      for (uint32_t n = 1 + Next(x) % 4; n > 0; --n) s[Next(x) % s.size()] ^= uint8_t(1 << (x & 7));
      break;
    case 1:
      for (size_t i = at; i < std::min(s.size(), at + 1 + Next(x) % 16); ++i)
        s[i] = uint8_t(Next(x));
      break;
    case 2:
      s.resize(at);
      break;
    case 3:
      std::fill(s.begin() + std::ptrdiff_t(at),
                s.begin() + std::ptrdiff_t(std::min(s.size(), at + 64)), 0);
      break;
    default: {
      const size_t n = std::min<size_t>(s.size() - at, 1 + Next(x) % 200);
      const Bytes piece(s.begin() + std::ptrdiff_t(at), s.begin() + std::ptrdiff_t(at + n));
      s.insert(s.begin() + std::ptrdiff_t(Next(x) % s.size()), piece.begin(), piece.end());
    }
  }
  return s;
}

TEST(InflatePaths, ZlibStreamsDecodeAlikeEveryWay) {
  const zlibkit::TStrategy strategies[] = {zlibkit::zsDefault, zlibkit::zsFiltered,
                                           zlibkit::zsHuffmanOnly, zlibkit::zsRle,
                                           zlibkit::zsFixed};
  for (uint32_t seed = 1; seed <= 60; ++seed) {
    // Every third member ends near the end of a 32 KiB piece, where the fast loop's last
    // match may have run past it.
    uint32_t x = seed;
    const size_t size =
        seed % 3 == 0 ? 32768 * (1 + seed % 5) + Next(x) % 600 - 300 : Next(x) % 300000;
    const Bytes plain = PlainFor(seed, size);
    const Bytes stream = seed % 7 == 0 ? zlibkit::DeflateWithFlushes(plain, int(seed % 10))
                                       : Deflate(plain, int(seed % 10), strategies[seed % 5]);
    // Exact, too small (an overrun), and more than the data gives.
    for (uint32_t declared : {uint32_t(size), uint32_t(size / 2), uint32_t(size + 70000)})
      ASSERT_TRUE(
          SameEveryWay(stream, declared,
                       "seed " + std::to_string(seed) + " declared " + std::to_string(declared)));
  }
}

TEST(InflatePaths, DamagedStreamsFailAlikeEveryWay) {
  for (uint32_t base = 0; base < 4; ++base) {
    const Bytes plain = PlainFor(base, 60000 + 30000 * base);
    const Bytes stream = Deflate(plain, int(1 + 2 * base));
    for (uint32_t seed = 1; seed <= 250; ++seed)
      ASSERT_TRUE(SameEveryWay(Damaged(stream, seed * 4 + base), uint32_t(plain.size()),
                               "base " + std::to_string(base) + " damage " + std::to_string(seed)));
  }
}

TEST(InflatePaths, CancelInAProgressStepStopsAlikeEveryWay) {
  const Bytes plain = PlainFor(3, 400000);
  const Bytes stream = Deflate(plain, 6);
  for (int step : {1, 2, 7, 12})
    ASSERT_TRUE(
        SameEveryWay(stream, uint32_t(plain.size()), "cancel at " + std::to_string(step), step));
}

}  // namespace
