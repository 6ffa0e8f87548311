// The memo buffer laying out and drawing a 1,000-line code text with the writer's font
// cache warm, per line, beside Qt's own line breaking (QTextLayout) of the same text in
// the same font and width on the same kind of page.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QTextLayout>
#include <fstream>
#include <sstream>

#include "BenchSupport.h"
#include "Codepage.h"
#include "ImageWriter.h"
#include "QtCodepage.h"
#include "RPMemo.h"

namespace {

// The demo catalogue's longest code text, repeated to 1,000 lines, as the engine's bytes.
std::string CodeText() {
  std::ifstream in(TRICKFOLIO_SOURCE_DIR "/data/halflife.txt", std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  const std::string source = Codepage::Utf8ToCp1251(text.str());
  std::string out;
  int lines = 0;
  for (size_t at = 0; lines < 1000; at = (at + 1) % source.size()) {
    out += source[at];
    if (source[at] == '\n') {
      out.insert(out.size() - 1, "\r");
      ++lines;
    }
  }
  return out;
}

const std::string& Text() {
  static const std::string text = CodeText();
  return text;
}

// A 300-dpi Letter page with the program's margins (15, 10, 10, 15 mm) and Arial 12.
struct TPage {
  TImageWriter Writer{300};
  TPage() {
    Writer.SetUnits(unMM);
    Writer.SetMarginLeft(15);
    Writer.SetMarginRight(10);
    Writer.SetMarginTop(10);
    Writer.SetMarginBottom(15);
    Writer.SetLineHeightMethod(lhmFont);
    Writer.Start();
    Writer.SetFont("Arial", 12);
    Writer.SetFontPitch(fpVariable);
  }
  ~TPage() { Writer.Finish(); }
  // The code text between the section's edges.
  void Load(TMemoBuf& memo) {
    memo.SetData(Text());
    memo.PrintStart = Writer.SectionLeft();
    memo.PrintEnd = Writer.SectionRight();
    memo.BaseReport = &Writer;
  }
};

void BM_MemoPrintLines(benchmark::State& state) {
  TPage page;
  TMemoBuf memo;
  page.Load(memo);
  const int lines = memo.LineCount();  // warms the font cache
  for (auto _ : state) {
    memo.Rewind();
    page.Writer.MoveToFirstLine();
    page.Writer.PrintMemo(memo, 0, false);
  }
  state.SetItemsProcessed(state.iterations() * lines);
  state.counters["lines"] = lines;
  state.counters["fonts_made"] = page.Writer.FontCache().Created();
}
BENCHMARK(BM_MemoPrintLines)->Unit(benchmark::kMillisecond);

void BM_MemoLineCount(benchmark::State& state) {
  TPage page;
  TMemoBuf memo;
  page.Load(memo);
  int lines = memo.LineCount();
  for (auto _ : state) benchmark::DoNotOptimize(lines = memo.LineCount());
  state.SetItemsProcessed(state.iterations() * lines);
}
BENCHMARK(BM_MemoLineCount)->Unit(benchmark::kMillisecond);

void BM_QTextLayoutLines(benchmark::State& state) {
  TPage page;
  QFont font("Arial");
  font.setPixelSize(50);  // 12 points at 300 dpi
  font.setHintingPreference(QFont::PreferNoHinting);
  const QString text = ToQString(Text()).replace("\r\n", "\n");
  const QStringList paragraphs = text.split('\n');
  const double width = page.Writer.XU2D(page.Writer.SectionRight()) -
                       page.Writer.XU2D(page.Writer.SectionLeft()) + 1;
  QPainter* painter = page.Writer.Canvas();
  int lines = 0;
  for (auto _ : state) {
    lines = 0;
    double y = 0;
    for (const QString& paragraph : paragraphs) {
      QTextLayout layout(paragraph, font, painter->device());
      layout.beginLayout();
      for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, y));
        y += 60;
        ++lines;
      }
      layout.endLayout();
      layout.draw(painter, QPointF(177, 118));
    }
  }
  state.SetItemsProcessed(state.iterations() * lines);
  state.counters["lines"] = lines;
}
BENCHMARK(BM_QTextLayoutLines)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  return RunOffscreenBenchmarks<QGuiApplication>(argc, argv);
}
