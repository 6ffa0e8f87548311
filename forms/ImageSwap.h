#pragma once

class TCoolBitmapButton;
class TCoolImages;

// Which picture of the skin store a bitmap button shows as the mouse leaves, enters,
// presses and releases it. The button starts with its Leave picture.
struct TImageSwap {
  int Leave;
  int Enter;
  int Down;
  int Up;
};

// Gives `button` its normal picture and the four handlers that swap it. The press and
// release handlers do not look at which mouse button was used.
void WireImageSwap(TCoolBitmapButton* button, const TCoolImages& store, TImageSwap swap);
