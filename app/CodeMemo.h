#pragma once

#include "CoolCtrls.h"

// The code area. Its keys and its context menu already keep codes from being copied; on
// X11 a mouse selection would still land in the primary selection and could be dragged
// out, so the text that the memo hands out for its selection is always empty.
class TCodeMemo : public TCoolMemo {
  Q_OBJECT
 public:
  using TCoolMemo::TCoolMemo;

 protected:
  QMimeData* createMimeDataFromSelection() const override;
};
