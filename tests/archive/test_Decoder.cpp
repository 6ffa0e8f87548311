#include "DecoderHarness.h"

using namespace harness;

namespace {

Bytes Xored(Bytes b) {
  for (auto& x : b) x ^= kCipherKey;
  return b;
}

TEST(Decoder, StoredMembersAreCopiedInBlocks) {
  for (size_t size : {0, 1, 32768, 70000}) {
    const Bytes plain = MixedData(size, 5);
    THost host(plain);
    const TOutcome r = Decode({0, 0, plain, 0, uint32_t(size), false}, host);
    EXPECT_EQ(r.Output, plain);
    EXPECT_EQ(r.Crc, ZlibCrc(plain));
    EXPECT_TRUE(r.Errors.empty());
    EXPECT_EQ(host.Steps.size(), (size + 32767) / 32768) << size;
  }
}

// Stored members are decrypted as they are written, every other method as it is read;
// the CRC always covers the plain bytes, and the cipher header counts in the packed size.
TEST(Decoder, EncryptedMembersAreDecryptedOnTheRightSide) {
  const Bytes plain = MixedData(50000, 6);
  {
    THost host(Xored(plain));
    const TOutcome r = Decode({0, 1, Xored(plain), 0, uint32_t(plain.size()), true}, host);
    EXPECT_EQ(r.Output, plain);
    EXPECT_EQ(r.Crc, ZlibCrc(plain));
    EXPECT_EQ(host.ReadDecrypting, 0);
  }
  {
    const Bytes stream = Xored(Deflate(plain, 6));
    THost host(stream);
    const TOutcome r = Decode({8, 1, stream, 0, uint32_t(plain.size()), true}, host);
    EXPECT_EQ(r.Output, plain);
    EXPECT_EQ(r.Crc, ZlibCrc(plain));
    EXPECT_GT(host.ReadDecrypting, 0);
    EXPECT_EQ(host.Consumed(), stream.size());
  }
}

TEST(Decoder, EncryptedMemberShorterThanItsCipherHeaderHasNoData) {
  const Bytes rest = MixedData(1000, 7);  // what follows in the archive: not this member's
  THost host(rest);
  const TOutcome r = Decode({0, 1, rest, 5, 1000, true}, host);
  EXPECT_TRUE(r.Output.empty());
  EXPECT_EQ(host.Consumed(), 0u);
}

TEST(Decoder, UnsupportedMethodsAreReportedWithNothingDecoded) {
  for (uint16_t method : {7, 9, 12, 99}) {
    const TOutcome r = Decode({method, 0, Bytes(100, 1), 0, 100, false});
    EXPECT_EQ(r.Errors, std::vector<int>{E_UNKNMETH}) << method;
    EXPECT_TRUE(r.Output.empty());
    EXPECT_EQ(r.Crc, 0u);  // the register as reset
  }
}

// Output stops at the declared size: what fits is written, the member fails as damaged.
TEST(Decoder, OutputBeyondTheDeclaredSizeIsCut) {
  const Bytes plain = MixedData(100000, 8);
  const Bytes stream = Deflate(plain, 6);
  for (uint32_t declared : {0u, 1u, 32768u, 99990u}) {
    for (uint16_t method : {0, 8}) {
      const TOutcome r = Decode({method, 0, method ? stream : plain, 0, declared, false});
      EXPECT_EQ(r.Output, Bytes(plain.begin(), plain.begin() + declared)) << declared;
      EXPECT_TRUE(r.Overrun);
      EXPECT_EQ(r.Errors, std::vector<int>{E_BADBLOCK});
    }
  }
  const TOutcome exact = Decode({8, 0, stream, 0, uint32_t(plain.size()), false});
  EXPECT_FALSE(exact.Overrun);
  EXPECT_TRUE(exact.Errors.empty());
}

// Damaged data past the declared size is one fault, reported once.
TEST(Decoder, DamagedMemberBeyondItsSizeIsReportedOnce) {
  TBitWriter w;
  w.Put(1, 1);
  w.Put(1, 2);
  for (int i = 0; i < 100; ++i) w.Code(0x30 + 'k', 8);
  w.Code(0xC0 + 286 - 280, 8);
  w.Put(0, 32);
  const TOutcome r = Decode({8, 0, w.Out(), 0, 50, false});
  EXPECT_EQ(r.Output, Bytes(50, 'k'));
  EXPECT_TRUE(r.Overrun);
  EXPECT_EQ(r.Errors, std::vector<int>{E_BADBLOCK});
}

TEST(Decoder, HugeOutputStopsAtTheFirstWindowBeyondTheDeclaredSize) {
  const Bytes zeros(64 << 20, 0);
  const Bytes stream = Deflate(zeros, 9);
  THost host(stream);
  const TOutcome r = Decode({8, 0, stream, 0, 1000, false}, host);
  EXPECT_EQ(r.Output.size(), 1000u);
  EXPECT_EQ(host.Steps.size(), 1u);
  EXPECT_LT(host.Consumed(), stream.size());
}

TEST(Decoder, CancelInAProgressStepEndsTheMemberQuietly) {
  const Bytes plain = MixedData(200000, 9);
  for (uint16_t method : {0, 8}) {
    const Bytes data = method ? Deflate(plain, 6) : plain;
    THost host(data);
    host.OnStep = [](THost& h) { h.Cancel = true; };
    const TOutcome r = Decode({method, 0, data, 0, uint32_t(plain.size()), false}, host);
    EXPECT_EQ(r.Output, Bytes(plain.begin(), plain.begin() + 32768)) << method;
    EXPECT_TRUE(r.Errors.empty());
  }
}

TEST(Decoder, FailedWritesDoNotEscape) {
  const Bytes plain = MixedData(100000, 10);
  THost host(Deflate(plain, 6));
  host.FailWrites = true;
  EXPECT_NO_THROW(Decode({8, 0, Deflate(plain, 6), 0, uint32_t(plain.size()), false}, host));
}

// One decoder serves the members of a run one after another: a damaged member leaves
// nothing behind, and a member may not reach back into the bytes of the one before.
TEST(Decoder, MembersDoNotShareState) {
  THost host({});
  TDecoder decoder(host);
  auto decode = [&](uint16_t method, const Bytes& data, uint32_t declared) {
    host = THost(data);
    TCurrentHeader header{0, method, uint32_t(data.size()), declared};
    decoder.DecodeMember(header, "m", false);
    return std::make_pair(host.Output, host.Errors);
  };
  const Bytes first = MixedData(40000, 11);
  EXPECT_EQ(decode(8, Deflate(first, 6), 40000).first, first);
  EXPECT_EQ(decode(8, {0x07, 0, 0}, 40000).second, std::vector<int>{E_BADBLOCK});
  // A fixed block whose first symbol copies 3 bytes from distance 1.
  TBitWriter w;
  w.Put(1, 1);
  w.Put(1, 2);
  w.Code(257 - 256, 7);
  w.Code(0, 5);
  w.Code(0, 7);
  EXPECT_EQ(decode(8, w.Out(), 100), std::make_pair(Bytes{}, std::vector<int>{E_BADBLOCK}));
  const Bytes second = MixedData(5000, 12);
  EXPECT_EQ(decode(8, Deflate(second, 1), 5000).first, second);
}

}  // namespace
