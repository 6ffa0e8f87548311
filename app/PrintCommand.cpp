#include "PrintCommand.h"

#include <QDir>
#include <QGuiApplication>
#include <QTemporaryFile>
#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <optional>

#include "Catalogue.h"
#include "Codepage.h"
#include "CodesReport.h"
#include "Exception.h"
#include "QtCodepage.h"
#include "RPDevice.h"
#include "RPSystem.h"
#include "SiteLinks.h"

namespace PrintCommand {

namespace {

constexpr const char* kUsage =
    "usage: trickfolio --print NAME (--pdf FILE | --stream FILE)\n"
    "  NAME           the game's line in the game list, e.g. \"DOOM (PC)\"\n"
    "  --pdf FILE     the codes as the printer prints them, into a PDF file\n"
    "  --stream FILE  the codes as a report stream (report-dump lists it)\n"
    "exit: 0 written, 1 no such game, an online-only game, an unreadable catalogue or\n"
    "      a file that could not be written, 2 usage\n";

struct TOptions {
  std::optional<std::string> Name, Pdf, Stream;
  const std::string& Output() const { return Pdf ? *Pdf : *Stream; }
};

bool Parse(const std::vector<std::string>& args, TOptions& options, std::string& error) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    std::optional<std::string>* value = arg == "--print"    ? &options.Name
                                        : arg == "--pdf"    ? &options.Pdf
                                        : arg == "--stream" ? &options.Stream
                                                            : nullptr;
    if (!value) {
      error = (arg.starts_with('-') ? "unknown option " : "unexpected word ") + arg;
      return false;
    }
    if (*value) {
      error = "option " + arg + " given twice";
      return false;
    }
    // The value is the next word whatever it looks like: a game's line may start with "-".
    if (i + 1 == args.size()) {
      error = "option " + arg + " needs a value";
      return false;
    }
    *value = args[++i];
  }
  if (!options.Name)
    error = "--print NAME is missing";
  else if (options.Pdf && options.Stream)
    error = "give --pdf or --stream, not both";
  else if (!options.Pdf && !options.Stream)
    error = "give --pdf FILE or --stream FILE";
  else if (options.Output().empty())
    error = "the output file's name is empty";
  return error.empty();
}

// A finished file gets the mode any new file of the user's gets (0666 less the umask), not
// the temporary file's 0600.
void GiveNewFileMode(const std::string& path) {
#ifdef Q_OS_UNIX
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::chmod(path.c_str(), 0666 & ~mask);
#endif
}

// The file is written under a temporary name and moved into place only when complete, so
// a failed run leaves no half-written file and keeps an older one. The temporary name is
// plain ASCII, which the engine's Windows-1251 file names carry unchanged.
void WriteThrough(const std::string& target, const std::function<void(const std::string&)>& write) {
  QTemporaryFile temp(QDir::tempPath() + "/trickfolio-print-XXXXXX");
  if (!temp.open())
    throw Exception("no temporary file in " + FromQString(QDir::tempPath()));
  temp.close();
  const std::string path = temp.fileName().toStdString();
  write(path);
  // Only a regular file is replaced; a link, a pipe or a device such as /dev/stdout is
  // written through, as is a target on another file system.
  std::error_code error;
  const auto kind = std::filesystem::symlink_status(target, error).type();
  if (kind == std::filesystem::file_type::not_found ||
      kind == std::filesystem::file_type::regular) {
    GiveNewFileMode(path);
    std::filesystem::rename(path, target, error);
    if (!error) return;
  }
  std::ifstream from(path, std::ios::binary);
  std::ofstream to(target, std::ios::binary | std::ios::trunc);
  if (!to.is_open() || !(to << from.rdbuf()) || !to.flush())
    throw Exception("cannot be written (" + std::generic_category().message(errno) + ")");
}

// The print button's report system run without its windows: the status window is left
// out, and for the stream the preview's place is taken by saving the generated stream.
void PrintCodes(const TCodesSource& source, const TOptions& options) {
  QObject owner;
  TCodesReport report(&owner, [&source] { return source; });
  TReportSystem& rs = *report.ReportSystem1;
  rs.OverrideStatus = [](TReportSystem*, TOverrideMode, QWidget*&) {};
  WriteThrough(options.Output(), [&](const std::string& path) {
    bool saved = false;
    if (options.Stream) {
      rs.DefaultDest = rdPreview;
      rs.OverridePreview = [&](TReportSystem* system, TOverrideMode mode, QWidget*&) {
        if (mode == omShow) saved = system->SystemFiler().Stream->SaveToFile(path);
      };
    } else {
      rs.DefaultDest = rdFile;
      rs.SetOutputFileName(Codepage::Utf8ToCp1251(path));
    }
    rs.Execute();
    if (rs.Aborted()) throw Exception("the report was aborted");
    if (options.Stream && !saved) throw Exception("the stream could not be saved");
  });
}

}  // namespace

bool Requested(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--print" || arg == "--pdf" || arg == "--stream") return true;
  }
  return false;
}

int Main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  // Nothing is shown, so no screen is needed: the offscreen platform serves with or
  // without a display. A GUI application (fonts, the PDF writer, the printers) but no
  // widget application: a window could not even be made.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  // Only the program's name reaches Qt, which would take words like "-platform" or
  // "-reverse" for itself.
  int qtArgc = 1;
  QGuiApplication application(qtArgc, argv);
  return Run(args, QCoreApplication::applicationDirPath().toStdString(), std::cerr);
}

int Run(const std::vector<std::string>& args, const std::string& catalogueDir, std::ostream& err) {
  TOptions options;
  std::string error;
  if (!Parse(args, options, error)) {
    err << "trickfolio: " << error << "\n" << kUsage;
    return 2;
  }
  const std::string& name = *options.Name;
  TCatalogue catalogue(catalogueDir);
  const std::string archive = catalogue.ArchivePath();
  TStringList games;
  if (!catalogue.LoadIndex(games)) {
    err << "trickfolio: " << archive
        << (catalogue.ArchiveExists()
                ? ": cannot be read (damaged, another password or another version)\n"
                : ": no such file\n");
    return 1;
  }
  const int index = games.IndexOf(Codepage::Utf8ToCp1251(name));
  if (index < 0) {
    err << "trickfolio: " << archive << ": no game \"" << name << "\"\n";
    return 1;
  }
  TGameCodes codes;
  if (!catalogue.LoadGame(index, codes)) {
    err << "trickfolio: " << archive << ": the codes of \"" << name << "\" cannot be read\n";
    return 1;
  }
  if (codes.OnlineOnly) {
    err << "trickfolio: \"" << name
        << "\" is an online-only game, nothing to print; its codes are at "
        << Codepage::Cp1251ToUtf8(SiteLinks::SiteURL(SiteLinks::CheatPath + codes.SiteId)) << "\n";
    return 1;
  }
  const TCodesSource source{games[index], codes.Lines, codes.FixedPitch};
  // Without a printer queue the report is laid out for a PDF printer of its own.
  RPDev().SetPdfFallback(true);
  try {
    PrintCodes(source, options);
  } catch (const std::exception& e) {
    // The engine's messages may name a printer in Windows-1251.
    err << "trickfolio: " << options.Output() << ": " << Codepage::Cp1251ToUtf8(e.what()) << "\n";
    return 1;
  }
  return 0;
}

}  // namespace PrintCommand
