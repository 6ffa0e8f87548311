#pragma once

#include "ImageSwap.h"

// Where the skin's pictures lie and how the windows sit on them: the index of every picture
// in the two image stores, the size of each, and the places on the frame and the strips
// that the button pictures are cut for. The windows, the skin gallery and the artwork's
// generator (resources/generate.py) all take them from here.
//
// The generator reads the `constexpr int` lines and the `TImageSwap` and size tables of this
// file as text: keep each of those values a plain decimal number.
namespace SkinMap {

struct TSkinSize {
  int Width;
  int Height;
};

// ---- CoolImages1: the wallpapers and the buttons

inline constexpr int Images1Count = 35;

inline constexpr int idBottomStrip = 0;    // the 52-pixel bottom strips of both windows
inline constexpr int idHeading = 5;        // the headings over the game list and the codes
inline constexpr int idSearchStrip = 6;    // the search box's strip
inline constexpr int idHeaderStrip = 9;    // the header, behind the picture and the banners
inline constexpr int idStripDivider = 25;  // between the bottom strip's two halves

// The pictures a button shows as the mouse leaves, enters, presses and releases it: the
// first three are its normal, hover and pressed pictures.
inline constexpr TImageSwap BackButton{1, 2, 7, 2};
inline constexpr TImageSwap ForwardButton{3, 4, 8, 4};
inline constexpr TImageSwap CloseButton{10, 11, 12, 11};
inline constexpr TImageSwap UpdateButton{13, 14, 15, 13};
inline constexpr TImageSwap MinimiseButton{16, 17, 18, 17};
inline constexpr TImageSwap MaximiseButton{19, 20, 21, 20};
inline constexpr TImageSwap TitleCloseButton{22, 23, 24, 23};
inline constexpr TImageSwap AboutButton{26, 27, 28, 26};
inline constexpr TImageSwap PrintButton{29, 30, 31, 29};
inline constexpr TImageSwap AboutCloseButton{32, 33, 34, 32};

inline constexpr TSkinSize Images1Sizes[Images1Count] = {
    {1, 52},                                    // 0 bottom strip
    {38, 38},  {38, 38},  {38, 38},  {38, 38},  // 1-4 back, forward: normal, hover
    {1, 26},                                    // 5 heading
    {1, 32},                                    // 6 search strip
    {38, 38},  {38, 38},                        // 7-8 back, forward: pressed
    {1, 79},                                    // 9 header strip
    {65, 22},  {65, 22},  {65, 22},             // 10-12 close
    {160, 22}, {160, 22}, {160, 22},            // 13-15 update
    {21, 21},  {21, 21},  {21, 21},             // 16-18 minimise
    {21, 21},  {21, 21},  {21, 21},             // 19-21 maximise
    {21, 21},  {21, 21},  {21, 21},             // 22-24 title-bar close
    {7, 52},                                    // 25 strip divider
    {22, 22},  {22, 22},  {22, 22},             // 26-28 About
    {22, 22},  {22, 22},  {22, 22},             // 29-31 print
    {74, 22},  {74, 22},  {74, 22},             // 32-34 About window's close
};

// ---- CoolImages2: the window frame

inline constexpr int Images2Count = 9;

inline constexpr int idTitleLeft = 0;
inline constexpr int idTitleMiddle = 1;  // tiled
inline constexpr int idTitleRight = 2;   // with room for the three title-bar buttons
inline constexpr int idRightEdgeTop = 3;
inline constexpr int idRightEdge = 4;  // tiled
inline constexpr int idBottomRight = 5;
inline constexpr int idBottomEdge = 6;  // tiled
inline constexpr int idBottomLeft = 7;
inline constexpr int idLeftEdge = 8;  // tiled

inline constexpr TSkinSize Images2Sizes[Images2Count] = {
    {6, 27},    // 0 title bar, left end
    {1, 27},    // 1 title bar, middle
    {102, 27},  // 2 title bar, right end
    {6, 8},     // 3 right edge, top
    {6, 1},     // 4 right edge
    {6, 6},     // 5 bottom-right corner
    {1, 6},     // 6 bottom edge
    {6, 6},     // 7 bottom-left corner
    {6, 1},     // 8 left edge
};

// ---- The frame's geometry, from its pieces

inline constexpr int TitleBarHeight = Images2Sizes[idTitleMiddle].Height;
inline constexpr int TitleRightWidth = Images2Sizes[idTitleRight].Width;
inline constexpr int RightEdgeTopHeight = Images2Sizes[idRightEdgeTop].Height;
inline constexpr int EdgeWidth = Images2Sizes[idLeftEdge].Width;
inline constexpr int BottomEdgeHeight = Images2Sizes[idBottomEdge].Height;

// ---- Where the buttons sit, so that each picture carries what lies behind it

// The title-bar buttons, on the title bar's right end.
inline constexpr int TitleButtonTop = 3;
inline constexpr int MinimiseLeft = 27;
inline constexpr int MaximiseLeft = 51;
inline constexpr int TitleCloseLeft = 75;

// On the bottom strip: back and forward, then the buttons of the strip's right half; the
// About window's close button on its own strip.
inline constexpr int BackLeft = 9;
inline constexpr int BackTop = 8;
inline constexpr int ForwardLeft = 57;
inline constexpr int ForwardTop = 7;
inline constexpr int StripButtonTop = 18;
inline constexpr int AboutStripButtonTop = 15;

}  // namespace SkinMap
