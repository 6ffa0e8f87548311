// Sections and the detail shell's run.
#include <gtest/gtest.h>

#include "ImageWriter.h"
#include "RPShell.h"

namespace {

using Strings = std::vector<std::string>;

TEST(RPSect, AssignmentRules) {
  TReportSection s;
  EXPECT_EQ(s.LeftMethod(), dmMargin);
  EXPECT_EQ(s.RightMethod(), dmMargin);
  EXPECT_EQ(s.TopMethod(), dmSpecial);
  EXPECT_EQ(s.BottomMethod(), dmMargin);
  EXPECT_EQ(s.HeightMethod(), hmLines);
  EXPECT_TRUE(s.Enabled());
  struct Case {
    TDistMethod method;
    double left, right, top, bottom;  // after assigning -1 to each
  };
  const Case cases[] = {
      {dmPage, 0, 0, 0, 0},
      {dmMargin, -1, -1, -1, -1},
      {dmSpecial, -1, 0, -1, 0},  // the left edge refuses dmSpecial and stays at dmMargin
  };
  for (const Case& c : cases) {
    TReportSection t;
    t.SetLeftMethod(dmMargin);
    t.SetLeftMethod(c.method);
    t.SetRightMethod(c.method);
    t.SetTopMethod(c.method);
    t.SetBottomMethod(c.method);
    t.SetLeft(-1);
    t.SetRight(-1);
    t.SetTop(-1);
    t.SetBottom(-1);
    EXPECT_EQ(t.Left(), c.left) << c.method;
    EXPECT_EQ(t.Right(), c.right) << c.method;
    EXPECT_EQ(t.Top(), c.top) << c.method;
    EXPECT_EQ(t.Bottom(), c.bottom) << c.method;
  }
  // Setting a method applies the rule to the value already there.
  s.SetTop(-2);
  s.SetTopMethod(dmPage);
  EXPECT_EQ(s.Top(), 0);
  s.SetMinHeight(-3);
  EXPECT_EQ(s.MinHeight(), 0);
  s.SetTabIndex(4);
  s.SetTabIndex(11);
  s.SetFontIndex(-1);
  EXPECT_EQ(s.TabIndex(), 4);
  EXPECT_EQ(s.FontIndex(), 0);
}

// Letter paper in inches with margins 1 (left), 0.5 (right), 2 (top), 1 (bottom); the
// cursor on line 3 of the margins at 6 lines per inch.
TEST(RPSect, ApplySectionByMethod) {
  struct Case {
    TDistMethod left, right, top, bottom;
    double l, r, t, b;
  };
  const double lineTop = 2 + 2.0 / 6;
  const Case cases[] = {
      {dmPage, dmPage, dmPage, dmPage, 0.25, 8.5 - 0.75, 0.5, 11 - 1.5},
      {dmMargin, dmMargin, dmMargin, dmMargin, 1.25, 8.5 - 1.25, 2.5, 11 - 2.5},
      {dmMargin, dmSpecial, dmSpecial, dmSpecial, 1.25, 1.25 + 0.75, lineTop + 0.5,
       lineTop + 0.5 + 1.5},
  };
  for (const Case& c : cases) {
    TImageWriter w(96);
    w.SetMarginLeft(1);
    w.SetMarginRight(0.5);
    w.SetMarginTop(2);
    w.SetMarginBottom(1);
    w.OnPrint = [&](QObject*) {
      w.SetLineNumber(3);
      TReportSection s;
      s.SetLeftMethod(c.left);
      s.SetRightMethod(c.right);
      s.SetTopMethod(c.top);
      s.SetBottomMethod(c.bottom);
      s.SetLeft(0.25);
      s.SetRight(0.75);
      s.SetTop(0.5);
      s.SetBottom(1.5);
      TBaseShell::ApplySection(s, w);
      EXPECT_NEAR(w.SectionLeft(), c.l, 1e-9);
      EXPECT_NEAR(w.SectionRight(), c.r, 1e-9);
      EXPECT_NEAR(w.SectionTop(), c.t, 1e-9);
      EXPECT_NEAR(w.SectionBottom(), c.b, 1e-9);
    };
    w.Execute();
  }
}

TEST(RPSect, PrepareSectionStartsAPageWhenTooFewLinesAreLeft) {
  struct Case {
    THeightMethod method;
    double minHeight;
    int line;  // the cursor's line before
    bool newPage;
  };
  // The margins leave 9 inches: 54 lines.
  const Case cases[] = {
      {hmLines, 3, 52, false},   {hmLines, 3, 53, true},   {hmLines, 0, 60, false},
      {hmUnits, 1.5, 46, false}, {hmUnits, 1.5, 47, true},
  };
  for (const Case& c : cases) {
    TImageWriter w(96);
    w.SetMarginTop(1);
    w.SetMarginBottom(1);
    w.OnPrint = [&](QObject*) {
      w.SetLineNumber(c.line);
      TReportSection s;  // placed below the current line's top
      s.SetHeightMethod(c.method);
      s.SetMinHeight(c.minHeight);
      if (c.method == hmUnits) s.SetBottomMethod(dmMargin);
      EXPECT_EQ(TBaseShell::PrepareSection(s, w), c.newPage) << c.line;
      EXPECT_EQ(w.CurrentPage(), c.newPage ? 2 : 1);
      EXPECT_EQ(w.LineNumber(), 1);
      // On a new page the section's top is that page's first line.
      if (c.newPage)
        EXPECT_NEAR(w.SectionTop(), 1, 1e-9);
      else
        EXPECT_NEAR(w.SectionTop(), 1 + (c.line - 1) / 6.0, 1e-9);
    };
    w.Execute();
  }
  TImageWriter w(96);
  w.OnPrint = [&](QObject*) {
    TReportSection off;
    off.SetEnabled(false);
    off.SetTopMethod(dmPage);
    off.SetTop(5);
    EXPECT_FALSE(TBaseShell::PrepareSection(off, w));
    EXPECT_EQ(w.SectionTop(), 0);
  };
  w.Execute();
}

// A shell whose events write themselves into a log; rows end after Rows rows.
struct TLoggedShell {
  TImageWriter Writer{96};
  TDetailShell Shell;
  Strings Log;
  int Rows = 2;
  int Row = 0;
  std::string Throw;  // the event that raises

  void Note(const std::string& event) {
    Log.push_back(event);
    if (event == Throw) throw Exception(event);
  }
  void AssignAll() {
    Shell.OnBodyBefore = [this](TBaseReport*, TDetailShell*) { Note("BodyBefore"); };
    Shell.OnBodyHeader = [this](TBaseReport*, TDetailShell*) { Note("BodyHeader"); };
    Shell.OnRowBefore = [this](TBaseReport*, TDetailShell*, bool&) { Note("RowBefore"); };
    Shell.OnRowPrint = [this](TBaseReport*, TDetailShell*, bool&) { Note("RowPrint"); };
    Shell.OnRowAfter = [this](TBaseReport*, TDetailShell*, bool& valid) {
      valid = ++Row < Rows;
      Note("RowAfter");
    };
    Shell.OnBodyFooter = [this](TBaseReport*, TDetailShell*) { Note("BodyFooter"); };
    Shell.OnBodyAfter = [this](TBaseReport*, TDetailShell*) { Note("BodyAfter"); };
  }
};

TEST(RPShell, EventsRunInTheirOrderAndAfterEventsSurviveExceptions) {
  const Strings row = {"RowBefore", "RowPrint", "RowAfter"};
  struct Case {
    std::string raise;
    Strings log;
  };
  const Case cases[] = {
      {"",
       {"BodyBefore", "BodyHeader", "RowBefore", "RowPrint", "RowAfter", "RowBefore", "RowPrint",
        "RowAfter", "BodyFooter", "BodyAfter"}},
      {"BodyBefore", {"BodyBefore"}},
      {"BodyHeader", {"BodyBefore", "BodyHeader", "BodyAfter"}},
      {"RowBefore", {"BodyBefore", "BodyHeader", "RowBefore", "BodyAfter"}},
      {"RowPrint", {"BodyBefore", "BodyHeader", "RowBefore", "RowPrint", "RowAfter", "BodyAfter"}},
      {"RowAfter", {"BodyBefore", "BodyHeader", "RowBefore", "RowPrint", "RowAfter", "BodyAfter"}},
      {"BodyFooter",
       {"BodyBefore", "BodyHeader", "RowBefore", "RowPrint", "RowAfter", "RowBefore", "RowPrint",
        "RowAfter", "BodyFooter", "BodyAfter"}},
  };
  for (const Case& c : cases) {
    TLoggedShell t;
    t.AssignAll();
    t.Throw = c.raise;
    bool markedAfter = false, markedBefore = false;
    t.Writer.OnPrint = [&](QObject*) {
      try {
        t.Shell.Execute(&t.Writer);
        EXPECT_TRUE(c.raise.empty());
      } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), c.raise);
      }
      EXPECT_FALSE(t.Shell.Running());
      // The shell's page-start hook is gone: a new page no longer marks it.
      markedBefore = t.Shell.PageStarted();
      t.Writer.NewPage();
      markedAfter = t.Shell.PageStarted();
    };
    t.Writer.Execute();
    EXPECT_EQ(t.Log, c.log) << c.raise;
    EXPECT_EQ(markedAfter, markedBefore) << c.raise;
  }
}

TEST(RPShell, RowRules) {
  // Only OnRowAfter, always invalid: one row.
  TLoggedShell once;
  once.Shell.OnRowAfter = [&](TBaseReport*, TDetailShell*, bool& valid) {
    once.Note("RowAfter");
    valid = false;
  };
  once.Shell.Execute(&once.Writer);
  EXPECT_EQ(once.Log, Strings{"RowAfter"});

  // A row refused by OnRowBefore is not printed, but OnRowAfter still runs.
  TLoggedShell refused;
  refused.Rows = 1;
  refused.AssignAll();
  refused.Shell.OnRowBefore = [&](TBaseReport*, TDetailShell*, bool& valid) {
    refused.Note("RowBefore");
    valid = false;
  };
  refused.Shell.Execute(&refused.Writer);
  EXPECT_EQ(refused.Log, (Strings{"BodyBefore", "BodyHeader", "RowBefore", "RowAfter", "BodyFooter",
                                  "BodyAfter"}));

  // StartNewPage: a page before every printed row but the first.
  TLoggedShell paged;
  paged.Rows = 3;
  paged.AssignAll();
  paged.Shell.SetStartNewPage(true);
  std::vector<int> pages;
  paged.Shell.OnRowPrint = [&](TBaseReport* w, TDetailShell*, bool&) {
    pages.push_back(w->CurrentPage());
  };
  paged.Shell.Execute(&paged.Writer);
  EXPECT_EQ(pages, (std::vector<int>{1, 2, 3}));

  // A row section that needs three lines moves the row to the next page when two are left.
  TLoggedShell roomy;
  roomy.Rows = 1;
  roomy.AssignAll();
  roomy.Shell.SectionRow().SetMinHeight(3);
  roomy.Shell.SectionRow().SetTopMethod(dmSpecial);
  roomy.Shell.OnBodyHeader = [&](TBaseReport* w, TDetailShell*) { w->SetLineNumber(65); };
  roomy.Shell.OnRowPrint = [&](TBaseReport* w, TDetailShell* s, bool&) {
    pages = {w->CurrentPage(), w->LineNumber(), s->PageStarted()};
  };
  roomy.Shell.Execute(&roomy.Writer);
  EXPECT_EQ(pages, (std::vector<int>{2, 1, 1}));
}

// A report system stand-in that runs its report on a writer of its own.
struct TRunner : TRPComponent, TRPReportRunner {
  TImageWriter Writer{96};
  bool Generating = false;
  TBaseReport* GeneratingReport() const override {
    return Generating ? const_cast<TImageWriter*>(&Writer) : nullptr;
  }
  void ExecuteWith(TNotifyEvent handler) override {
    Writer.OnPrint = handler;
    Writer.Execute();
  }
};

TEST(RPShell, FindingTheWriter) {
  TDetailShell shell;
  int rows = 0;
  TBaseReport* seen = nullptr;
  shell.OnRowAfter = [&](TBaseReport* w, TDetailShell*, bool& valid) {
    ++rows;
    seen = w;
    EXPECT_TRUE(w->Printing());
    valid = false;
  };
  try {
    shell.Execute();
    ADD_FAILURE();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "No reporting engine provided for report shell.");
  }
  // An idle writer is started with a job that runs the body, and keeps its own handler.
  TImageWriter idle(96);
  int ownPrints = 0;
  idle.OnPrint = [&](QObject*) { ++ownPrints; };
  shell.Execute(&idle);
  EXPECT_EQ(seen, &idle);
  EXPECT_EQ(idle.DeviceCalls.back(), "end");
  EXPECT_EQ(ownPrints, 0);
  idle.Execute();
  EXPECT_EQ(ownPrints, 1);
  EXPECT_EQ(rows, 1);
  // The engine: a writer, or a report system that runs a report for the shell.
  auto engine = std::make_unique<TImageWriter>(96);
  shell.SetEngine(engine.get());
  shell.Execute();
  EXPECT_EQ(seen, engine.get());
  TRunner runner;
  shell.SetEngine(&runner);
  shell.Execute();
  EXPECT_EQ(seen, &runner.Writer);
  EXPECT_EQ(rows, 3);
  engine.reset();
  shell.SetEngine(engine.get());
  EXPECT_THROW(shell.Execute(), Exception);
  // A destroyed engine is forgotten.
  auto gone = std::make_unique<TImageWriter>(96);
  shell.SetEngine(gone.get());
  gone.reset();
  EXPECT_EQ(shell.Engine(), nullptr);
}

}  // namespace
