#include <exception>

#include "RPBase.h"

// ---- Job ----

void TBaseReport::CheckPrinting() const {
  if (!FPrinting) throw Exception(RPMessages::NotPrinting);
  if (FAborted) throw EAbort();
}

void TBaseReport::Abort() {
  FAborted = true;
  FSkipPage = true;
}

void TBaseReport::Execute() {
  Start();
  RunJob(
      [this] {
        if (OnPrint || !OnPrintPage) {
          DoPrint();
        } else {
          while (DoPrintPage() && !FAborted) NewPage();
        }
      },
      [this] { Finish(); });
}

void TBaseReport::RunJob(const std::function<void()>& pages, const std::function<void()>& end) {
  try {
    pages();
  } catch (const EAbort&) {
    // Cancelled: the job closes and the caller reads Aborted; nothing is shown.
    end();
    return;
  } catch (...) {
    Fail();
    end();
    throw;
  }
  end();
}

void TBaseReport::Fail() {
  Abort();
  FFailed = true;
}

void TBaseReport::BeginJob() {
  if (FPrinting) throw Exception(RPMessages::AlreadyPrinting);
  FAborted = false;
  FFailed = false;
  FCurrentPage = 0;
}

void TBaseReport::OpenJob() {
  HookFontChange();
  ReadPageGeometry();
  RecomputeMarginPositions();
  SectionToMargins();
  FPrinting = true;
  ResetPageState();
}

void TBaseReport::FirstPageOfJob() {
  FCurrentPage = 1;
  FSkipPage = !(PageSelected(1) && !FAborted);
}

void TBaseReport::ResetPageState() {
  PushTabs();
  FBrush = TRPBrush();
  FPen = TRPPen();
  FOriginX = FOriginY = 0;
  ClearColumns();
  ClearTabs();
  SectionToMargins();
  MoveToFirstLine();
  ResetTabs();
  PopTabs();
}

void TBaseReport::PageStart() {
  if (FAborted) return;
  RunHooks(FPageStartHooks);
  DoNewPage();
  DoPrintHeader();
}

void TBaseReport::PageEnd() {
  DoPrintFooter();
  RunHooks(FPageEndHooks);
}

void TBaseReport::NextPageNumber() {
  CheckPrinting();
  ++FCurrentPage;
  UpdateStatus();
  FSkipPage = !(PageSelected(FCurrentPage) && !FAborted);
}

void TBaseReport::LayOutNewPage() {
  FOriginX = FOriginY = 0;
  ResetTabs();
  FMarginBottomPos = MarginBottomPosFor(FMarginBottom);
  FMarginRightPos = MarginRightPosFor(FMarginRight);
  SectionToMargins();
  if (FColumns > 1) DoNewColumn();
  MoveToFirstLine();
}

void TBaseReport::CloseJob() {
  UnhookFontChange();
  FFontCache.Clear();
  FLines.clear();
  FPrinting = false;
}

void TBaseReport::Start() {
  BeginJob();
  DoBeforePrint();
  DeviceBeginDoc();
  OpenJob();
  FirstPageOfJob();
  DeviceNewPage(!FSkipPage);
  UpdateStatus();
  PageStart();
}

void TBaseReport::NewPage() {
  PageEnd();
  NextPageNumber();
  DeviceNewPage(!FSkipPage);
  ReadPageGeometry();
  LayOutNewPage();
  PageStart();
}

void TBaseReport::Finish() {
  if (!FPrinting) throw Exception(RPMessages::NotPrinting);
  // A footer that raises still ends the document, or the writer would stay printing; the
  // job is abandoned, as on any failure.
  std::exception_ptr footerFailure;
  if (!FAborted) {
    try {
      PageEnd();
    } catch (...) {
      footerFailure = std::current_exception();
      Fail();
    }
  }
  try {
    const bool aborted = FAborted;
    CloseJob();
    DeviceEndDoc(aborted);
  } catch (...) {
    FPrinting = false;
    DoAfterPrint();
    throw;
  }
  DoAfterPrint();
  if (footerFailure) std::rethrow_exception(footerFailure);
}

int TBaseReport::AddPageStartHook(std::function<void()> hook) {
  FPageStartHooks.push_back({FNextHookId, std::move(hook)});
  return FNextHookId++;
}

void TBaseReport::RemovePageStartHook(int id) {
  std::erase_if(FPageStartHooks, [id](const THook& h) { return h.Id == id; });
}

int TBaseReport::AddPageEndHook(std::function<void()> hook) {
  FPageEndHooks.push_back({FNextHookId, std::move(hook)});
  return FNextHookId++;
}

void TBaseReport::RemovePageEndHook(int id) {
  std::erase_if(FPageEndHooks, [id](const THook& h) { return h.Id == id; });
}

void TBaseReport::RunHooks(const std::vector<THook>& hooks) {
  // A hook may remove itself or add another; run the ones present when the page turned.
  const std::vector<THook> snapshot = hooks;
  for (const THook& hook : snapshot) hook.Run();
}

// ---- Event dispatchers ----

void TBaseReport::DoPrint() {
  if (OnPrint) OnPrint(this);
}

bool TBaseReport::DoPrintPage() {
  if (!OnPrintPage) return false;
  int page = FCurrentPage;
  const bool more = OnPrintPage(this, page);
  FCurrentPage = page;
  return more;
}

void TBaseReport::DoBeforePrint() {
  if (OnBeforePrint) OnBeforePrint(this);
}

void TBaseReport::DoAfterPrint() {
  if (OnAfterPrint) OnAfterPrint(this);
}

void TBaseReport::DoNewPage() {
  if (OnNewPage) OnNewPage(this);
}

void TBaseReport::DoNewColumn() {
  if (OnNewColumn) OnNewColumn(this);
}

void TBaseReport::DoPrintHeader() {
  if (OnPrintHeader) OnPrintHeader(this);
}

void TBaseReport::DoPrintFooter() {
  if (OnPrintFooter) OnPrintFooter(this);
}

void TBaseReport::DoEndOfSection() {
  if (OnEndOfSection) OnEndOfSection(this);
}

// ---- Output switches ----

void TBaseReport::PrintPreviewOnly() {
  FOutputKinds = (FOutputKinds & ~(1 << okPrinter)) | (1 << okPreview);
}

void TBaseReport::PrintPrinterOnly() {
  FOutputKinds = (FOutputKinds & ~(1 << okPreview)) | (1 << okPrinter);
}

void TBaseReport::PrintBoth() {
  FOutputKinds |= (1 << okPreview) | (1 << okPrinter);
}
