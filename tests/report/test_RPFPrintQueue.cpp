// A report recorded by the stream writer and replayed by the replaying writer on a private
// CUPS queue lands where the printer writer prints it directly; selections and reverse
// order give their pages in their order.
#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <sstream>

#include "PrinterHarness.h"
#include "RPFiler.h"

namespace {

// pdftotext places a word within 0.01 pt; the stream keeps positions as IEEE singles.
constexpr double Tolerance = 0.1;  // mm

using RPFPrintQueueTest = TQueueTest<::testing::Test>;

// The codes report of a long text: 49 lines on the first page, 53 on the second, the rest
// on the third.
std::string CodesText() {
  std::string text;
  for (int i = 1; i <= 130; ++i)
    text +=
        Codepage::Utf8ToCp1251("Строка " + std::to_string(i) + ": код IDKFA и ещё слова") + "\r\n";
  return text;
}

void Codes(TBaseReport& r) {
  PrintCodes(r, "Период полураспада", "PC", CodesText());
}

// The replayed page has the direct page's words, each where the direct print put it.
void ExpectSameWords(const TPdfPage& direct, const TPdfPage& replayed) {
  ASSERT_EQ(replayed.Words.size(), direct.Words.size());
  for (size_t w = 0; w < direct.Words.size(); ++w) {
    const TPdfWord& a = direct.Words[w];
    const TPdfWord& b = replayed.Words[w];
    EXPECT_EQ(b.Text, a.Text);
    for (auto end : {&TPdfWord::XMin, &TPdfWord::XMax, &TPdfWord::YMax})
      EXPECT_NEAR(PointsToMm(b.*end), PointsToMm(a.*end), Tolerance) << a.Text;
  }
}

std::string Record(const std::function<void(TBaseReport&)>& body) {
  // With a printer installed the stream writer lays the report out on it.
  TReportFiler filer;
  UseCodesPage(filer);
  TMemoryStream stream;
  filer.SetStreamMode(smUser);
  filer.SetStream(&stream);
  filer.SetAccuracyMethod(amPositioning);
  filer.OnPrint = [&](QObject*) { body(filer); };
  filer.Execute();
  return stream.ToString();
}

std::vector<TPdfPage> Replay(TCupsScheduler& cups, const std::string& recorded,
                             const std::string& selection = "", int first = 0, int last = 0) {
  TMemoryStream stream;
  stream.WriteString(recorded);
  TRecordingFile<TFilePrinter> replay;
  replay.SetStreamMode(smUser);
  replay.SetStream(&stream);
  replay.SetSelection(selection);
  replay.PrintRange(first, last, 0);
  EXPECT_TRUE(replay.Messages.empty());
  const TCupsScheduler::TJob job = cups.NextJob();
  return job.Pdf.empty() ? std::vector<TPdfPage>() : ReadPdfWords(job.Pdf);
}

TEST_F(RPFPrintQueueTest, ReplayedReportPrintsLikeTheDirectOne) {
  const std::vector<TPdfPage> direct = PrintJob(*Cups, [](TRecordingPrinter& r) { Codes(r); });
  ASSERT_GE(direct.size(), 3u) << Cups->ErrorLog();
  const std::string recorded = Record(Codes);
  const std::vector<TPdfPage> replayed = Replay(*Cups, recorded);
  ASSERT_EQ(replayed.size(), direct.size()) << Cups->ErrorLog();
  for (size_t p = 0; p < direct.size(); ++p) {
    SCOPED_TRACE(p + 1);
    EXPECT_EQ(replayed[p].Lines(), direct[p].Lines());
    ExpectSameWords(direct[p], replayed[p]);
  }
}

// The kinds of line a report prints, one per line: single words with blanks around them (the
// codes' indented lines), words, and words with gaps, left, centred and right, in a variable and
// a fixed pitch. Texts in UTF-8.
struct TLineKind {
  const char* Name;
  const char* Font;
  TPrintJustify Justify;
  const char* Text;
};
const TLineKind kLineKinds[] = {
    {"indented word", "Courier New", pjLeft, "    например:"},
    {"indented word, variable pitch", "Arial", pjLeft, "    заново."},
    {"word", "Courier New", pjLeft, "заново."},
    {"word with trailing blanks", "Arial", pjLeft, "IDDQD   "},
    {"word in blanks", "Courier New", pjLeft, "  IDKFA  "},
    {"words", "Courier New", pjLeft, "Если код не срабатывает,"},
    {"indented words", "Courier New", pjLeft, "    bind F9 \"impulse 101\""},
    {"words with wide gaps", "Arial", pjLeft, "god   mode  on"},
    {"words with the letter э", "Arial", pjLeft, "Введите это слово: эхо"},
    {"centred word after a blank", "Arial", pjCenter, " Half-Life"},
    {"centred word in blanks", "Courier New", pjCenter, "  PC  "},
    {"centred words", "Arial", pjCenter, "Период полураспада"},
    {"right word before blanks", "Arial", pjRight, "(PC)  "},
    {"right indented word", "Courier New", pjRight, "   sv_cheats"},
    {"right words", "Arial", pjRight, "ещё слова"},
};

void PrintLineKinds(TBaseReport& r) {
  const double middle = (r.SectionLeft() + r.SectionRight()) / 2;
  r.MoveToFirstLine();
  for (const TLineKind& k : kLineKinds) {
    r.SetFont(k.Font, 12);
    r.FitLineToFont();
    const std::string text = Codepage::Utf8ToCp1251(k.Text);
    if (k.Justify == pjLeft) r.PrintLeft(text, r.SectionLeft());
    if (k.Justify == pjCenter) r.PrintCentered(text, middle);
    if (k.Justify == pjRight) r.PrintRight(text, r.SectionRight());
    r.LineFeed();
  }
}

// The text reader takes every kind of line replayed from the stream for the words the direct
// print gives, at the same places: no word comes apart into letters.
TEST_F(RPFPrintQueueTest, ReplayedLinesReadAsTheDirectPrintsWords) {
  const std::vector<TPdfPage> direct =
      PrintJob(*Cups, [](TRecordingPrinter& r) { PrintLineKinds(r); });
  const std::vector<TPdfPage> replayed = Replay(*Cups, Record(PrintLineKinds));
  ASSERT_EQ(direct.size(), 1u) << Cups->ErrorLog();
  ASSERT_EQ(replayed.size(), 1u) << Cups->ErrorLog();
  const std::vector<std::string> want = direct[0].Lines(), got = replayed[0].Lines();
  ASSERT_EQ(want.size(), std::size(kLineKinds));
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) {
    const TLineKind& k = kLineKinds[i];
    // The direct print reads as the line's words, one blank apart.
    std::istringstream words(k.Text);
    std::string word, joined;
    while (words >> word) joined += (joined.empty() ? "" : " ") + word;
    EXPECT_EQ(want[i], joined) << k.Name;
    EXPECT_EQ(got[i], want[i]) << k.Name;
  }
  ExpectSameWords(direct[0], replayed[0]);
}

TEST_F(RPFPrintQueueTest, SelectionsAndReverseOrderOnTheQueue) {
  const std::string recorded = Record(Codes);
  // Each page is known by its first line.
  const auto firstLines = [](const std::vector<TPdfPage>& pages) {
    std::vector<std::string> lines;
    for (const TPdfPage& page : pages) lines.push_back(page.Lines().at(0));
    return lines;
  };
  const std::vector<std::string> all = firstLines(Replay(*Cups, recorded));
  ASSERT_EQ(all.size(), 3u) << Cups->ErrorLog();
  struct Case {
    std::string selection;
    int first, last;
    std::vector<int> pages;  // indexes into all
  } cases[] = {
      {"R", 0, 0, {2, 1, 0}},
      {"2", 0, 0, {1}},
      {"1,3,R", 0, 0, {2, 0}},
      {"", 2, 3, {1, 2}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> want;
    for (int i : c.pages) want.push_back(all[size_t(i)]);
    EXPECT_EQ(firstLines(Replay(*Cups, recorded, c.selection, c.first, c.last)), want)
        << c.selection << " " << c.first << ".." << c.last;
  }
}

// The header's paper width and length reach the queue, also where its paper size does not
// name them. (Its bin: with the report system's stream made elsewhere.)
TEST_F(RPFPrintQueueTest, ReplayTakesTheHeadersPaperWidthAndLength) {
  std::string recorded = Record([](TBaseReport& r) { r.PrintLeft("paper", 20); });
  // Letter's width and length under a paper size of its own in place of the recorded A4: the
  // three shorts before the (empty) output file's name.
  const int64_t end = TReportReader(recorded).ReadHeader().End;
  for (auto [at, value] : {std::pair{end - 7, 256}, {end - 5, 2159}, {end - 3, 2794}}) {
    recorded[size_t(at)] = char(value & 0xFF);
    recorded[size_t(at) + 1] = char(value >> 8);
  }
  ASSERT_EQ(TReportReader(recorded).ReadHeader().PaperLength, 2794);
  const std::vector<TPdfPage> pages = Replay(*Cups, recorded);
  ASSERT_EQ(pages.size(), 1u) << Cups->ErrorLog();
  EXPECT_NEAR(PointsToMm(pages[0].Width), 215.9, 0.5);
  EXPECT_NEAR(PointsToMm(pages[0].Height), 279.4, 0.5);
}

}  // namespace
