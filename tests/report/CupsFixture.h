#pragma once

#include <string>
#include <vector>

// A private CUPS scheduler for one test program, in a short folder under /tmp (the socket
// path must stay under 108 bytes). Its queues take a PPD of our own and hand every job,
// as PDF, to a backend script that keeps it in the folder's out/; nothing outside the
// folder is read or changed. The scheduler dies with the test program.
class TCupsScheduler {
 public:
  // Starts the scheduler and points this process's CUPS clients (Qt, libcups, the
  // command-line tools) at it.
  TCupsScheduler();
  ~TCupsScheduler();
  TCupsScheduler(const TCupsScheduler&) = delete;
  TCupsScheduler& operator=(const TCupsScheduler&) = delete;

  // A PDF queue named `name` (device URI "trickpdf:/name", make and model
  // "Trickfolio PDF Writer"): A4 (default) and Letter with 12 pt unprintable strips, paper
  // sources top/bottom/manual, duplex, copies made into the PDF by the filter.
  void AddQueue(const std::string& name, bool makeDefault = false);
  void RemoveQueue(const std::string& name);
  // cupsaccept or cupsreject on the queue.
  void AcceptJobs(const std::string& name, bool accept);

  struct TJob {
    std::string Pdf;      // empty when no job came within the wait
    std::string Title;    // the job's title as the backend saw it
    std::string Options;  // the job's option string as the backend saw it
  };
  // The next job that reached the backend, in job order; waits up to 30 s for it.
  TJob NextJob();
  // The scheduler's error log, for failure messages.
  std::string ErrorLog() const;
  const std::string& Dir() const { return FDir; }

 private:
  void WriteFiles();
  void Admin(const char* tool, const std::vector<std::string>& args);
  void Lpadmin(const std::vector<std::string>& args);

  std::string FDir;
  int FPid = -1;
  int FJobsTaken = 0;
};

// The words of a PDF as poppler's pdftotext -bbox reads them, in points from the page's
// top-left corner, text in UTF-8.
struct TPdfWord {
  double XMin, YMin, XMax, YMax;
  std::string Text;
};
struct TPdfPage {
  double Width, Height;
  std::vector<TPdfWord> Words;
  // The page's text lines, top to bottom: words sharing a baseline, joined by one blank.
  std::vector<std::string> Lines() const;
};
std::vector<TPdfPage> ReadPdfWords(const std::string& pdf);

constexpr double PointsToMm(double points) {
  return points * 25.4 / 72.0;
}
