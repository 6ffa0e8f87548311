#include "RPShell.h"

#include "Finally.h"

void TBaseShell::ApplySection(const TReportSection& s, TBaseReport& w) {
  // Left, right, top, bottom in this order: a width or height (dmSpecial) counts from
  // the edge just set.
  w.SetSectionLeft(s.LeftMethod() == dmPage ? s.Left() : w.MarginLeft() + s.Left());
  switch (s.RightMethod()) {
    case dmPage:
      w.SetSectionRight(w.PageWidth() - s.Right());
      break;
    case dmMargin:
      w.SetSectionRight(w.PageWidth() - (w.MarginRight() + s.Right()));
      break;
    case dmSpecial:
      w.SetSectionRight(w.SectionLeft() + s.Right());
      break;
  }
  switch (s.TopMethod()) {
    case dmPage:
      w.SetSectionTop(s.Top());
      break;
    case dmMargin:
      w.SetSectionTop(w.MarginTop() + s.Top());
      break;
    case dmSpecial:
      w.SetSectionTop(w.LineTop() + s.Top());
      break;
  }
  switch (s.BottomMethod()) {
    case dmPage:
      w.SetSectionBottom(w.PageHeight() - s.Bottom());
      break;
    case dmMargin:
      w.SetSectionBottom(w.PageHeight() - (w.MarginBottom() + s.Bottom()));
      break;
    case dmSpecial:
      w.SetSectionBottom(w.SectionTop() + s.Bottom());
      break;
  }
}

bool TBaseShell::PrepareSection(const TReportSection& s, TBaseReport& w) {
  if (!s.Enabled()) return false;
  if (s.FontIndex() > 0) w.RestoreFont(s.FontIndex());
  if (s.TabIndex() > 0) w.RestoreTabs(s.TabIndex());
  w.FitLineToFont();
  ApplySection(s, w);
  w.MoveToFirstLine();
  if (s.MinHeight() <= 0 || s.NoMinHeightCheck) return false;
  const bool room = s.HeightMethod() == hmUnits
                        ? w.SectionBottom() - w.SectionTop() >= s.MinHeight()
                        : w.LinesLeftInColumn() >= s.MinHeight();
  if (room) return false;
  w.NewPage();
  ApplySection(s, w);
  w.MoveToFirstLine();
  return true;
}

void TBaseShell::Execute(TBaseReport* writer) {
  if (!writer) {
    if (!FEngine) throw Exception(RPMessages::NoEngine);
    if (auto* runner = dynamic_cast<TRPReportRunner*>(FEngine.data())) {
      writer = runner->GeneratingReport();
      if (!writer) {
        runner->ExecuteWith(
            [this](QObject* sender) { Execute(dynamic_cast<TBaseReport*>(sender)); });
        return;
      }
    } else {
      writer = dynamic_cast<TBaseReport*>(FEngine.data());
      if (!writer) throw Exception(RPMessages::NoEngine);
    }
  }
  if (!writer->Printing()) {
    // The writer gets its own handler back afterwards, so that it never calls into a
    // shell that may be gone by its next job.
    TNotifyEvent previous = std::move(writer->OnPrint);
    TFinally restore([&] { writer->OnPrint = std::move(previous); });
    // A job that did not start (no printers: its message was shown) still calls the
    // handler; the body is not run then, or it would start the writer again and again.
    writer->OnPrint = [this, writer](QObject*) {
      if (writer->Printing()) Execute(writer);
    };
    writer->Execute();
    return;
  }
  FPageStarted = true;
  FRunning = true;
  FReport = writer;
  TFinally done([this] {
    FRunning = false;
    FReport = nullptr;
  });
  RunBody(*writer);
}

void TDetailShell::BreakPendingPage(TBaseReport& w) {
  if (!FPageBreakPending) return;
  w.NewPage();
  FPageBreakPending = false;
}

bool TDetailShell::Row(TBaseReport& w) {
  bool valid = true;
  if (OnRowBefore) OnRowBefore(&w, this, valid);
  FRowPrinted = valid;
  try {
    if (valid) {
      BreakPendingPage(w);
      if (OnRowPrint) {
        PrepareSection(FSectionRow, w);
        OnRowPrint(&w, this, valid);
        FPageStarted = false;
      }
    }
  } catch (...) {
    if (OnRowAfter) OnRowAfter(&w, this, valid);
    throw;
  }
  if (OnRowAfter) OnRowAfter(&w, this, valid);
  return valid;
}

void TDetailShell::RunBody(TBaseReport& w) {
  const int hook = w.AddPageStartHook([this] { FPageStarted = true; });
  TFinally unhook([&w, hook] { w.RemovePageStartHook(hook); });
  FPageBreakPending = false;
  if (OnBodyBefore) OnBodyBefore(&w, this);
  try {
    if (OnBodyHeader) {
      PrepareSection(FSectionBodyHeader, w);
      OnBodyHeader(&w, this);
    }
    while (Row(w)) {
      if (FStartNewPage && FRowPrinted) FPageBreakPending = true;
    }
    if (OnBodyFooter) {
      PrepareSection(FSectionBodyFooter, w);
      OnBodyFooter(&w, this);
    }
  } catch (...) {
    if (OnBodyAfter) OnBodyAfter(&w, this);
    throw;
  }
  if (OnBodyAfter) OnBodyAfter(&w, this);
}
