#include <gtest/gtest.h>

#include <QWidget>
#include <memory>
#include <vector>

#include "CoolCtrls.h"
#include "SkinTestImages.h"

using SkinTestImages::Solid;

TEST(CoolImages, ItemsAreAddressedByPositionAndAnIndexOutsideFails) {
  TCoolImages store;
  store.Bitmaps().Add(Solid(1, 52, Qt::red));
  store.Bitmaps().Add(Solid(38, 38, Qt::blue));
  ASSERT_EQ(store.Bitmaps().Count(), 2);
  EXPECT_EQ(store.Bitmaps().Items(1)->Bitmap().size(), QSize(38, 38));
  EXPECT_EQ(store.Bitmaps().Items(1)->Index(), 1);
  EXPECT_THROW(store.Bitmaps().Items(2), EListError);
  EXPECT_THROW(store.Bitmaps().Items(-1), EListError);
  EXPECT_EQ(store.Picture(2), nullptr);
  EXPECT_EQ(store.Picture(-1), nullptr);
  ASSERT_NE(store.Picture(0), nullptr);
  EXPECT_EQ(store.Picture(0)->size(), QSize(1, 52));
  store.Bitmaps().Add();
  EXPECT_EQ(store.Picture(2), nullptr) << "an empty bitmap is no picture";
}

TEST(CoolImages, SettingABitmapCopiesIt) {
  TCoolImages store;
  QImage mine = Solid(2, 2, Qt::red);
  TBitmapItem* item = store.Bitmaps().Add(mine);
  mine.fill(Qt::green);
  EXPECT_EQ(item->Bitmap().pixelColor(0, 0), QColor(Qt::red));
}

TEST(CoolImages, ChangesReachEveryLinkInOrderUntilUnregistered) {
  TCoolImages store;
  TBitmapItem* item = store.Bitmaps().Add(Solid(1, 1, Qt::red));
  std::vector<int> calls;
  QObject* seenSender = nullptr;
  TCoolChangeLink first, second;
  first.OnChange = [&](QObject* sender) {
    calls.push_back(1);
    seenSender = sender;
  };
  second.OnChange = [&](QObject*) { calls.push_back(2); };
  store.RegisterChanges(&first);
  store.RegisterChanges(&second);
  EXPECT_EQ(first.Sender(), &store);

  item->SetBitmap(Solid(1, 1, Qt::blue));
  EXPECT_EQ(calls, (std::vector<int>{1, 2}));
  EXPECT_EQ(seenSender, &store);

  store.UnRegisterChanges(&first);
  EXPECT_EQ(first.Sender(), nullptr);
  store.UnRegisterChanges(&first);  // not listed: ignored
  calls.clear();
  store.Bitmaps().Delete(0);  // an item going away is a change too
  EXPECT_EQ(calls, (std::vector<int>{2}));
}

TEST(CoolImages, RegisteringTwiceListsALinkOnce) {
  TCoolImages store;
  int calls = 0;
  {
    TCoolChangeLink link;
    link.OnChange = [&](QObject*) { ++calls; };
    store.RegisterChanges(&link);
    store.RegisterChanges(&link);
    store.Change();
    EXPECT_EQ(calls, 1);
  }
  // The destroyed link left the list: a change must not reach it.
  store.Change();
  EXPECT_EQ(calls, 1);
}

TEST(CoolImages, DestroyingTheStoreReleasesLinksAndPanels) {
  auto store = std::make_unique<TCoolImages>();
  store->Bitmaps().Add(Solid(1, 1, Qt::red));
  TCoolChangeLink link;
  store->RegisterChanges(&link);
  TCoolPanel panel;
  panel.SetCoolImages(store.get());
  panel.SetidWallpaper(0);
  ASSERT_NE(panel.ChosenWallpaper(), nullptr);

  store.reset();
  EXPECT_EQ(link.Sender(), nullptr);
  EXPECT_EQ(panel.CoolImages(), nullptr);
  EXPECT_EQ(panel.ChosenWallpaper(), nullptr);
  EXPECT_EQ(panel.grab().toImage().pixel(30, 20), panel.Color().rgb()) << "falls back to Color";
}

TEST(CoolImages, APanelDestroyedBeforeItsStoreLeavesTheList) {
  TCoolImages store;
  TBitmapItem* item = store.Bitmaps().Add(Solid(1, 1, Qt::red));
  {
    TCoolPanel panel;
    panel.SetCoolImages(&store);
  }
  item->SetBitmap(Solid(1, 1, Qt::blue));  // must not reach the destroyed panel
  SUCCEED();
}

TEST(CoolImages, MovingALinkToAnotherStoreLeavesTheFirst) {
  TCoolImages a, b;
  int calls = 0;
  TCoolPanel panel;
  panel.SetCoolImages(&a);
  TCoolChangeLink probe;
  probe.OnChange = [&](QObject*) { ++calls; };
  a.RegisterChanges(&probe);
  panel.SetCoolImages(&b);
  b.RegisterChanges(&probe);
  a.Change();
  EXPECT_EQ(calls, 0);
  b.Change();
  EXPECT_EQ(calls, 1);
}
