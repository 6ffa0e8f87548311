#pragma once

#include <QWidget>
#include <string>

#include "MemoryStream.h"
#include "RPFiler.h"

// The stream writer on a form, as the report system records (without printers the form
// measures the text), recording into a memory stream.
struct TRecordJob {
  QWidget Form;
  TReportFiler* Filer = new TReportFiler(&Form);
  TMemoryStream Stream;
  TRecordJob() {
    Filer->SetStreamMode(smUser);
    Filer->SetStream(&Stream);
  }
  // Records the report that `body` prints and returns the stream.
  template <typename Body>
  std::string Run(Body body) {
    Filer->OnPrint = [&](QObject*) { body(*Filer); };
    Filer->Execute();
    return Stream.ToString();
  }
};
