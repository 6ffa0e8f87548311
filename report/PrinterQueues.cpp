#include "PrinterQueues.h"

#include <cups/cups.h>

#include <algorithm>
#include <memory>

namespace PrinterQueues {
namespace {

struct TDestDeleter {
  void operator()(cups_dest_t* dest) const { cupsFreeDests(1, dest); }
};
struct TInfoDeleter {
  void operator()(cups_dinfo_t* info) const { cupsFreeDestInfo(info); }
};
using TDest = std::unique_ptr<cups_dest_t, TDestDeleter>;
using TInfo = std::unique_ptr<cups_dinfo_t, TInfoDeleter>;

TDest FindDest(const std::string& queue) {
  return TDest(cupsGetNamedDest(CUPS_HTTP_DEFAULT, queue.c_str(), nullptr));
}

// The queue's supported values of one job attribute; null when the queue is gone.
template <typename F>
void WithSupported(const std::string& queue, const char* attribute, F use) {
  TDest dest = FindDest(queue);
  if (!dest) return;
  TInfo info(cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest.get()));
  if (!info) return;
  if (ipp_attribute_t* values =
          cupsFindDestSupported(CUPS_HTTP_DEFAULT, dest.get(), info.get(), attribute))
    use(values);
}

}  // namespace

std::string DeviceUri(const std::string& queue) {
  TDest dest = FindDest(queue);
  if (!dest) return {};
  const char* uri = cupsGetOption("device-uri", dest->num_options, dest->options);
  return uri ? uri : "";
}

int CopyLimit(const std::string& queue) {
  int limit = 1;
  WithSupported(queue, "copies", [&](ipp_attribute_t* values) {
    if (ippGetValueTag(values) == IPP_TAG_RANGE) {
      int upper = 1;
      ippGetRange(values, 0, &upper);
      limit = std::max(upper, 1);
    } else if (ippGetValueTag(values) == IPP_TAG_INTEGER) {
      limit = std::max(ippGetInteger(values, 0), 1);
    }
  });
  return limit;
}

std::vector<std::string> MediaSources(const std::string& queue) {
  std::vector<std::string> sources;
  WithSupported(queue, "media-source", [&](ipp_attribute_t* values) {
    for (int i = 0, n = ippGetCount(values); i < n; ++i)
      if (const char* name = ippGetString(values, i, nullptr)) sources.emplace_back(name);
  });
  return sources;
}

int Submit(const std::string& queue, const std::string& pdf, const std::string& title,
           const std::vector<std::pair<std::string, std::string>>& options, std::string& error) {
  int count = 0;
  cups_option_t* list = nullptr;
  for (const auto& [name, value] : options)
    count = cupsAddOption(name.c_str(), value.c_str(), count, &list);
  const int job =
      cupsPrintFile2(CUPS_HTTP_DEFAULT, queue.c_str(), pdf.c_str(), title.c_str(), count, list);
  cupsFreeOptions(count, list);
  if (job == 0) error = cupsLastErrorString();
  return job;
}

}  // namespace PrinterQueues
