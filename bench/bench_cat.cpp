// Memory of streaming one large member to standard output: trickfolio-cat cat against
// Info-ZIP unzip -p on the same 64 MiB member, alternating in the same iterations. The
// peak resident set of each program comes from /usr/bin/time, which forks it from its
// own small process: the kernel counts a program's peak from the memory of the process
// that started it, so measuring from this larger one would set a common floor. The
// counters give both peaks, in MiB, beside the time of trickfolio-cat.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace {

const std::string kCat = TRICKFOLIO_BIN_DIR "/trickfolio-cat";
constexpr int64_t kMemberSize = int64_t(64) << 20;

struct TChildRun {
  bool Ok = false;
  double Seconds = 0;
  double PeakMiB = 0;
};

// Runs argv under /usr/bin/time with its standard output to /dev/null; its time and peak
// resident set.
TChildRun RunChild(const std::vector<std::string>& argv) {
  char report[] = "/tmp/bench_cat_rss_XXXXXX";
  const int fd = mkstemp(report);
  if (fd < 0) return {};
  close(fd);
  std::vector<std::string> timed = {"/usr/bin/time", "-f", "%M", "-o", report};
  timed.insert(timed.end(), argv.begin(), argv.end());
  std::vector<char*> args;
  for (const auto& a : timed) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  TChildRun run;
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  if (spawned == 0) waitpid(pid, &status, 0);
  run.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  long kib = 0;
  if (FILE* in = std::fopen(report, "r")) {
    if (std::fscanf(in, "%ld", &kib) != 1) kib = 0;
    std::fclose(in);
  }
  unlink(report);
  run.PeakMiB = double(kib) / 1024.0;
  run.Ok = spawned == 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0 && kib > 0;
  return run;
}

// A 64 MiB member of mixed text and noise, deflated by Info-ZIP zip into a fresh folder.
std::string MakeArchive() {
  static char folder[] = "/tmp/bench_cat_XXXXXX";
  if (!mkdtemp(folder)) return {};
  static const struct TRemove {
    ~TRemove() { std::filesystem::remove_all(folder); }
  } remove;
  const std::string member = std::string(folder) + "/member.bin";
  FILE* out = std::fopen(member.c_str(), "wb");
  if (!out) return {};
  uint32_t seed = 1251;
  std::string block;
  for (int64_t written = 0; written < kMemberSize; written += int64_t(block.size())) {
    block.clear();
    for (int line = 0; line < 512; ++line) {
      seed = seed * 1103515245u + 12345u;
      block += "IDDQD level " + std::to_string(seed % 97) + " code " + std::to_string(seed >> 12) +
               "\r\n";
      if (line % 64 == 0)
        for (int i = 0; i < 256; ++i) block += char((seed = seed * 69069u + 1) >> 24);
    }
    block.resize(size_t(std::min<int64_t>(int64_t(block.size()), kMemberSize - written)));
    std::fwrite(block.data(), 1, block.size(), out);
  }
  std::fclose(out);
  const std::string archive = std::string(folder) + "/big.zip";
  const std::string command =
      "cd " + std::string(folder) + " && zip -q -6 big.zip member.bin && rm member.bin";
  return std::system(command.c_str()) == 0 ? archive : std::string();
}

void BM_CatPeakMemory(benchmark::State& state) {
  static const std::string archive = MakeArchive();
  if (archive.empty()) return state.SkipWithError("could not make the archive");
  const std::vector<std::string> ours = {kCat, "cat", archive, "member.bin"};
  const std::vector<std::string> peer = {"unzip", "-p", archive, "member.bin"};
  double oursPeak = 0, peerPeak = 0, peerSeconds = 0, oursSeconds = 0;
  for (auto _ : state) {
    const TChildRun a = RunChild(ours);
    const TChildRun b = RunChild(peer);
    if (!a.Ok || !b.Ok) return state.SkipWithError("a child failed");
    oursPeak = std::max(oursPeak, a.PeakMiB);
    peerPeak = std::max(peerPeak, b.PeakMiB);
    oursSeconds += a.Seconds;
    peerSeconds += b.Seconds;
    state.SetIterationTime(a.Seconds);
  }
  state.counters["ours_peak_MiB"] = oursPeak;
  state.counters["unzip_peak_MiB"] = peerPeak;
  state.counters["unzip/ours_time"] = peerSeconds / oursSeconds;
  state.SetBytesProcessed(kMemberSize * state.iterations());
}
BENCHMARK(BM_CatPeakMemory)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
