#pragma once

#include <QPointer>
#include <functional>

#include "RPBase.h"
#include "RPSect.h"

// A row-by-row report turned into calls on a writer. The engine is a writer or a report
// system (a TRPReportRunner); the reference clears itself when that component goes.
class TBaseShell : public TRPBaseComponent {
 public:
  using TRPBaseComponent::TRPBaseComponent;

  TRPComponent* Engine() const { return FEngine; }
  void SetEngine(TRPComponent* engine) { FEngine = engine; }
  bool Running() const { return FRunning; }
  bool PageStarted() const { return FPageStarted; }

  // Sets the writer's section edges from the section.
  static void ApplySection(const TReportSection& section, TBaseReport& writer);
  // Restores the section's slots, places it and checks its minimum height; true when
  // that started a new page.
  static bool PrepareSection(const TReportSection& section, TBaseReport& writer);

  // Runs the body on writer when it is printing; an idle writer (or, without one, the
  // engine) is started with a job that runs the body.
  virtual void Execute(TBaseReport* writer = nullptr);

 protected:
  virtual void RunBody(TBaseReport& writer) = 0;
  TBaseReport* Report() const { return FReport; }
  bool FPageStarted = false;

 private:
  QPointer<TRPComponent> FEngine;
  TBaseReport* FReport = nullptr;
  bool FRunning = false;
};

class TDetailShell : public TBaseShell {
 public:
  using TReportEvent = std::function<void(TBaseReport* ReportPrinter, TDetailShell* ReportShell)>;
  using TReportValidEvent =
      std::function<void(TBaseReport* ReportPrinter, TDetailShell* ReportShell, bool& Valid)>;

  using TBaseShell::TBaseShell;

  TReportSection& SectionBodyHeader() { return FSectionBodyHeader; }
  void SetSectionBodyHeader(const TReportSection& s) { FSectionBodyHeader = s; }
  TReportSection& SectionBodyFooter() { return FSectionBodyFooter; }
  void SetSectionBodyFooter(const TReportSection& s) { FSectionBodyFooter = s; }
  TReportSection& SectionRow() { return FSectionRow; }
  void SetSectionRow(const TReportSection& s) { FSectionRow = s; }
  bool StartNewPage() const { return FStartNewPage; }
  void SetStartNewPage(bool value) { FStartNewPage = value; }
  bool PageBreakPending() const { return FPageBreakPending; }
  bool RowPrinted() const { return FRowPrinted; }

  TReportEvent OnBodyBefore;
  TReportEvent OnBodyHeader;
  TReportValidEvent OnRowBefore;
  TReportValidEvent OnRowPrint;
  TReportValidEvent OnRowAfter;
  TReportEvent OnBodyFooter;
  TReportEvent OnBodyAfter;

 protected:
  void RunBody(TBaseReport& writer) override;

 private:
  // One row; its result is whether the loop goes on.
  bool Row(TBaseReport& writer);
  void BreakPendingPage(TBaseReport& writer);

  TReportSection FSectionBodyHeader;
  TReportSection FSectionBodyFooter;
  TReportSection FSectionRow;
  bool FStartNewPage = false;
  bool FPageBreakPending = false;
  bool FRowPrinted = false;
};
