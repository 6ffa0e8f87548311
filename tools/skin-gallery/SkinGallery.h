#pragma once

#include <QImage>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <memory>

class QLabel;
class TabcSplash;
class TCoolBitmapButton;
class TCoolImages;
class TCoolMemo;
class TCoolPanel;

// The images a bitmap button shows for its four mouse events, as indices into CoolImages1.
struct TImageSwap {
  int Leave;
  int Enter;
  int Down;
  int Up;
};

// One frameless window that shows every skinned control with the product's own artwork, laid
// out like the main window (frame, header, headings, memo, bottom strip) plus the About
// window's strip, so that a person can judge the look: hover and press the buttons, hover and
// click the links, open the splash with the information button.
class TFormGallery : public QWidget {
  Q_OBJECT

 public:
  static constexpr int ClientWidth = 777;
  static constexpr int ClientHeight = 520;

  // Throws Exception when a store image or picture is missing from the resources.
  explicit TFormGallery(QWidget* parent = nullptr);
  ~TFormGallery() override;

  TCoolImages* CoolImages1 = nullptr;
  TCoolImages* CoolImages2 = nullptr;
  TCoolMemo* CoolMemo1 = nullptr;
  TabcSplash* abcSplash1 = nullptr;
  QLabel* EventLog = nullptr;

  // The button of that name, or nullptr.
  TCoolBitmapButton* Button(const QString& name) const;

 private:
  void LoadStores();
  void BuildFrame();
  void BuildHeader();
  void BuildListColumn(QWidget* body);
  void BuildCodeColumn(QWidget* body);
  void BuildBottomStrip();
  void BuildAboutStrip();
  void BuildSplash();

  TCoolPanel* AddPanel(QWidget* parent, const char* name, const QRect& bounds, TCoolImages* store,
                       int idWallpaper);
  TCoolPanel* AddPlainPanel(QWidget* parent, const char* name, const QRect& bounds);
  TCoolBitmapButton* AddButton(QWidget* parent, const char* name, const QPoint& at,
                               const TImageSwap& swap, bool handCursor = true);
  const QImage& Image1(int index) const;
  void Log(const QString& text);

  QStringList FEvents;
};
