#include "AdRotation.h"

#include <QString>
#include <QTimer>
#include <cstdlib>

#include "GIFCtrl.h"
#include "SiteLinks.h"
#include "WebBrowser.h"

TAdRotation::TAdRotation(QTimer* timer, const TBanners& banners, TWebBrowser* browser,
                         bool& adLoaded, bool& adClean)
    : FTimer(timer), FBanners(banners), FBrowser(browser), FAdLoaded(adLoaded), FAdClean(adClean) {}

void TAdRotation::PrepareBrowser() {
  FBrowser->SetVisible(false);
  FBrowser->hide();
  FBrowser->move(-2, -2);
}

void TAdRotation::PrepareBanners() {
  HideBanners();
  for (TRxGIFAnimator* banner : FBanners) banner->move(0, 0);
}

void TAdRotation::HideBanners() {
  for (TRxGIFAnimator* banner : FBanners) {
    banner->SetVisible(false);
    banner->SetAnimate(false);
  }
}

void TAdRotation::Tick(int k) {
  FTimer->stop();
  HideBanners();
  FBrowser->hide();
  // The page is shown as it was loaded: no new navigation while it stays up.
  if (FAdLoaded && FAdClean) {
    FBrowser->show();
  } else {
    TRxGIFAnimator* banner = FBanners[size_t(k - 1)];
    banner->SetVisible(true);
    banner->SetAnimate(true);
    FBrowser->Navigate(BannerPageURL());
  }
  FAdLoaded = false;
  FAdClean = true;
  FTimer->start();
}

int TAdRotation::NextBanner() {
  return std::rand() % BannerCount + 1;
}

bool TAdRotation::NamesErrorPage(const std::wstring& text) {
  return text.find(L"res://") != std::wstring::npos;
}

std::wstring TAdRotation::BannerPageURL() {
  return QString::fromStdString(SiteLinks::SiteURL(SiteLinks::BannerPagePath)).toStdWString();
}
