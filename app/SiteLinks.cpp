#include "SiteLinks.h"

#include <cstdlib>

namespace SiteLinks {

std::string SiteBase() {
  const char* over = std::getenv("TRICKFOLIO_SITE");
  return (over && *over) ? std::string(over) : std::string(DefaultSiteBase);
}

std::string SiteHost() {
  std::string base = SiteBase();
  const size_t scheme = base.find("://");
  if (scheme != std::string::npos) base.erase(0, scheme + 3);
  const size_t path = base.find('/');
  return path == std::string::npos ? base : base.substr(0, path);
}

std::string SiteURL(const std::string& pathAndQuery) {
  return SiteBase() + pathAndQuery;
}

}  // namespace SiteLinks
