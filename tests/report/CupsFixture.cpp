#include "CupsFixture.h"

#include <cups/cups.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QProcess>
#include <QRegularExpression>
#include <QTextDocumentFragment>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace fs = std::filesystem;

namespace {

void WriteFile(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// A4 and Letter with 12 pt strips on every side, three paper sources, duplex and two
// resolutions; the only filter is pdftopdf, so the backend receives plain PDF.
const char* const Ppd = R"ppd(*PPD-Adobe: "4.3"
*FormatVersion: "4.3"
*FileVersion: "1.0"
*LanguageVersion: English
*LanguageEncoding: ISOLatin1
*PCFileName: "TRICKPDF.PPD"
*Manufacturer: "Trickfolio"
*Product: "(Trickfolio PDF)"
*ModelName: "Trickfolio PDF"
*ShortNickName: "Trickfolio PDF"
*NickName: "Trickfolio PDF Writer"
*PSVersion: "(3010.000) 0"
*LanguageLevel: "3"
*ColorDevice: True
*DefaultColorSpace: RGB
*FileSystem: False
*Throughput: "1"
*LandscapeOrientation: Plus90
*TTRasterizer: Type42
*cupsVersion: 2.4
*cupsManualCopies: True
*cupsFilter2: "application/vnd.cups-pdf application/pdf 0 -"
*OpenUI *PageSize/Media Size: PickOne
*OrderDependency: 10 AnySetup *PageSize
*DefaultPageSize: A4
*PageSize A4/A4: "<</PageSize[595 842]>>setpagedevice"
*PageSize Letter/US Letter: "<</PageSize[612 792]>>setpagedevice"
*CloseUI: *PageSize
*OpenUI *PageRegion: PickOne
*OrderDependency: 10 AnySetup *PageRegion
*DefaultPageRegion: A4
*PageRegion A4/A4: "<</PageSize[595 842]>>setpagedevice"
*PageRegion Letter/US Letter: "<</PageSize[612 792]>>setpagedevice"
*CloseUI: *PageRegion
*DefaultImageableArea: A4
*ImageableArea A4/A4: "12 12 583 830"
*ImageableArea Letter/US Letter: "12 12 600 780"
*DefaultPaperDimension: A4
*PaperDimension A4/A4: "595 842"
*PaperDimension Letter/US Letter: "612 792"
*OpenUI *InputSlot/Paper Source: PickOne
*OrderDependency: 20 AnySetup *InputSlot
*DefaultInputSlot: Upper
*InputSlot Upper/Upper Tray: ""
*InputSlot Lower/Lower Tray: ""
*InputSlot Manual/Manual Feed: ""
*CloseUI: *InputSlot
*OpenUI *Duplex/Two-Sided: PickOne
*OrderDependency: 30 AnySetup *Duplex
*DefaultDuplex: None
*Duplex None/Off: ""
*Duplex DuplexNoTumble/Long Edge: ""
*Duplex DuplexTumble/Short Edge: ""
*CloseUI: *Duplex
*OpenUI *Resolution/Resolution: PickOne
*OrderDependency: 40 AnySetup *Resolution
*DefaultResolution: 300dpi
*Resolution 300dpi/300 DPI: ""
*Resolution 600dpi/600 DPI: ""
*CloseUI: *Resolution
*DefaultFont: Courier
*Font Courier: Standard "(001.000)" Standard ROM
)ppd";

bool Accepts(const std::string& socketPath) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::snprintf(address.sun_path, sizeof address.sun_path, "%s", socketPath.c_str());
  const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  const bool connected =
      fd >= 0 && connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  if (fd >= 0) close(fd);
  return connected;
}

}  // namespace

TCupsScheduler::TCupsScheduler() {
  char dirTemplate[] = "/tmp/cups.XXXXXX";
  if (!mkdtemp(dirTemplate)) throw std::runtime_error("mkdtemp failed");
  FDir = dirTemplate;
  // The filters run as the scheduler's unprivileged user and must reach the folder.
  chmod(FDir.c_str(), 0755);
  WriteFiles();

  const std::string log = FDir + "/log/cupsd.out";
  FPid = fork();
  if (FPid == 0) {
    // A caller that waits for its signals blocks them; the scheduler must still stop.
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    freopen(log.c_str(), "w", stdout);
    freopen(log.c_str(), "a", stderr);
    const std::string conf = FDir + "/etc/cupsd.conf", files = FDir + "/etc/cups-files.conf";
    execl("/usr/sbin/cupsd", "cupsd", "-f", "-c", conf.c_str(), "-s", files.c_str(), nullptr);
    _exit(127);
  }
  const std::string socket = FDir + "/cups.sock";
  setenv("CUPS_SERVER", socket.c_str(), 1);
  setenv("HOME", FDir.c_str(), 1);
  unsetenv("PRINTER");
  unsetenv("LPDEST");
  cupsSetServer(socket.c_str());
  // Generous: on a loaded machine the scheduler can take seconds to come up. The socket's
  // file appears before the scheduler listens on it, so a connection is what counts.
  bool listening = false;
  for (int i = 0; i < 3000 && !(listening = Accepts(socket)); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  if (!listening) throw std::runtime_error("cupsd did not start: " + ReadFile(log));
}

TCupsScheduler::~TCupsScheduler() {
  if (FPid > 0) {
    kill(FPid, SIGTERM);
    waitpid(FPid, nullptr, 0);
  }
  std::error_code ignored;
  fs::remove_all(FDir, ignored);
}

void TCupsScheduler::WriteFiles() {
  for (const char* sub : {"etc", "bin/backend", "spool", "tmp", "cache", "state", "log", "out"})
    fs::create_directories(FDir + "/" + sub);
  // Filters and helpers are the system's; only the backend is ours.
  for (const char* sub : {"filter", "daemon", "cgi-bin", "driver", "monitor", "notifier"})
    fs::create_directory_symlink(std::string("/usr/lib/cups/") + sub, FDir + "/bin/" + sub);
  const std::string out = FDir + "/out/job-$1";
  const std::string backend = FDir + "/bin/backend/trickpdf";
  WriteFile(backend,
            "#!/bin/sh\n"
            "if [ $# -eq 0 ]; then echo 'direct trickpdf \"Unknown\" \"Trickfolio test PDF\"'; "
            "exit 0; fi\n"
            "printf '%s' \"$3\" > " +
                out +
                ".title\n"
                "printf '%s' \"$5\" > " +
                out +
                ".options\n"
                "if [ -n \"$6\" ]; then cat \"$6\"; else cat; fi > " +
                out +
                ".part\n"
                "mv " +
                out + ".part " + out + ".pdf\n");
  // Mode 0700 makes the scheduler run the backend as its own user, like a real one.
  chmod(backend.c_str(), 0700);
  WriteFile(FDir + "/etc/cups-files.conf",
            "ServerRoot " + FDir + "/etc\nServerBin " + FDir + "/bin\nRequestRoot " + FDir +
                "/spool\nTempDir " + FDir + "/tmp\nCacheDir " + FDir + "/cache\nStateDir " + FDir +
                "/state\nServerKeychain " + FDir + "/etc/ssl\nErrorLog " + FDir +
                "/log/error_log\nAccessLog " + FDir + "/log/access_log\nPageLog " + FDir +
                "/log/page_log\nPrintcap " + FDir + "/etc/printcap\n");
  // abort-job: a failed job must not be held for minutes while the test waits.
  WriteFile(FDir + "/etc/cupsd.conf",
            "Listen " + FDir +
                "/cups.sock\nBrowsing No\nBrowseLocalProtocols none\nWebInterface No\n"
                "ErrorPolicy abort-job\nLogLevel warn\n"
                "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n");
  WriteFile(FDir + "/etc/trickpdf.ppd", Ppd);
}

void TCupsScheduler::Admin(const char* tool, const std::vector<std::string>& args) {
  QStringList list;
  for (const std::string& arg : args) list << QString::fromStdString(arg);
  QProcess process;
  process.start(QString("/usr/sbin/") + tool, list);
  if (!process.waitForFinished(30000) || process.exitCode() != 0)
    throw std::runtime_error(std::string(tool) + " failed: " +
                             process.readAllStandardError().toStdString());
}

void TCupsScheduler::Lpadmin(const std::vector<std::string>& args) {
  Admin("lpadmin", args);
}

void TCupsScheduler::AddQueue(const std::string& name, bool makeDefault) {
  Lpadmin({"-p", name, "-E", "-v", "trickpdf:/" + name, "-P", FDir + "/etc/trickpdf.ppd"});
  // Never lpoptions -d: as root it writes the machine's own /etc/cups/lpoptions.
  if (makeDefault) Lpadmin({"-d", name});
}

void TCupsScheduler::RemoveQueue(const std::string& name) {
  Lpadmin({"-x", name});
}

void TCupsScheduler::AcceptJobs(const std::string& name, bool accept) {
  Admin(accept ? "cupsaccept" : "cupsreject", {name});
}

TCupsScheduler::TJob TCupsScheduler::NextJob() {
  // Job numbers of a fresh scheduler count from 1; a job that failed leaves its number
  // unused, so take the lowest finished one above the last taken.
  for (int wait = 0; wait < 3000; ++wait) {
    int next = 0;
    for (const auto& entry : fs::directory_iterator(FDir + "/out")) {
      const std::string name = entry.path().filename().string();
      int id = 0;
      if (sscanf(name.c_str(), "job-%d.pdf", &id) == 1 && entry.path().extension() == ".pdf" &&
          id > FJobsTaken && (next == 0 || id < next))
        next = id;
    }
    if (next > 0) {
      FJobsTaken = next;
      const std::string base = FDir + "/out/job-" + std::to_string(next);
      return {base + ".pdf", ReadFile(base + ".title"), ReadFile(base + ".options")};
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return {};
}

std::string TCupsScheduler::ErrorLog() const {
  return ReadFile(FDir + "/log/error_log");
}

std::vector<TPdfPage> ReadPdfWords(const std::string& pdf) {
  QProcess process;
  process.start("pdftotext", {"-bbox", QString::fromStdString(pdf), "-"});
  process.waitForFinished(30000);
  const QString html = QString::fromUtf8(process.readAllStandardOutput());
  static const QRegularExpression page(R"re(<page width="([\d.]+)" height="([\d.]+)">)re");
  static const QRegularExpression word(
      R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">(.*)</word>)re");
  std::vector<TPdfPage> pages;
  for (const QString& line : html.split('\n')) {
    if (auto m = page.match(line); m.hasMatch()) {
      pages.push_back({m.captured(1).toDouble(), m.captured(2).toDouble(), {}});
    } else if (auto w = word.match(line); w.hasMatch() && !pages.empty()) {
      const QString text = QTextDocumentFragment::fromHtml(w.captured(5)).toPlainText();
      pages.back().Words.push_back({w.captured(1).toDouble(), w.captured(2).toDouble(),
                                    w.captured(3).toDouble(), w.captured(4).toDouble(),
                                    text.toStdString()});
    }
  }
  return pages;
}

std::vector<std::string> TPdfPage::Lines() const {
  // Words of one line share their yMax (to a tenth of a point).
  std::map<long, std::vector<const TPdfWord*>> rows;
  for (const TPdfWord& w : Words) rows[std::lround(w.YMax * 10)].push_back(&w);
  std::vector<std::string> lines;
  for (auto& [y, words] : rows) {
    std::sort(words.begin(), words.end(),
              [](const TPdfWord* a, const TPdfWord* b) { return a->XMin < b->XMin; });
    std::string line;
    for (const TPdfWord* w : words) line += (line.empty() ? "" : " ") + w->Text;
    lines.push_back(line);
  }
  return lines;
}
