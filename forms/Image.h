#pragma once

#include <QWidget>

#include "Picture.h"
#include "SkinControl.h"

// A picture on a window, drawn at its natural size from the top-left corner. With
// Transparent the parent shows where the picture does not reach.
class TImage : public TSkinControl<QWidget> {
  Q_OBJECT
 public:
  explicit TImage(QWidget* parent = nullptr);

  const TPicture& Picture() const { return FPicture; }
  // Keeps a copy.
  void SetPicture(const TPicture& value);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool value);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  TPicture FPicture;
  bool FTransparent = false;
};
