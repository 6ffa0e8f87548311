#pragma once

#include <QListWidget>
#include <string>
#include <vector>

#include "Events.h"

// The game list. Its click event comes from the user only - a left click on an item, a
// left drag that moved the selection, or a keyboard move of the selection - never from
// the program selecting an item, and key releases are reported with the key's code (13
// for Enter). Other mouse buttons leave the selection alone, so the selected game is
// always the one shown.
class TGameListBox : public QListWidget {
  Q_OBJECT
 public:
  explicit TGameListBox(QWidget* parent = nullptr);

  int ItemIndex() const { return currentRow(); }
  void SetItemIndex(int index);
  void SetItemHeight(int pixels);
  // Replaces all items at once (Windows-1251 texts).
  void SetItems(const std::vector<std::string>& items);

  TNotifyEvent OnClick;
  TKeyEvent OnKeyUp;

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;

 private:
  void Click();

  // The row at the last left press; -2 when no left press awaits its release.
  int FPressedRow = -2;
};
