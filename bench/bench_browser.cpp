// The web banner: one page load from a loopback site, and the resident memory, left idle,
// of a small program that only hosts the banner and of the real viewer pointed at the
// same site through TRICKFOLIO_SITE.
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "BenchSupport.h"
#include "WebBrowser.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* BannerPath = "/trickfoliobanner.html";

int FreePort() {
  const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ::bind(socket, reinterpret_cast<sockaddr*>(&address), length);
  ::getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length);
  ::close(socket);
  return ntohs(address.sin_port);
}

// A site in a temporary folder, served by Python's http.server on 127.0.0.1: the banner
// page with a PNG and a GIF picture drawn by Pillow.
class TLoopbackSite {
 public:
  TLoopbackSite() : Port(FreePort()) {
    const QString script = R"(
import sys
from PIL import Image, ImageDraw
folder = sys.argv[1]
picture = Image.new('RGB', (468, 60), (30, 60, 120))
ImageDraw.Draw(picture).rectangle((10, 10, 200, 50), fill=(240, 200, 40))
picture.save(folder + '/banner.png')
picture.convert('P', palette=Image.ADAPTIVE).save(folder + '/banner.gif')
open(folder + '/trickfoliobanner.html', 'w').write(
    '<html><body style="margin:0"><a href="/cheats/"><img src="banner.png"></a>'
    '<img src="/banner.gif"></body></html>')
)";
    QProcess::execute("/usr/bin/python3", {"-c", script, Folder.path()});
    Server.setStandardErrorFile(Folder.filePath("requests.log"));
    Server.start("/usr/bin/python3", {"-m", "http.server", QString::number(Port), "--bind",
                                      "127.0.0.1", "--directory", Folder.path()});
    // Up when it takes a connection.
    for (int i = 0; i < 100; ++i) {
      QTcpSocket probe;
      probe.connectToHost("127.0.0.1", quint16(Port));
      if (probe.waitForConnected(100)) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  }
  ~TLoopbackSite() {
    Server.terminate();
    Server.waitForFinished();
  }
  QString Base() const { return QString("http://127.0.0.1:%1").arg(Port); }
  // Whether the server's request log has a GET for `path`.
  bool Served(const QString& path) const {
    QFile log(Folder.filePath("requests.log"));
    log.open(QIODevice::ReadOnly);
    return log.readAll().contains(("GET " + path + " ").toUtf8());
  }

  int Port;
  QTemporaryDir Folder;
  QProcess Server;
};

// Starts `program`, gives it `seconds` to load and settle, and reads its resident memory.
long IdleResidentKiB(const std::string& program, const std::vector<std::string>& arguments,
                     const std::string& site, int seconds) {
  const TOffscreenProgram started(program, arguments, site);
  std::this_thread::sleep_for(std::chrono::seconds(seconds));
  return started.ResidentKiB();
}

void BM_BannerPageLoad(benchmark::State& state) {
  TLoopbackSite site;
  TWebBrowser browser;
  browser.setGeometry(0, 0, 505, 89);
  browser.show();
  bool done = false;
  browser.OnStatusTextChange = [&](QObject*, const std::wstring& text) { done |= text == L"Done"; };
  for (auto _ : state) {
    done = false;
    browser.Navigate((site.Base() + BannerPath).toStdWString());
    if (!QTest::qWaitFor([&] { return done; }, 10000)) state.SkipWithError("no page");
  }
  if (browser.LocationURL().find(L"res://") != std::wstring::npos)
    state.SkipWithError("the page failed");
}
BENCHMARK(BM_BannerPageLoad)->Unit(benchmark::kMillisecond)->UseRealTime();

// This program once more, in the mode that only hosts the banner (see main).
void BM_BannerHostIdleMemory(benchmark::State& state) {
  TLoopbackSite site;
  long kib = -1;
  for (auto _ : state)
    kib = IdleResidentKiB(fs::read_symlink("/proc/self/exe"), {"--banner-host"},
                          site.Base().toStdString(), 4);
  if (!site.Served("/banner.gif")) state.SkipWithError("the banner page was not loaded");
  state.counters["RSS_MiB"] = double(kib) / 1024.0;
}
BENCHMARK(BM_BannerHostIdleMemory)->Iterations(1)->Unit(benchmark::kSecond);

// The real viewer beside the demo catalogue, started without the splash; the rotation
// asks for the banner page at its first tick.
void BM_ViewerWithWebBannerIdleMemory(benchmark::State& state) {
  const fs::path program = fs::path(TRICKFOLIO_BIN_DIR) / "trickfolio";
  if (!fs::exists(program) || !fs::exists(program.parent_path() / "trickfolio.dat")) {
    state.SkipWithError("build/bin/trickfolio and its catalogue are not built");
    return;
  }
  TLoopbackSite site;
  long kib = -1;
  for (auto _ : state) kib = IdleResidentKiB(program, {"-ns"}, site.Base().toStdString(), 6);
  if (!site.Served(BannerPath)) state.SkipWithError("the viewer did not ask for the banner page");
  state.counters["RSS_MiB"] = double(kib) / 1024.0;
}
BENCHMARK(BM_ViewerWithWebBannerIdleMemory)->Iterations(1)->Unit(benchmark::kSecond);

// The smallest program that shows the banner: one window holding the web view at the
// banner's size, loading the banner page from TRICKFOLIO_SITE, then idle.
int BannerHost(int argc, char** argv) {
  QApplication application(argc, argv);
  QWidget window;
  window.resize(468, 60);
  TWebBrowser browser(&window);
  browser.setGeometry(-2, -2, 505, 89);
  window.show();
  browser.Navigate((qEnvironmentVariable("TRICKFOLIO_SITE") + BannerPath).toStdWString());
  return application.exec();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::string(argv[1]) == "--banner-host") return BannerHost(argc, argv);
  return RunOffscreenBenchmarks<QApplication>(argc, argv);
}
