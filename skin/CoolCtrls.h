#pragma once

#include <QColor>
#include <QImage>
#include <QPen>
#include <QPlainTextEdit>
#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Exception.h"
#include "SkinControl.h"
#include "StringList.h"

class QMenu;
class QPainter;
class QToolButton;

class TCoolImages;
class TBitmaps;

// One picture of a skin image store. The item owns its bitmap: setting it copies the
// given image, and every change is passed on to the store.
class TBitmapItem {
 public:
  explicit TBitmapItem(TBitmaps& collection);
  ~TBitmapItem();
  TBitmapItem(const TBitmapItem&) = delete;
  TBitmapItem& operator=(const TBitmapItem&) = delete;

  const QImage& Bitmap() const { return FBitmap; }
  void SetBitmap(const QImage& value);
  int Index() const;

 private:
  TBitmaps& FCollection;
  QImage FBitmap;
};

// The store's pictures, addressed by zero-based position.
class TBitmaps {
 public:
  explicit TBitmaps(TCoolImages& owner) : FOwner(owner) {}
  ~TBitmaps();
  TBitmaps(const TBitmaps&) = delete;
  TBitmaps& operator=(const TBitmaps&) = delete;

  TCoolImages& Owner() const { return FOwner; }
  int Count() const { return int(FItems.size()); }
  // Throws EListError for an index outside 0 .. Count() - 1.
  TBitmapItem* Items(int index) const;
  TBitmapItem* Add();
  TBitmapItem* Add(const QImage& bitmap);
  void Delete(int index);
  void Clear();
  int IndexOf(const TBitmapItem* item) const;

 private:
  TCoolImages& FOwner;
  std::vector<std::unique_ptr<TBitmapItem>> FItems;
};

// A user's subscription to a store's changes; each panel and memo owns one. A link that
// is still registered unregisters itself when it is destroyed.
class TCoolChangeLink {
 public:
  TCoolChangeLink() = default;
  virtual ~TCoolChangeLink();
  TCoolChangeLink(const TCoolChangeLink&) = delete;
  TCoolChangeLink& operator=(const TCoolChangeLink&) = delete;

  TCoolImages* Sender() const { return FSender; }
  virtual void Change();

  // Called with the store as the sender.
  TNotifyEvent OnChange;

 private:
  friend class TCoolImages;
  TCoolImages* FSender = nullptr;
};

// The skin image store: a non-visual component of a window whose pictures the skinned
// controls take as wallpapers by index.
class TCoolImages : public QObject {
  Q_OBJECT

 public:
  explicit TCoolImages(QObject* owner = nullptr);
  ~TCoolImages() override;

  TBitmaps& Bitmaps() { return *FBitmaps; }
  const TBitmaps& Bitmaps() const { return *FBitmaps; }

  void RegisterChanges(TCoolChangeLink* link);
  void UnRegisterChanges(TCoolChangeLink* link);
  // Tells every registered link, in the order of registration.
  virtual void Change();

  // The picture at `index` when there is one and it is not empty, else nullptr; never
  // throws (the first step of the wallpaper choice).
  const QImage* Picture(int index) const;

 private:
  std::unique_ptr<TBitmaps> FBitmaps;
  std::vector<TCoolChangeLink*> FLinks;
};

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };

// A panel that paints a wallpaper from a skin image store (tiled from its own top-left
// corner), its own wallpaper, the background of an ancestor, or its colour; then the
// bevels, the border and the caption. Children are laid out inside the bevels and the
// border (the widget's contents margins).
class TCoolPanel : public TSkinControl<QWidget> {
  Q_OBJECT

 public:
  explicit TCoolPanel(QWidget* parent = nullptr);
  ~TCoolPanel() override;

  // The framework panel's properties.
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment value);
  TBevelCut BevelInner() const { return FBevelInner; }
  void SetBevelInner(TBevelCut value);
  TBevelCut BevelOuter() const { return FBevelOuter; }
  void SetBevelOuter(TBevelCut value);
  int BevelWidth() const { return FBevelWidth; }
  void SetBevelWidth(int value);
  int BorderWidth() const { return FBorderWidth; }
  void SetBorderWidth(int value);
  // Windows-1251 text.
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& value);
  // With ParentColor the parent's colour (a panel's Color, else its palette's window
  // colour); default clBtnShadow, the palette's dark colour.
  QColor Color() const;
  void SetColor(const QColor& value);
  bool ParentColor() const { return FParentColor; }
  void SetParentColor(bool value);
  // The caption's colour (the font colour of the layouts).
  QColor FontColor() const { return FFontColor; }
  void SetFontColor(const QColor& value);

  // Its own properties.
  int ButtonHeight() const { return FButtonHeight; }
  void SetButtonHeight(int value);
  int ButtonWidth() const { return FButtonWidth; }
  // Also makes the panel ButtonWidth + 2 wide.
  void SetButtonWidth(int value);
  TCoolImages* CoolImages() const { return FCoolImages; }
  void SetCoolImages(TCoolImages* value);
  int idWallpaper() const { return FidWallpaper; }
  void SetidWallpaper(int value);
  const QImage& Wallpaper() const { return FWallpaper; }
  // Copies the image and makes the panel opaque.
  void SetWallpaper(const QImage& value);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool value);
  std::uint8_t TransparencyLevel() const { return FTransparencyLevel; }
  void SetTransparencyLevel(std::uint8_t value);

  // The colour query: Color without an own wallpaper, else the own wallpaper's
  // bottom-left pixel. Store pictures are not consulted.
  QColor BackgroundColor() const;
  // The wallpaper that painting uses (store picture, else own wallpaper), or nullptr.
  const QImage* ChosenWallpaper() const;
  // Paints what the panel's background is (wallpaper, ancestor or colour) with the
  // panel's client origin at `origin` of the painter; transparent children draw their
  // parent's background through it.
  void EraseBackground(QPainter& painter, const QPoint& origin) const;

  // The two scroll buttons of the (never filled) button list; hidden after every paint.
  QToolButton* ScrollUpButton() const { return FScrollUp; }
  QToolButton* ScrollDownButton() const { return FScrollDown; }

  TNotifyEvent OnScrollDown;
  TNotifyEvent OnScrollUp;
  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  TNotifyEvent OnResize;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  void UpdateContentsMargins();
  void PlaceScrollButtons();
  void ScrollChildren(int dy);
  void UpdateScrollButtons();

  TAlignment FAlignment = taCenter;
  TBevelCut FBevelInner = bvNone;
  TBevelCut FBevelOuter = bvLowered;
  int FBevelWidth = 1;
  int FBorderWidth = 0;
  std::string FCaption;
  QColor FColor;
  bool FParentColor = false;
  QColor FFontColor;
  int FButtonHeight = 64;
  int FButtonWidth = 64;
  QPointer<TCoolImages> FCoolImages;
  int FidWallpaper = -1;
  QImage FWallpaper;
  bool FTransparent = false;
  std::uint8_t FTransparencyLevel = 0;
  TCoolChangeLink FChangeLink;
  QMetaObject::Connection FStoreGone;
  std::vector<QWidget*> FButtonList;
  QToolButton* FScrollUp = nullptr;
  QToolButton* FScrollDown = nullptr;
  // A left press on the panel awaits its release: the release over it is a click.
  bool FLeftDown = false;
};

enum TCoolOption {
  ocPaintWallpaper,
  ocPaintSelWallpaper,
  ocPaintCaptionWallpaper,
  ocTileWallpaper,
  ocInvertWallpaperAsSelect,
  ocPaintGradiently,
  ocBevelOnlyIfSel,
  ocUseImageList,
  oc3dMDIForm,
  ocWallpaperForMDIChildren,
  ocGradientForMDIChildren,
  ocNoCaption,
  ocSmallCaption,
  ocNoMDIChildrensCaptions,
  ocDragUsingClientArea,
  ocNoDragUsingCaption,
  ocRoundedForm,
  ocFlatBorder,
  ocPaintFormSemiTransparently,
  ocPaintTransparently
};
using TCoolOptions = TSet<TCoolOption>;

enum TEdgeBorder { ebLeft, ebTop, ebRight, ebBottom };
using TEdgeBorders = TSet<TEdgeBorder>;

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
enum TBorderStyle { bsNone, bsSingle };

// The memo's lines as Windows-1251 text; a last empty line is not counted, as the
// framework's memo counts them.
class TMemoStrings {
 public:
  explicit TMemoStrings(QPlainTextEdit& edit) : FEdit(edit) {}

  int Count() const;
  // Throws EListError for an index outside 0 .. Count() - 1.
  std::string Strings(int index) const;
  std::string operator[](int index) const { return Strings(index); }
  void Add(const std::string& line);
  void Clear();
  void Assign(const TStringList& lines);
  TStringList ToStringList() const;
  // Every line followed by CR LF.
  std::string Text() const;
  void SetText(const std::string& text);

 private:
  QPlainTextEdit& FEdit;
};

// A multi-line edit with an optional painted caption bar, a wallpaper or transparent
// background, edge lines and a flat border. With its defaults it is a plain memo that
// reports the mouse entering and leaving it.
class TCoolMemo : public TSkinControl<QPlainTextEdit> {
  Q_OBJECT

 public:
  explicit TCoolMemo(QWidget* parent = nullptr);
  ~TCoolMemo() override;

  // The framework memo's properties.
  TMemoStrings& Lines() { return FLines; }
  const TMemoStrings& Lines() const { return FLines; }
  void SetLines(const TStringList& value) { FLines.Assign(value); }
  bool ReadOnly() const { return isReadOnly(); }
  void SetReadOnly(bool value) { setReadOnly(value); }
  TScrollStyle ScrollBars() const { return FScrollBars; }
  void SetScrollBars(TScrollStyle value);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool value);
  bool WantTabs() const { return FWantTabs; }
  void SetWantTabs(bool value);
  bool WantReturns() const { return FWantReturns; }
  void SetWantReturns(bool value) { FWantReturns = value; }
  // Kept for the layouts; text here is never typed in another code page.
  bool OEMConvert() const { return FOEMConvert; }
  void SetOEMConvert(bool value) { FOEMConvert = value; }
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle value);
  QColor Color() const { return FColor; }
  void SetColor(const QColor& value);
  QColor FontColor() const { return FFontColor; }
  void SetFontColor(const QColor& value);
  QMenu* PopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(QMenu* value) { FPopupMenu = value; }
  int SelStart() const;
  void SetSelStart(int value);
  int SelLength() const;
  void SetSelLength(int value);

  // Its own properties.
  const QPen& BorderPen() const { return FBorderPen; }
  void SetBorderPen(const QPen& value);
  QColor CaptionColor() const { return FCaptionColor; }
  void SetCaptionColor(const QColor& value);
  QColor CaptionTextColor() const { return FCaptionTextColor; }
  void SetCaptionTextColor(const QColor& value);
  const QImage& CaptionWallpaper() const { return FCaptionWallpaper; }
  void SetCaptionWallpaper(const QImage& value);
  TCoolImages* CoolImages() const { return FCoolImages; }
  void SetCoolImages(TCoolImages* value);
  TEdgeBorders EdgeBorders() const { return FEdgeBorders; }
  void SetEdgeBorders(TEdgeBorders value);
  int idCaptionWallpaper() const { return FidCaptionWallpaper; }
  void SetidCaptionWallpaper(int value);
  int idWallpaper() const { return FidWallpaper; }
  void SetidWallpaper(int value);
  TCoolOptions Options() const { return FOptions; }
  // ocPaintTransparently and ocPaintWallpaper exclude each other: the one newly asked
  // for wins.
  void SetOptions(TCoolOptions value);
  TAlignment TextAlign() const { return FTextAlign; }
  void SetTextAlign(TAlignment value);
  std::uint8_t TransparencyLevel() const { return FTransparencyLevel; }
  void SetTransparencyLevel(std::uint8_t value);
  const QImage& Wallpaper() const { return FWallpaper; }
  void SetWallpaper(const QImage& value);
  // The caption bar's text (Windows-1251), separate from the memo's text.
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& value);

  // The caption bar in widget coordinates; empty with ocNoCaption.
  QRect CaptionRect() const;
  // Store picture or own picture by the wallpaper rule, or nullptr.
  const QImage* ChosenWallpaper() const;
  const QImage* ChosenCaptionWallpaper() const;
  bool MouseInside() const { return FMouseInside; }

  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;
  TNotifyEvent OnChange;
  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;
  TKeyEvent OnKeyDown;
  TKeyEvent OnKeyUp;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;

 private:
  bool TabStaysInside(QKeyEvent* event);
  bool BackgroundMode() const;
  int CaptionHeight() const;
  QFont CaptionFont() const;
  void Reframe();
  void PaintFrame();
  void PaintViewport(QPaintEvent* event);
  void PaintCaptionBar(QPainter& painter) const;
  void PaintFlatBorder(QPainter& painter) const;
  void PaintEdgeLines(QPainter& painter) const;
  bool CaptionMouseEvent(QMouseEvent* event);
  bool SwallowPageKey(int key) const;

  TMemoStrings FLines{*this};
  TScrollStyle FScrollBars = ssNone;
  bool FWordWrap = true;
  bool FWantTabs = false;
  bool FWantReturns = true;
  bool FOEMConvert = false;
  TBorderStyle FBorderStyle = bsSingle;
  QColor FColor;
  QColor FFontColor;
  QMenu* FPopupMenu = nullptr;
  QPen FBorderPen;
  QColor FCaptionColor;
  QColor FCaptionTextColor;
  QImage FCaptionWallpaper;
  QPointer<TCoolImages> FCoolImages;
  TEdgeBorders FEdgeBorders;
  int FidCaptionWallpaper = -1;
  int FidWallpaper = -1;
  TCoolOptions FOptions{ocNoCaption};
  TAlignment FTextAlign = taLeftJustify;
  std::uint8_t FTransparencyLevel = 0;
  QImage FWallpaper;
  std::string FCaption;
  TCoolChangeLink FChangeLink;
  QMetaObject::Connection FStoreGone;
  bool FMouseInside = false;
  bool FDragging = false;
  QPoint FDragStart;
};

// Wallpaper drawing into `rect`: tiled from the rectangle's top-left corner and cut at its
// right and bottom edges, or (untiled) copied from the same coordinates of the picture.
void DrawWallpaper(QPainter& painter, const QImage& wallpaper, const QRect& rect, bool tiled);
// The part of the background of `control`'s ancestor that lies under it: go up `level`
// parents (stopping at a control without a parent), then paint that control's parent's
// background. `surface` is the widget being painted (the control or a child of it).
void DrawTransparentBackground(QPainter& painter, const QWidget& control, const QWidget& surface,
                               int level);
