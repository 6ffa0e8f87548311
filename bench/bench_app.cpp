// The viewer on a catalogue of 10,000 games (code texts of 1 to 20 KiB): one activation
// up to the first game shown, one view, one search keystroke over the whole list, and the
// resident memory of the real program sitting idle on that catalogue.
#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>

#include "Abcspla.h"
#include "BenchSupport.h"
#include "Catalogue.h"
#include "GameListBox.h"
#include "Unit1.h"

namespace fs = std::filesystem;

namespace {

constexpr int kGames = 10000;

const char* const kWords[] = {"Doom",   "Dune",   "Duke",    "Quake",  "Alpha",  "Blood",  "Castle",
                              "Dragon", "Empire", "Fallout", "Ghost",  "Heroes", "Island", "Jungle",
                              "Knight", "Legend", "Metal",   "Night",  "Orbit",  "Prince", "Racer",
                              "Shadow", "Tomb",   "Ultima",  "Viking", "War",    "Xeno",   "Zero"};

// Made once per run in a temporary folder with Info-ZIP zip and the catalogue's password.
class TBigCatalogue {
 public:
  TBigCatalogue() {
    std::string pattern = (fs::temp_directory_path() / "trickfolio-bench-XXXXXX").string();
    Dir = ::mkdtemp(pattern.data());
    const fs::path source = Dir / "source";
    fs::create_directories(source);
    std::mt19937 random(1251);
    using namespace CatalogueFormat;
    std::ofstream games(source / GamesMember, std::ios::binary);
    std::ofstream files(source / FilesMember, std::ios::binary);
    std::ofstream pitches(source / PitchesMember, std::ios::binary);
    std::ofstream(source / VersionMember, std::ios::binary) << VersionLine << "\r\n";
    for (int i = 0; i < kGames; ++i) {
      const std::string name = std::string(kWords[random() % std::size(kWords)]) + " " +
                               kWords[random() % std::size(kWords)] + " " + std::to_string(i);
      const std::string member = "g" + std::to_string(i) + ".txt";
      games << name << " (PC)\r\n";
      files << member << "\r\n";
      pitches << (i % 2 ? FixedPitchFlag : "0") << "\r\n";
      const size_t size = 1024 + random() % (19 * 1024 + 1);
      std::string codes;
      while (codes.size() < size)
        codes += "CODE" + std::to_string(random() % 100000) + "\t" +
                 kWords[random() % std::size(kWords)] + "\tmode " + std::to_string(random()) +
                 "\r\n";
      codes.resize(size);
      std::ofstream(source / member, std::ios::binary) << codes;
    }
    games.close();
    files.close();
    pitches.close();
    const std::string command = "cd '" + source.string() + "' && zip -q -X -P '" + Password +
                                "' ../" + FileName + " -r . && cd .. && rm -rf source";
    if (std::system(command.c_str()) != 0) std::fprintf(stderr, "zip failed\n");
  }
  ~TBigCatalogue() {
    std::error_code error;
    fs::remove_all(Dir, error);
  }
  std::string ExeDir() const { return Dir.string() + "/"; }

  fs::path Dir;
};

TBigCatalogue& Catalogue() {
  static TBigCatalogue catalogue;
  return catalogue;
}

// A main window on the big catalogue, activated once.
TFormMain& Form() {
  static TFormMain* form = [] {
    auto* f = new TFormMain;
    f->abcSplash1->Hide();
    f->hide();
    f->Catalogue->ExeDir = Catalogue().ExeDir();
    f->FormActivate(f);
    return f;
  }();
  return *form;
}

void BM_FormActivate(benchmark::State& state) {
  TFormMain& f = Form();
  for (auto _ : state) {
    state.PauseTiming();
    f.GameItems.clear();  // the list is filled anew, as at the first activation
    f.CLB_Games->clear();
    state.ResumeTiming();
    f.FormActivate(&f);
  }
  if (f.CLB_Games->count() != kGames || f.Terminated) state.SkipWithError("catalogue not loaded");
}
BENCHMARK(BM_FormActivate)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_ViewCodes(benchmark::State& state) {
  TFormMain& f = Form();
  int index = 0;
  for (auto _ : state) {
    state.PauseTiming();
    index = (index + 997) % kGames;
    f.CLB_Games->SetItemIndex(index);
    state.ResumeTiming();
    f.ActionViewCodes->trigger();
  }
  if (f.Terminated) state.SkipWithError("view failed");
}
BENCHMARK(BM_ViewCodes)->Unit(benchmark::kMillisecond);

// The archive reader's share of a view: the code member alone.
void BM_ExtractCodes(benchmark::State& state) {
  TFormMain& f = Form();
  int index = 0;
  TStringList lines;
  for (auto _ : state) {
    index = (index + 997) % kGames;
    f.Catalogue->ExtractCodes(index, lines);
  }
}
BENCHMARK(BM_ExtractCodes)->Unit(benchmark::kMillisecond);

// A keystroke that no game matches further: the whole list is compared.
void BM_Edit1Change_FullScan(benchmark::State& state) {
  TFormMain& f = Form();
  f.Edit1->setText("Zero");
  for (auto _ : state) {
    state.PauseTiming();
    f.Search.SearchLastLen = 0;
    f.Search.SearchBestLen = 7;
    f.Edit1->blockSignals(true);
    f.Edit1->setText("Zero Zq");
    f.Edit1->blockSignals(false);
    state.ResumeTiming();
    f.Edit1Change(f.Edit1);
  }
}
BENCHMARK(BM_Edit1Change_FullScan)->Unit(benchmark::kMicrosecond);

// A keystroke that selects a game near the end of the list and shows it.
void BM_Edit1Change_Hit(benchmark::State& state) {
  TFormMain& f = Form();
  const std::string last = f.GameItems.back();
  const QString text = QString::fromStdString(last.substr(0, last.find(" (")));
  for (auto _ : state) {
    state.PauseTiming();
    f.Search.SearchLastLen = 0;
    f.Search.SearchBestLen = int(text.size()) - 1;
    f.Edit1->blockSignals(true);
    f.Edit1->setText(text);
    f.Edit1->blockSignals(false);
    state.ResumeTiming();
    f.Edit1Change(f.Edit1);
  }
}
BENCHMARK(BM_Edit1Change_Hit)->Unit(benchmark::kMillisecond);

// The real program, started without the splash beside the big catalogue, left idle.
void BM_IdleResidentMemory(benchmark::State& state) {
  const fs::path program = fs::path(TRICKFOLIO_BIN_DIR) / "trickfolio";
  const fs::path copy = Catalogue().Dir / "trickfolio";
  std::error_code error;
  fs::copy_file(program, copy, fs::copy_options::overwrite_existing, error);
  if (error) {
    state.SkipWithError("no build/bin/trickfolio");
    return;
  }
  long kib = -1;
  for (auto _ : state) {
    const TOffscreenProgram viewer(copy, {"-ns"});
    std::this_thread::sleep_for(std::chrono::seconds(4));
    kib = viewer.ResidentKiB();
  }
  state.counters["RSS_MiB"] = double(kib) / 1024.0;
}
BENCHMARK(BM_IdleResidentMemory)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
  return RunOffscreenBenchmarks<QApplication>(argc, argv);
}
