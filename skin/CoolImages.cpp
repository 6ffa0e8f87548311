#include "CoolCtrls.h"

// ---------------------------------------------------------------- store

TBitmapItem::TBitmapItem(TBitmaps& collection) : FCollection(collection) {}

TBitmapItem::~TBitmapItem() {
  FCollection.Owner().Change();
}

void TBitmapItem::SetBitmap(const QImage& value) {
  FBitmap = value;
  FCollection.Owner().Change();
}

int TBitmapItem::Index() const {
  return FCollection.IndexOf(this);
}

TBitmaps::~TBitmaps() {
  Clear();
}

TBitmapItem* TBitmaps::Items(int index) const {
  CheckListIndex(index, Count());
  return FItems[size_t(index)].get();
}

TBitmapItem* TBitmaps::Add() {
  FItems.push_back(std::make_unique<TBitmapItem>(*this));
  return FItems.back().get();
}

TBitmapItem* TBitmaps::Add(const QImage& bitmap) {
  TBitmapItem* item = Add();
  item->SetBitmap(bitmap);
  return item;
}

void TBitmaps::Delete(int index) {
  Items(index);
  // Out of the list before it goes, so the users that repaint on its notice no longer
  // find it.
  std::unique_ptr<TBitmapItem> item = std::move(FItems[size_t(index)]);
  FItems.erase(FItems.begin() + index);
}

void TBitmaps::Clear() {
  std::vector<std::unique_ptr<TBitmapItem>> items;
  items.swap(FItems);
}

int TBitmaps::IndexOf(const TBitmapItem* item) const {
  for (size_t i = 0; i < FItems.size(); ++i)
    if (FItems[i].get() == item) return int(i);
  return -1;
}

TCoolChangeLink::~TCoolChangeLink() {
  if (FSender) FSender->UnRegisterChanges(this);
}

void TCoolChangeLink::Change() {
  if (OnChange) OnChange(FSender);
}

TCoolImages::TCoolImages(QObject* owner)
    : QObject(owner), FBitmaps(std::make_unique<TBitmaps>(*this)) {}

TCoolImages::~TCoolImages() {
  while (!FLinks.empty()) UnRegisterChanges(FLinks.back());
  FBitmaps.reset();
}

void TCoolImages::RegisterChanges(TCoolChangeLink* link) {
  if (!link || link->FSender == this) return;
  // A link listed twice, or in two stores, would be left behind when it is destroyed.
  if (link->FSender) link->FSender->UnRegisterChanges(link);
  link->FSender = this;
  FLinks.push_back(link);
}

void TCoolImages::UnRegisterChanges(TCoolChangeLink* link) {
  auto found = std::find(FLinks.begin(), FLinks.end(), link);
  if (found == FLinks.end()) return;
  link->FSender = nullptr;
  FLinks.erase(found);
}

void TCoolImages::Change() {
  // A handler may unregister links (a panel destroyed on the notice): walk a copy and
  // skip links that left meanwhile.
  const std::vector<TCoolChangeLink*> links = FLinks;
  for (TCoolChangeLink* link : links)
    if (std::find(FLinks.begin(), FLinks.end(), link) != FLinks.end()) link->Change();
}

const QImage* TCoolImages::Picture(int index) const {
  if (!FBitmaps || index < 0 || index >= FBitmaps->Count()) return nullptr;
  const QImage& picture = FBitmaps->Items(index)->Bitmap();
  return picture.isNull() ? nullptr : &picture;
}
