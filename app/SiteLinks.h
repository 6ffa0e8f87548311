#pragma once

#include <string>

// Web addresses on the product web site. The host is one constant; TRICKFOLIO_SITE may
// replace the whole base address (scheme and host, no trailing slash), which is how
// tests point the links at a place they control.
namespace SiteLinks {

inline constexpr const char* DefaultSiteBase = "http://www.trickfolio.ru";

std::string SiteBase();
// The host part of the base address, as the online-only link's caption names it.
std::string SiteHost();
std::string SiteURL(const std::string& pathAndQuery);

inline constexpr const char* UpdatePath = "/trickfolio/";
inline constexpr const char* FlashGamesPath = "/flashgames/";
inline constexpr const char* WallpapersGirlsPath = "/files/index.phtml?r=20&pr=86";
inline constexpr const char* AdvertisingPath = "/reklama.phtml";
inline constexpr const char* CheatPath = "/cheats/cheat.phtml?id=";
inline constexpr const char* BannerPagePath = "/trickfoliobanner.html";

}  // namespace SiteLinks
