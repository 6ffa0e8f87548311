#pragma once

#include <array>
#include <string>

class QTimer;
class TRxGIFAnimator;
class TWebBrowser;

// The header's banner area: every period either one of the GIF banners, chosen at random,
// or the web banner page, shown only once the browser has loaded it cleanly since the
// period began.
class TAdRotation {
 public:
  static constexpr int BannerCount = 5;
  static constexpr int Period = 40000;
  using TBanners = std::array<TRxGIFAnimator*, BannerCount>;

  TAdRotation(QTimer* timer, const TBanners& banners, TWebBrowser* browser, bool& adLoaded,
              bool& adClean);

  // At each activation: the browser hidden, told it is invisible, back at (-2, -2) ...
  void PrepareBrowser();
  // ... and the banners hidden, still, at (0, 0).
  void PrepareBanners();

  // The rotation's step; banner k (1 ... BannerCount) is the one shown if a GIF is due.
  void Tick(int k);
  // k as the rotation draws it: the seeded generator's next value below BannerCount, + 1.
  static int NextBanner();
  // A status text that names a local error page: the navigation did not load the site.
  static bool NamesErrorPage(const std::wstring& text);
  static std::wstring BannerPageURL();

 private:
  // Hidden and still.
  void HideBanners();

  QTimer* FTimer;
  TBanners FBanners;
  TWebBrowser* FBrowser;
  bool& FAdLoaded;
  bool& FAdClean;
};
