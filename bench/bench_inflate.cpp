// Inflate throughput against zlib and libdeflate on one large mixed member, through the decoder
// alone and through the whole reader into a memory stream, plain and encrypted; then the reader's
// peak memory over its output, measured in a fresh process. Real-data members made from the
// machine's own files are timed beside libdeflate's decoder, iteration by iteration.

#include <benchmark/benchmark.h>
#include <libdeflate.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "InflateCorpus.h"
#include "ZlibReference.h"
#include "arxCrc.h"
#include "arxCrypt.h"
#include "arxDecoder.h"
#include "arxDecompStream.h"
#include "arxReadAhead.h"
#include "arxUnZIP.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr size_t kMemberSize = size_t(64) << 20;
constexpr size_t kRealSize = size_t(32) << 20;
const char* const kMemberName = "catalogue.bin";
const char* const kPassword = "Ключ-2024";

// Text lines of codes in Windows-1251 and binary records (tables of small numbers and
// some noise), interleaved in runs of a few KiB, as a catalogue with pictures would be.
Bytes MakeMember() {
  static const char* const words[] = {"\xCA\xEE\xE4 ",
                                      "\xE6\xE8\xE7\xED\xE8 ",
                                      "\xEF\xE0\xF2\xF0\xEE\xED\xFB ",
                                      "IDKFA ",
                                      "GOD MODE ",
                                      "\xF3\xF0\xEE\xE2\xE5\xED\xFC ",
                                      "99 ",
                                      "\t",
                                      "= ",
                                      "\xE4\xE5\xED\xFC\xE3\xE8 ",
                                      "\xF1\xE5\xEA\xF0\xE5\xF2 ",
                                      "L1+R1+",
                                      "\xC2\xE2\xE5\xE4\xE8\xF2\xE5: ",
                                      "X, Y, A, B "};
  Bytes out;
  out.reserve(kMemberSize);
  uint64_t x = 0x9E3779B97F4A7C15ull;
  auto next = [&x] {
    x ^= x << 13, x ^= x >> 7, x ^= x << 17;
    return uint32_t(x >> 16);
  };
  while (out.size() < kMemberSize) {
    const uint32_t kind = next() % 10;
    const size_t run = 512 + next() % 6000;
    const size_t end = std::min(kMemberSize, out.size() + run);
    if (kind < 6) {
      while (out.size() < end) {
        const char* w = words[next() % std::size(words)];
        out.insert(out.end(), w, w + std::strlen(w));
        if (next() % 9 == 0) out.insert(out.end(), {'\r', '\n'});
      }
      out.resize(std::min(out.size(), end));
    } else if (kind < 9) {
      uint32_t v = next();
      while (out.size() + 4 <= end) {
        v += next() % 64;
        out.insert(out.end(), {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), 0});
      }
    } else {
      while (out.size() < end) out.push_back(uint8_t(next()));
    }
  }
  out.resize(kMemberSize);
  return out;
}

Bytes ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

uint16_t Le16(const Bytes& b, size_t at) {
  return uint16_t(b[at] | b[at + 1] << 8);
}
uint32_t Le32(const Bytes& b, size_t at) {
  return Le16(b, at) | uint32_t(Le16(b, at + 2)) << 16;
}

// The raw Deflate stream of an archive's first member.
Bytes FirstStream(const std::filesystem::path& zip) {
  const Bytes b = ReadFile(zip);
  const size_t data = 30 + Le16(b, 26) + Le16(b, 28);
  return Bytes(b.begin() + data, b.begin() + data + Le32(b, 18));
}

// A member packed by the zip tool, with what its output must be.
struct TPacked {
  std::string Name;
  std::filesystem::path Zip;
  std::string Member;
  Bytes Stream;
  uint32_t Crc;
  size_t Size;
};

// The archives are made once per run by the zip tool: one plain, one with the password.
struct TFixture {
  TFixture() {
    char pattern[] = "/tmp/bench_inflate.XXXXXX";
    if (!mkdtemp(pattern)) throw std::runtime_error("mkdtemp");
    Dir = pattern;
    {
      const Bytes member = MakeMember();
      Crc = Crc32Update(0xFFFFFFFF, member.data(), member.size()) ^ 0xFFFFFFFF;
      std::ofstream(Dir / kMemberName, std::ios::binary)
          .write(reinterpret_cast<const char*>(member.data()), std::streamsize(member.size()));
    }
    const std::string cd = "cd '" + Dir.string() + "' && ";
    if (std::system((cd + "zip -q -6 -X plain.zip " + kMemberName).c_str()) != 0 ||
        std::system(
            (cd + "zip -q -6 -X -P '" + kPassword + "' crypt.zip " + kMemberName).c_str()) != 0)
      throw std::runtime_error("zip failed");
    std::filesystem::remove(Dir / kMemberName);
    Stream = FirstStream(Dir / "plain.zip");
    Packed.push_back({"synthetic-6", Dir / "plain.zip", kMemberName, Stream, Crc, kMemberSize});
    for (TRealMember& m : MakeRealMembers(kRealSize)) {
      const uint32_t crc = Crc32Update(0xFFFFFFFF, m.Data.data(), m.Data.size()) ^ 0xFFFFFFFF;
      std::ofstream(Dir / m.Name, std::ios::binary)
          .write(reinterpret_cast<const char*>(m.Data.data()), std::streamsize(m.Data.size()));
      for (const char* level : {"6", "9"}) {
        const std::string name = m.Name + "-" + level;
        if (std::system((cd + "zip -q -" + level + " -X " + name + ".zip " + m.Name).c_str()) != 0)
          throw std::runtime_error("zip failed");
        Packed.push_back({name, Dir / (name + ".zip"), m.Name, FirstStream(Dir / (name + ".zip")),
                          crc, m.Data.size()});
      }
      std::filesystem::remove(Dir / m.Name);
    }
  }
  ~TFixture() { std::filesystem::remove_all(Dir); }

  std::filesystem::path Dir;
  Bytes Stream;
  uint32_t Crc = 0;
  // The plain archive's member, then the real ones.
  std::vector<TPacked> Packed;
};

TFixture& Fixture() {
  static TFixture fixture;
  return fixture;
}

void BM_ZlibInflateRaw(benchmark::State& state) {
  const Bytes& stream = Fixture().Stream;
  Bytes out(kMemberSize);
  for (auto _ : state) {
    const int64_t n = zlibref::InflateRaw(stream.data(), stream.size(), out.data(), out.size());
    if (n != int64_t(kMemberSize)) state.SkipWithError("zlib failed");
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations() * kMemberSize));
}

// The whole stream into a buffer of the known size, in one call.
void BM_LibdeflateInflateRaw(benchmark::State& state) {
  const Bytes& stream = Fixture().Stream;
  Bytes out(kMemberSize);
  libdeflate_decompressor* d = libdeflate_alloc_decompressor();
  for (auto _ : state) {
    size_t n = 0;
    if (libdeflate_deflate_decompress(d, stream.data(), stream.size(), out.data(), out.size(),
                                      &n) != LIBDEFLATE_SUCCESS ||
        n != kMemberSize)
      state.SkipWithError("libdeflate failed");
    benchmark::DoNotOptimize(out.data());
  }
  libdeflate_free_decompressor(d);
  state.SetBytesProcessed(int64_t(state.iterations() * kMemberSize));
}

// The decoder with a host that reads from memory and writes into a preallocated buffer
// with the CRC, which it offers to decode into, as the reader's memory target does.
class TMemoryHost : public TDecodeHost {
 public:
  TMemoryHost(const Bytes& in, Bytes& out, bool lendRoom) : FIn(in), FOut(out), FLend(lendRoom) {}
  uint32_t ReadBlock(uint8_t* buffer, uint32_t count, int, bool) override {
    const uint32_t n = uint32_t(std::min<size_t>(count, FIn.size() - FPos));
    std::memcpy(buffer, FIn.data() + FPos, n);
    FPos += n;
    return n;
  }
  uint32_t WriteBlock(uint8_t* buffer, uint32_t count, int, bool) override {
    if (buffer != FOut.data() + FWritten) std::memcpy(FOut.data() + FWritten, buffer, count);
    FWritten += count;
    Crc = Crc32Update(Crc, buffer, count);
    return count;
  }
  void ResetCrc32() override {
    Crc = 0xFFFFFFFF;
    FPos = FWritten = 0;
  }
  bool GetCancel() const override { return false; }
  void RaiseError(const std::string&, int code) override {
    throw std::runtime_error(std::to_string(code));
  }
  void ReportError(const std::string&, const std::string&, int) override {}
  void ProgressStep(uint32_t, uint64_t, uint64_t) override {}
  uint8_t* OutputRoom(uint64_t size) override {
    return FLend && FOut.size() - FWritten >= size ? FOut.data() + FWritten : nullptr;
  }
  uint32_t Crc = 0;

 private:
  const Bytes& FIn;
  Bytes& FOut;
  bool FLend;
  size_t FPos = 0;
  size_t FWritten = 0;
};

// `lendRoom`: the host offers its buffer to decode into; without, the output goes through
// the decoder's history buffer, as to a file.
void DecoderInflate(benchmark::State& state, bool lendRoom) {
  const Bytes& stream = Fixture().Stream;
  Bytes out(kMemberSize);
  TMemoryHost host(stream, out, lendRoom);
  TDecoder decoder(host);
  const TCurrentHeader header{0, 8, uint32_t(stream.size()), uint32_t(kMemberSize)};
  for (auto _ : state) {
    decoder.DecodeMember(header, kMemberName, false);
    if ((host.Crc ^ 0xFFFFFFFF) != Fixture().Crc) state.SkipWithError("wrong output");
  }
  state.SetBytesProcessed(int64_t(state.iterations() * kMemberSize));
}

void BM_DecoderInflate(benchmark::State& state) {
  DecoderInflate(state, true);
}
void BM_DecoderInflateThroughHistory(benchmark::State& state) {
  DecoderInflate(state, false);
}

// The reader with its read-ahead threshold set: encrypted members decrypted on a helper
// thread (the reader's own choice for this member's size) or all on the calling one.
class TBenchUnZip : public TUnZip {
 public:
  explicit TBenchUnZip(bool readAhead) {
    if (!readAhead) FReadAheadMin = UINT64_MAX;
  }
};

// `reserve`: the stream gets room for the declared size before the run, as the reader's
// output opening does itself; without it the reader alone decides.
void Extract(benchmark::State& state, const char* archive, bool withPassword, bool reserve,
             bool readAhead = true) {
  TBenchUnZip unzip(readAhead);
  unzip.SetArchiveFile((Fixture().Dir / archive).string());
  if (withPassword) unzip.Passwords().Add(kPassword);
  unzip.FileSpec().Add(kMemberName);
  TDecompMemoryStream stream;
  int count = 0;
  for (auto _ : state) {
    stream.Reset();
    if (reserve) stream.SetCapacity(int64_t(kMemberSize));
    count = unzip.ExtractToMemoryStream(&stream);
  }
  if (count != 1 || stream.Size() != int64_t(kMemberSize) ||
      (Crc32Update(0xFFFFFFFF, stream.Memory(), size_t(stream.Size())) ^ 0xFFFFFFFF) !=
          Fixture().Crc)
    state.SkipWithError("wrong output");
  state.SetBytesProcessed(int64_t(state.iterations() * kMemberSize));
}

void BM_UnZipExtractToMemoryStream(benchmark::State& state) {
  Extract(state, "plain.zip", false, false);
}
void BM_UnZipExtractEncrypted(benchmark::State& state) {
  Extract(state, "crypt.zip", true, false);
}
void BM_UnZipExtractReserved(benchmark::State& state) {
  Extract(state, "plain.zip", false, true);
}
// The cipher on the calling thread, as members below the read-ahead threshold are read.
void BM_UnZipExtractEncryptedOneThread(benchmark::State& state) {
  Extract(state, "crypt.zip", true, false, false);
}

using TClock = std::chrono::steady_clock;

// The calling thread's processor time: on a shared machine the wall clock also counts the
// time others had the processor, which the ratios should not.
double ThreadSeconds() {
  timespec t;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) + 1e-9 * double(t.tv_nsec);
}

// A member decoded by libdeflate (then its CRC), by our decoder (its CRC included) and by
// the whole reader into memory, back to back in every iteration, so that the ratios
// compare runs under the same load: by the wall clock, and by processor time ("cpu"). The
// time shown is our decoder's; a ratio above 1 means ours is the faster. Our decoder is
// set against libdeflate's decoder alone, and also against it with its own CRC, the same
// work as ours.
void BM_BesideLibdeflate(benchmark::State& state, const TPacked& m) {
  Bytes ours(m.Size), theirs(m.Size);
  libdeflate_decompressor* d = libdeflate_alloc_decompressor();
  TMemoryHost host(m.Stream, ours, true);
  TDecoder decoder(host);
  const TCurrentHeader header{0, 8, uint32_t(m.Stream.size()), uint32_t(m.Size)};
  TUnZip unzip;
  unzip.SetArchiveFile(m.Zip.string());
  unzip.FileSpec().Add(m.Member);
  TDecompMemoryStream stream;
  std::chrono::duration<double> lib{}, libCrc{}, decoderTime{}, readerTime{};
  double libCpu = 0, libCrcCpu = 0, decoderCpu = 0, readerCpu = 0;
  for (auto _ : state) {
    size_t n = 0;
    const double c0 = ThreadSeconds();
    const auto t0 = TClock::now();
    const bool libOk =
        libdeflate_deflate_decompress(d, m.Stream.data(), m.Stream.size(), theirs.data(), m.Size,
                                      &n) == LIBDEFLATE_SUCCESS;
    const auto t1 = TClock::now();
    const double c1 = ThreadSeconds();
    const bool libCrcOk = libdeflate_crc32(0, theirs.data(), n) == m.Crc;
    const double c2 = ThreadSeconds();
    const auto t2 = TClock::now();
    decoder.DecodeMember(header, m.Member, false);
    const auto t3 = TClock::now();
    const double c3 = ThreadSeconds();
    stream.Reset();
    const int count = unzip.ExtractToMemoryStream(&stream);
    const auto t4 = TClock::now();
    const double c4 = ThreadSeconds();
    libCpu += c1 - c0;
    libCrcCpu += c2 - c0;
    decoderCpu += c3 - c2;
    readerCpu += c4 - c3;
    if (!libOk || n != m.Size || !libCrcOk || (host.Crc ^ 0xFFFFFFFF) != m.Crc || count != 1 ||
        stream.Size() != int64_t(m.Size) || std::memcmp(stream.Memory(), ours.data(), m.Size) != 0)
      state.SkipWithError("wrong output");
    lib += t1 - t0;
    libCrc += t2 - t0;
    decoderTime += t3 - t2;
    readerTime += t4 - t3;
    state.SetIterationTime(std::chrono::duration<double>(t3 - t2).count());
  }
  libdeflate_free_decompressor(d);
  state.SetBytesProcessed(int64_t(state.iterations() * m.Size));
  state.counters["packed%"] = 100.0 * double(m.Stream.size()) / double(m.Size);
  state.counters["decoder/libdeflate"] = lib / decoderTime;
  state.counters["reader/libdeflate+crc"] = libCrc / readerTime;
  state.counters["decoder/libdeflate cpu"] = libCpu / decoderCpu;
  state.counters["decoder/libdeflate+crc cpu"] = libCrcCpu / decoderCpu;
  state.counters["reader/libdeflate+crc cpu"] = libCrcCpu / readerCpu;
}

// The cipher alone over as many bytes as the member's packed data, in the helper's blocks.
// Its key stream is one serial chain through every byte, so the helper cannot finish sooner:
// this is the floor of the encrypted extraction's elapsed time, whatever the decoder does.
// Counted in member bytes, to compare with the extractions' rates.
void BM_DecryptPackedData(benchmark::State& state) {
  Bytes data = Fixture().Stream;
  for (auto _ : state) {
    TZipKeys keys;
    keys.InitKeys(kPassword);
    for (size_t at = 0; at < data.size(); at += TReadAhead::kBlockSize)
      keys.DecryptBuffer(data.data() + at,
                         std::min<size_t>(TReadAhead::kBlockSize, data.size() - at));
    benchmark::DoNotOptimize(data.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations() * kMemberSize));
}

BENCHMARK(BM_ZlibInflateRaw)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_LibdeflateInflateRaw)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_DecoderInflate)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_DecoderInflateThroughHistory)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_UnZipExtractToMemoryStream)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_UnZipExtractEncrypted)->Unit(benchmark::kMillisecond)->MinTime(2);
// CPU time of both threads: the helper's work shows here, not in the line above.
BENCHMARK(BM_UnZipExtractEncrypted)
    ->Name("BM_UnZipExtractEncrypted_BothThreadsCpu")
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2);
BENCHMARK(BM_UnZipExtractEncryptedOneThread)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_DecryptPackedData)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_UnZipExtractReserved)->Unit(benchmark::kMillisecond)->MinTime(2);

long StatusKiB(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const size_t n = std::strlen(field);
  while (std::getline(status, line))
    if (line.compare(0, n, field) == 0) return std::stol(line.substr(n + 1));
  return -1;
}

// Peak resident memory of one extraction over the output it produces, in a child process
// that holds nothing else: the peak mark is reset just before the extraction.
void MeasurePeakMemory(const char* archive, bool withPassword, bool reserve) {
  std::fflush(stdout);
  const pid_t child = fork();
  if (child != 0) {
    int status = 0;
    waitpid(child, &status, 0);
    return;
  }
  TUnZip unzip;
  unzip.SetArchiveFile((Fixture().Dir / archive).string());
  if (withPassword) unzip.Passwords().Add(kPassword);
  unzip.FileSpec().Add(kMemberName);
  TDecompMemoryStream stream;
  std::ofstream("/proc/self/clear_refs") << "5";
  if (reserve) stream.SetCapacity(int64_t(kMemberSize));
  const long before = StatusKiB("VmRSS:");
  unzip.ExtractToMemoryStream(&stream);
  const long peak = StatusKiB("VmHWM:");
  const long output = long(stream.Size() / 1024);
  std::printf("peak memory %-9s%-10s: %ld KiB over the start, output %ld KiB, beyond it %ld KiB\n",
              archive, reserve ? " reserved" : "", peak - before, output, peak - before - output);
  std::fflush(stdout);
  _exit(0);
}

std::string LoadAverage() {
  std::ifstream in("/proc/loadavg");
  std::string line;
  std::getline(in, line);
  return line;
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  // The fixture is made in the parent before any child, so children find the archives.
  std::printf("member %zu bytes, Deflate stream %zu bytes\n", kMemberSize, Fixture().Stream.size());
  for (const TPacked& m : Fixture().Packed)
    benchmark::RegisterBenchmark(("BM_BesideLibdeflate/" + m.Name).c_str(), BM_BesideLibdeflate, m)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->MinTime(0.5)
        ->Repetitions(5);
  std::printf("load average before: %s\n", LoadAverage().c_str());
  MeasurePeakMemory("plain.zip", false, false);
  MeasurePeakMemory("crypt.zip", true, false);
  MeasurePeakMemory("plain.zip", false, true);
  benchmark::RunSpecifiedBenchmarks();
  std::printf("load average after: %s\n", LoadAverage().c_str());
  benchmark::Shutdown();
  return 0;
}
