// Decoding speed of the older zip methods on the largest real member of each, measured
// as whole processes: trickfolio-cat against Info-ZIP unzip on the same archive, run
// alternately in the same iterations. The time shown is trickfolio-cat's; the counters
// give both throughputs and how many times faster trickfolio-cat was. Debian's unzip has
// no reduce support, so the reduce cases have no peer.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

extern char** environ;

namespace {

const std::string kSharedDir = TRICKFOLIO_SHARED_DIR "/test-archives/";
const std::string kCat = TRICKFOLIO_BIN_DIR "/trickfolio-cat";

struct TCase {
  const char* Label;
  const char* Archive;
  const char* Member;
  int64_t Size;  // the member's unpacked size
  bool HasPeer;
};

const TCase kCases[] = {
    {"shrink", "PKZ110ES.ZIP", "TEST.EXE", 2426368, true},
    {"reduce1", "PKZ80B1.ZIP", "TEST.EXE", 2426368, false},
    {"reduce2", "PKZ80B2.ZIP", "TEST.EXE", 2426368, false},
    {"reduce3", "PKZ80B3.ZIP", "TEST.EXE", 2426368, false},
    {"reduce4", "PKZ80B4.ZIP", "TEST.EXE", 2426368, false},
    {"implode_4K_2trees", "PKZ110.ZIP", "TEST.EXE", 2426368, true},
    {"implode_8K_3trees", "IMPLODE.ZIP", "TEST.BMP", 750054, true},
};

// Runs argv with its standard output to `outPath` (and standard error discarded); the
// wall time in seconds, or a negative value when the program failed.
double TimedRun(const std::vector<std::string>& argv, const char* outPath = "/dev/null") {
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, outPath, O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return -1;
  int status = 0;
  waitpid(pid, &status, 0);
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? elapsed.count() : -1;
}

// The decoded member must have its full size before its time means anything.
bool Produces(const std::vector<std::string>& argv, int64_t size) {
  char path[] = "/tmp/bench_legacy_XXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0) return false;
  close(fd);
  struct stat st {};
  const bool ok = TimedRun(argv, path) >= 0 && stat(path, &st) == 0 && st.st_size == size;
  unlink(path);
  return ok;
}

void BM_Legacy(benchmark::State& state, const TCase& c) {
  const std::string archive = kSharedDir + c.Archive;
  if (access(archive.c_str(), R_OK) != 0) return state.SkipWithError("no shared test archives");
  const std::vector<std::string> ours = {kCat, "cat", archive, c.Member};
  const std::vector<std::string> peer = {"unzip", "-p", archive, c.Member};
  if (!Produces(ours, c.Size)) return state.SkipWithError("trickfolio-cat failed");
  const bool withPeer = c.HasPeer && Produces(peer, c.Size);
  double oursTotal = 0;
  double peerTotal = 0;
  for (auto _ : state) {
    const double t = TimedRun(ours);
    if (withPeer) peerTotal += TimedRun(peer);
    oursTotal += t;
    state.SetIterationTime(t);
  }
  const double mb = double(c.Size) * double(state.iterations()) / 1e6;
  state.counters["ours_MB/s"] = mb / oursTotal;
  if (withPeer) {
    state.counters["unzip_MB/s"] = mb / peerTotal;
    state.counters["unzip/ours"] = peerTotal / oursTotal;
  }
  state.SetBytesProcessed(c.Size * state.iterations());
}

void RegisterCases() {
  for (const auto& c : kCases)
    benchmark::RegisterBenchmark((std::string("Legacy/") + c.Label).c_str(), BM_Legacy, c)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(20);
}

}  // namespace

int main(int argc, char** argv) {
  RegisterCases();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
