#include "ImageSwap.h"

#include "CoolBitmapButton.h"
#include "CoolCtrls.h"

void WireImageSwap(TCoolBitmapButton* button, const TCoolImages& store, TImageSwap swap) {
  auto show = [button, &store](int index) {
    button->SetBitmap(store.Bitmaps().Items(index)->Bitmap());
  };
  show(swap.Leave);
  button->OnMoseEnter = [show, swap](QObject*) { show(swap.Enter); };
  button->OnMouseLeave = [show, swap](QObject*) { show(swap.Leave); };
  button->OnMouseDown = [show, swap](QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
    show(swap.Down);
  };
  button->OnMouseUp = [show, swap](QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
    show(swap.Up);
  };
}
