// The banner area: one animator step on a 468 x 60 banner (target: at most 0.5 ms), and
// the idle CPU of the real viewer with its banner area running (target: below 1 %).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <QFile>
#include <QTcpServer>
#include <chrono>
#include <filesystem>
#include <thread>

#include "BenchSupport.h"
#include "CoolCtrls.h"
#include "GIFCtrl.h"

namespace {

namespace fs = std::filesystem;

// Banner 1's GIF with its one image written twice: a two-frame 468 x 60 animation whose
// every step draws a whole banner.
QByteArray TwoFrameBanner() {
  QFile data(":/banners/RxGIFAnimator1.dat");
  data.open(QIODevice::ReadOnly);
  const QByteArray gif = data.readAll().mid(4);
  const int table = 3 << ((gif[10] & 7) + 1);
  const QByteArray head = gif.left(13 + table);
  const QByteArray image = gif.mid(13 + table, gif.size() - 13 - table - 1);
  return head + image + image + ";";
}

void BM_AnimatorTick(benchmark::State& state) {
  TCoolPanel panel;
  panel.resize(468, 60);
  auto* animator = new TRxGIFAnimator(&panel);
  TGIFImage picture;
  picture.LoadFromData(TwoFrameBanner());
  animator->SetImage(picture);
  animator->SetTransparent(false);
  panel.show();
  QCoreApplication::processEvents();
  for (auto _ : state) animator->TimerExpired(nullptr);  // compose the next frame, repaint
  state.counters["frames"] = picture.Count();
}
BENCHMARK(BM_AnimatorTick)->Unit(benchmark::kMicrosecond);

// build/bin/trickfolio -ns on the demo catalogue, offscreen, its web banner pointed at a
// closed local port; after start-up, its CPU time over 30 seconds of idling.
void BM_IdleCpuOfTheViewer(benchmark::State& state) {
  const fs::path program = fs::path(TRICKFOLIO_BIN_DIR) / "trickfolio";
  if (!fs::exists(program) || !fs::exists(fs::path(TRICKFOLIO_BIN_DIR) / "trickfolio.dat")) {
    state.SkipWithError("build/bin/trickfolio and its catalogue are needed (make build)");
    return;
  }
  QTcpServer probe;
  probe.listen(QHostAddress::LocalHost);
  const std::string site = "http://127.0.0.1:" + std::to_string(probe.serverPort());
  probe.close();
  constexpr int Seconds = 30;
  double percent = -1;
  int threads = -1;
  for (auto _ : state) {
    const TOffscreenProgram viewer(program, {"-ns"}, site);
    std::this_thread::sleep_for(std::chrono::seconds(5));
    const long before = viewer.CpuTicks();
    std::this_thread::sleep_for(std::chrono::seconds(Seconds));
    const long used = viewer.CpuTicks() - before;
    threads = viewer.Threads();
    percent = 100.0 * double(used) / double(::sysconf(_SC_CLK_TCK)) / Seconds;
  }
  state.counters["cpu_percent"] = percent;
  state.counters["threads"] = threads;
}
BENCHMARK(BM_IdleCpuOfTheViewer)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
  return RunOffscreenBenchmarks<QApplication>(argc, argv);
}
