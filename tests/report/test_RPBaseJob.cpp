// The job life cycle, its checks and switches, and the page selection at work.
#include <gtest/gtest.h>

#include <QLabel>

#include "ImageWriter.h"

namespace {

using Strings = std::vector<std::string>;

// A writer that logs its events and device calls in one sequence.
struct TLoggedWriter : TImageWriter {
  Strings Log;
  TLoggedWriter() {
    OnBeforePrint = [this](QObject*) { Log.push_back("before"); };
    OnNewPage = [this](QObject*) { Log.push_back("newpage " + std::to_string(CurrentPage())); };
    OnPrintHeader = [this](QObject*) { Log.push_back("header"); };
    OnPrintFooter = [this](QObject*) { Log.push_back("footer"); };
    OnAfterPrint = [this](QObject*) { Log.push_back("after"); };
  }
  void DeviceBeginDoc() override { Log.push_back("begindoc"); }
  void DeviceNewPage(bool open) override {
    TImageWriter::DeviceNewPage(open);
    Log.push_back(open ? "page" : "skip");
  }
  void DeviceEndDoc(bool aborted) override {
    TImageWriter::DeviceEndDoc(aborted);
    Log.push_back(aborted ? "abortdoc" : "enddoc");
  }
};

TEST(RPBaseJob, ExecuteRunsStartPrintAndFinishInOrder) {
  TLoggedWriter w;
  w.OnPrint = [&](QObject* sender) {
    EXPECT_EQ(sender, &w);
    EXPECT_TRUE(w.Printing());
    w.Log.push_back("print");
    w.NewPage();
  };
  w.Execute();
  EXPECT_EQ(w.Log, (Strings{"before", "begindoc", "page", "newpage 1", "header", "print", "footer",
                            "page", "newpage 2", "header", "footer", "enddoc", "after"}));
  EXPECT_FALSE(w.Printing());
  EXPECT_EQ(w.Pages.size(), 2u);
}

TEST(RPBaseJob, PageAtATimePrintingRunsWhileTheEventAsksForMore) {
  TLoggedWriter w;
  std::vector<int> pages;
  w.OnPrintPage = [&](QObject*, int& page) {
    pages.push_back(page);
    return page < 3;
  };
  w.Execute();
  EXPECT_EQ(pages, (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(w.Pages.size(), 3u);
  // OnPrint, when also assigned, wins.
  TLoggedWriter both;
  int prints = 0;
  both.OnPrint = [&](QObject*) { ++prints; };
  both.OnPrintPage = [&](QObject*, int&) {
    ADD_FAILURE();
    return false;
  };
  both.Execute();
  EXPECT_EQ(prints, 1);
}

TEST(RPBaseJob, AJobThatRaisesIsAbandonedAndTheErrorGoesOn) {
  TLoggedWriter w;
  w.OnPrint = [&](QObject*) { throw Exception("boom"); };
  EXPECT_THROW(w.Execute(), Exception);
  // No footer on the half-done page, and the document is abandoned rather than printed.
  EXPECT_EQ(w.Log,
            (Strings{"before", "begindoc", "page", "newpage 1", "header", "abortdoc", "after"}));
  EXPECT_FALSE(w.Printing());
  EXPECT_TRUE(w.Aborted());
  // The writer runs another job afterwards, to its end.
  w.OnPrint = nullptr;
  w.Log.clear();
  EXPECT_NO_THROW(w.Execute());
  EXPECT_FALSE(w.Aborted());
  EXPECT_EQ(w.Log.back(), "after");
  EXPECT_EQ(w.Log[w.Log.size() - 2], "enddoc");
  // A footer that raises at the end abandons the document as well.
  w.Log.clear();
  w.OnPrintFooter = [&](QObject*) { throw Exception("footer"); };
  EXPECT_THROW(w.Execute(), Exception);
  EXPECT_EQ(w.Log,
            (Strings{"before", "begindoc", "page", "newpage 1", "header", "abortdoc", "after"}));
  EXPECT_FALSE(w.Printing());
}

TEST(RPBaseJob, AbortEndsTheJobSilently) {
  TLoggedWriter w;
  w.OnPrint = [&](QObject*) {
    w.PrintLeft("first", 1);
    w.Abort();
    w.Log.push_back("aborted");
    w.PrintLeft("never", 1);  // the silent abort unwinds from here
    w.Log.push_back("unreachable");
  };
  EXPECT_NO_THROW(w.Execute());
  EXPECT_TRUE(w.Aborted());
  EXPECT_EQ(w.Texts(), Strings{"first"});
  // No footer once aborted, and the document is abandoned.
  EXPECT_EQ(w.Log, (Strings{"before", "begindoc", "page", "newpage 1", "header", "aborted",
                            "abortdoc", "after"}));
}

TEST(RPBaseJob, TheJobCheckHasTwoMessages) {
  TImageWriter w;
  struct Case {
    const char* name;
    std::function<void()> act;
  };
  const Case outside[] = {
      {"text", [&] { w.PrintCentered("x", 1); }},
      {"line feed", [&] { w.LineFeed(); }},
      {"new page", [&] { w.NewPage(); }},
      {"width", [&] { w.TextWidth("x"); }},
      {"rectangle", [&] { w.Rectangle(0, 0, 1, 1); }},
      {"finish", [&] { w.Finish(); }},
  };
  for (const Case& c : outside) {
    try {
      c.act();
      ADD_FAILURE() << c.name;
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), "Invalid method call.  ReportPrinter is not printing.") << c.name;
    }
  }
  w.OnPrint = [&](QObject*) {
    try {
      w.Start();
      ADD_FAILURE();
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), "Invalid method call.  ReportPrinter already printing.");
    }
  };
  w.Execute();
}

TEST(RPBaseJob, UnselectedPagesProduceNoOutput) {
  struct Case {
    int first, last;
    const char* selection;
    Strings printed;
    Strings device;
  };
  const Case cases[] = {
      {1, 9999, "", {"p1", "p2", "p3", "p4"}, {"page", "page", "page", "page"}},
      {2, 3, "", {"p2", "p3"}, {"skip", "page", "page", "skip"}},
      {1, 9999, "1,3-4", {"p1", "p3", "p4"}, {"page", "skip", "page", "page"}},
      {1, 9999, "EVEN", {"p2", "p4"}, {"skip", "page", "skip", "page"}},
  };
  for (const Case& c : cases) {
    TImageWriter w;
    w.SetFirstPage(c.first);
    w.SetLastPage(c.last);
    w.SetSelection(c.selection);
    w.OnPrint = [&](QObject*) {
      for (int page = 1; page <= 4; ++page) {
        if (page > 1) w.NewPage();
        EXPECT_EQ(w.SkipPage(), std::find(c.printed.begin(), c.printed.end(),
                                          "p" + std::to_string(page)) == c.printed.end());
        w.PrintLeft("p" + std::to_string(page), 1);
      }
    };
    w.Execute();
    EXPECT_EQ(w.Texts(), c.printed) << c.selection;
    EXPECT_EQ(Strings(w.DeviceCalls.begin() + 1, w.DeviceCalls.end() - 1), c.device) << c.selection;
  }
}

TEST(RPBaseJob, OutputSwitchesChooseTheWriterKinds) {
  TImageWriter w;  // a printer kind
  w.OnPrint = [&](QObject*) {
    w.PrintLeft("both", 1);
    w.PrintPreviewOnly();
    w.PrintLeft("preview", 1);
    w.PrintPrinterOnly();
    w.PrintLeft("printer", 1);
    w.PrintPreviewOnly();
    w.PrintBoth();
    w.PrintLeft("again", 1);
  };
  w.Execute();
  EXPECT_EQ(w.Texts(), (Strings{"both", "printer", "again"}));
}

TEST(RPBaseJob, StatusLabelShowsTheFormatAtEveryPage) {
  TImageWriter w;
  Strings shown;
  auto label = std::make_unique<QLabel>();
  w.SetStatusLabel(label.get());
  w.SetStatusFormat("Page %p of %x");
  w.OnNewPage = [&](QObject*) { shown.push_back(label->text().toStdString()); };
  w.OnPrint = [&](QObject*) {
    w.NewPage();
    w.NewPage();
  };
  w.Execute();
  EXPECT_EQ(shown,
            (Strings{"Page 1 of <ERROR-%X>", "Page 2 of <ERROR-%X>", "Page 3 of <ERROR-%X>"}));
  label.reset();  // the writer forgets a destroyed label
  EXPECT_EQ(w.StatusLabel(), nullptr);
  w.OnNewPage = nullptr;
  EXPECT_NO_THROW(w.Execute());
}

}  // namespace
