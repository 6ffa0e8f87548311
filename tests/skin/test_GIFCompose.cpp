// The composed picture of an animation, frame by frame, against pictures worked out by
// hand from the disposal rules: stepping on from the kept picture and composing a frame
// afresh must give the same picture.
#include <gtest/gtest.h>

#include "FuzzReplay.h"
#include "GIFCompose.h"
#include "GIFComposeHarness.h"
#include "GifBuild.h"

using GifBuild::TFrame;
using Rows = std::vector<std::string>;

namespace {

const QColor Yellow(255, 255, 0);

struct TCase {
  const char* Name;
  std::vector<TFrame> Frames;
  std::vector<Rows> Expected;  // per frame, on a 4 x 3 screen
};

const TCase Cases[] = {
    {"frames left in place build up; transparent pixels leave what is beneath",
     {{0, 0, {"0000", "0000", "0000"}}, {1, 1, {"23"}, 1, 0, 3}, {3, 2, {"1"}, 0}},
     {{"RRRR", "RRRR", "RRRR"}, {"RRRR", "RBRR", "RRRR"}, {"RRRR", "RBRR", "RRRG"}}},
    {"a frame restored to the background leaves the fill colour (here the window's)",
     {{0, 0, {"0000", "0000", "0000"}}, {0, 0, {"22", "22"}, 2}, {3, 0, {"1"}}},
     {{"RRRR", "RRRR", "RRRR"}, {"BBRR", "BBRR", "RRRR"}, {"YYRG", "YYRR", "RRRR"}}},
    {"a frame restoring the previous picture is gone from the next one",
     {{0, 0, {"0000", "0000", "0000"}}, {0, 0, {"2"}, 3}, {1, 0, {"1"}}},
     {{"RRRR", "RRRR", "RRRR"}, {"BRRR", "RRRR", "RRRR"}, {"RGRR", "RRRR", "RRRR"}}},
    {"a screen-covering frame with holes, disposed: the background colour fills it",
     {{0, 0, {"2222", "2222", "2222"}}, {0, 0, {"3333", "3113", "3333"}, 2, 0, 3}, {2, 2, {"1"}}},
     {{"BBBB", "BBBB", "BBBB"}, {"BBBB", "BGGB", "BBBB"}, {"RRRR", "RRRR", "RRGR"}}},
    {"a screen-covering frame restoring the previous picture gives back what was beneath",
     {{0, 0, {"0000", "0000", "0000"}}, {0, 0, {"2222", "2222", "2222"}, 3}, {1, 1, {"1"}}},
     {{"RRRR", "RRRR", "RRRR"}, {"BBBB", "BBBB", "BBBB"}, {"RRRR", "RGRR", "RRRR"}}},
    {"an undefined disposal leaves the frame in place",
     {{0, 0, {"0000", "0000", "0000"}}, {0, 0, {"2"}, 4}, {1, 0, {"1"}}},
     {{"RRRR", "RRRR", "RRRR"}, {"BRRR", "RRRR", "RRRR"}, {"BGRR", "RRRR", "RRRR"}}},
};

}  // namespace

TEST(GIFCompose, StepByStepAndAfreshGiveTheHandWorkedPictures) {
  for (const TCase& c : Cases) {
    SCOPED_TRACE(c.Name);
    TGIFImage image;
    GifBuild::Load(image, 4, 3, c.Frames);
    ASSERT_EQ(image.Count(), int(c.Frames.size()));

    TGIFComposer stepping;
    for (int n = 0; n < image.Count(); ++n) {
      EXPECT_EQ(GifBuild::Letters(stepping.Compose(image, n, true, Yellow)), c.Expected[n])
          << "stepping to frame " << n;
      TGIFComposer afresh;
      EXPECT_EQ(GifBuild::Letters(afresh.Compose(image, n, true, Yellow)), c.Expected[n])
          << "frame " << n << " afresh";
    }
  }
}

TEST(GIFCompose, FillColourAndTheTransparentMark) {
  const TFrame blueDot{0, 0, {"2"}};
  const TFrame blueDotWithHole{0, 0, {"2"}, 1, 0, 3};
  struct {
    const char* Name;
    std::vector<TFrame> Frames;
    bool ImageTransparent;
    bool AnimatorTransparent;
    std::string Row;
    TColor Mark;
  } cases[] = {
      {"the shown frame's transparent colour fills and marks",
       {blueDotWithHole},
       true,
       true,
       "BW",
       RGBToColor(255, 255, 255)},
      {"... but marks only for a transparent animator",
       {blueDotWithHole},
       true,
       false,
       "BW",
       clNone},
      {"else the background colour of a transparent picture",
       {blueDot, blueDotWithHole},
       true,
       true,
       "BR",
       clNone},
      {"else the window colour", {blueDot, blueDotWithHole}, false, true, "BY", clNone},
      {"a picture without transparent colours takes the window colour",
       {blueDot},
       true,
       true,
       "BY",
       clNone},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TGIFImage image;
    GifBuild::Load(image, 2, 1, c.Frames);
    image.SetTransparent(c.ImageTransparent);
    TGIFComposer composer;
    EXPECT_EQ(GifBuild::Letters(composer.Compose(image, 0, c.AnimatorTransparent, Yellow)),
              Rows{c.Row});
    EXPECT_EQ(composer.TransparentColor(), c.Mark);
  }
}

TEST(GIFCompose, FramePastTheLastIsTheLastAndTheTransparentCopyCutsTheMark) {
  TGIFImage image;
  GifBuild::Load(image, 2, 1, {{0, 0, {"2"}, 1, 0, 3}, {1, 0, {"1"}}});
  TGIFComposer composer;
  EXPECT_EQ(GifBuild::Letters(composer.Compose(image, 7, true, Yellow)), Rows{"BG"});
  EXPECT_EQ(composer.Index(), 1);

  image.SetFrameIndex(0);
  composer.Clear();
  const QImage& picture = composer.Compose(image, 0, true, Yellow);
  EXPECT_EQ(GifBuild::Letters(WithTransparentColor(picture, composer.TransparentColor())),
            Rows{"B."});
}

TEST(GIFCompose, EveryKeptFuzzInputComposesAsItSteps) {
  ReplayKeptInputs("gif", FuzzComposeGIF);
}
