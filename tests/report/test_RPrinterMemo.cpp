// A memo of several pages printed on a private CUPS queue as the codes report prints it:
// title, subtitle, then the buffer page by page with NewPage between pages.
#include <gtest/gtest.h>

#include "PrinterHarness.h"

namespace {

constexpr double Tolerance = 0.1;  // mm

using RPrinterMemoTest = TQueueTest<::testing::Test>;

TEST_F(RPrinterMemoTest, PagesHoldTheirLinesAndTheLongOneWraps) {
  // 100 short lines, and at the third a paragraph that wraps over several lines.
  std::vector<std::string> lines;
  std::string paragraph;
  for (int i = 1; i <= 40; ++i)
    paragraph += (i > 1 ? " " : "") + std::string("слово") + std::to_string(i);
  std::string text;
  for (int i = 1; i <= 100; ++i) {
    const std::string line = i == 3 ? paragraph : "Строка " + std::to_string(i) + ": код IDKFA";
    lines.push_back(line);
    text += Codepage::Utf8ToCp1251(line) + "\r\n";
  }

  double right = 0;
  std::vector<TPdfPage> pages = PrintJob(*Cups, [&](TRecordingPrinter& r) {
    PrintCodes(r, "Период полураспада", "PC", text);
    // The section's right edge the text wrapped at: the paper's width less the margin.
    right = r.SectionRight();
    EXPECT_NEAR(right, r.PageWidth() - 10, 1e-9);
  });
  ASSERT_FALSE(pages.empty()) << Cups->ErrorLog();
  EXPECT_NEAR(right, 209.9 - 10, 0.05);  // the queue's A4 is 595 pt, 209.9 mm wide

  // A4 is 297 mm: the section is 272 mm high, 53 lines of 14.4 pt; the first page's title
  // and subtitle take the room of 4 of them (52.8 pt), leaving 49.
  std::vector<std::vector<std::string>> printed;
  for (const TPdfPage& page : pages) printed.push_back(page.Lines());
  ASSERT_GE(printed.size(), 3u);
  EXPECT_EQ(printed[0].size(), 2u + 49u);
  EXPECT_EQ(printed[1].size(), 53u);
  EXPECT_FALSE(printed.back().empty());  // no empty page at the end

  // All lines in order, Cyrillic intact; the paragraph's pieces joined again.
  std::vector<std::string> body(printed[0].begin() + 2, printed[0].end());
  for (size_t p = 1; p < printed.size(); ++p)
    body.insert(body.end(), printed[p].begin(), printed[p].end());
  EXPECT_EQ(printed[0][0], "Период полураспада");
  EXPECT_EQ(printed[0][1], "PC");
  size_t wrapped = body.size() - 99;
  ASSERT_GE(wrapped, 2u);
  std::string joined;
  for (size_t i = 2; i < 2 + wrapped; ++i) joined += (i > 2 ? " " : "") + body[i];
  EXPECT_EQ(joined, paragraph);
  body.erase(body.begin() + 2, body.begin() + 2 + long(wrapped));
  lines.erase(lines.begin() + 2);
  EXPECT_EQ(body, lines);

  // Each wrapped line ends inside the section, and its next word would not have fitted.
  std::vector<const TPdfWord*> words;
  for (const TPdfWord& w : pages[0].Words)
    if (w.Text.rfind("слово", 0) == 0) words.push_back(&w);
  ASSERT_EQ(words.size(), 40u);
  int breaks = 0;
  for (size_t i = 0; i + 1 < words.size(); ++i) {
    EXPECT_LE(PointsToMm(words[i]->XMax), right + Tolerance) << words[i]->Text;
    if (words[i + 1]->YMax == words[i]->YMax) continue;
    ++breaks;
    const double blank = words[1]->XMin - words[0]->XMax;
    const double next = words[i + 1]->XMax - words[i + 1]->XMin;
    EXPECT_NEAR(PointsToMm(words[i + 1]->XMin), 15, Tolerance);
    EXPECT_GT(PointsToMm(words[i]->XMax + blank + next), right - Tolerance) << words[i]->Text;
  }
  EXPECT_EQ(size_t(breaks), wrapped - 1);
}

}  // namespace
