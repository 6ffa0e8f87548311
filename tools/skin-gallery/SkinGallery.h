#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

#include "ImageSwap.h"

class QLabel;
class TabcSplash;
class TCoolBitmapButton;
class TCoolImages;
class TCoolMemo;

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
  // The frame's client panel, where the rest goes.
  QWidget* BuildFrame();
  void BuildHeader(QWidget* client);
  void BuildListColumn(QWidget* body);
  void BuildCodeColumn(QWidget* body);
  void BuildBottomStrip(QWidget* client);
  void BuildAboutStrip(QWidget* client);
  void BuildSplash();

  // A button that swaps its pictures as the windows' buttons do, and lists each swap.
  TCoolBitmapButton* AddButton(QWidget* parent, const char* name, const QPoint& at,
                               const TImageSwap& swap, bool handCursor = true);
  void Log(const QString& text);

  QStringList FEvents;
};
