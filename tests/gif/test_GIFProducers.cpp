// Pictures from real producers (Pillow, ImageMagick, giflib), each frame compared with the
// producer's own reading of the same file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "GIFDecoder.h"
#include "GIFReader.h"
#include "ZipTestKit.h"

namespace {

namespace fs = std::filesystem;
using ziptest::ReadFile;
using ziptest::RunTool;
using ziptest::TRunResult;
using ziptest::TTempDir;

struct TRefFrame {
  int Left, Top, Width, Height, Interlaced, Delay, Disposal, Transparent;
  std::string Kind;
  std::string Pixels;  // raw bytes
};

struct TReference {
  std::string Loop;
  std::string Comment;
  std::vector<TRefFrame> Frames;
};

std::string FromHex(const std::string& hex) {
  std::string bytes;
  for (size_t i = 0; i + 1 < hex.size(); i += 2)
    bytes += char(std::stoi(hex.substr(i, 2), nullptr, 16));
  return bytes;
}

TReference ReadReference(const fs::path& path) {
  TReference ref;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream words(line);
    std::string key;
    words >> key;
    if (key == "loop") {
      words >> ref.Loop;
    } else if (key == "comment") {
      std::string hex;
      words >> hex;
      ref.Comment = FromHex(hex);
    } else if (key == "frame") {
      TRefFrame f;
      words >> f.Left >> f.Top >> f.Width >> f.Height >> f.Interlaced >> f.Delay >> f.Disposal >>
          f.Transparent >> f.Kind;
      std::getline(in, line);
      f.Pixels = FromHex(line);
      ref.Frames.push_back(std::move(f));
    }
  }
  return ref;
}

// What our decoder gives, in the reference's form.
std::string Decoded(const TGIFItem& item, const std::string& kind) {
  const TGIFPixels pixels = DecodeGIFFrame(item);
  EXPECT_FALSE(pixels.Corrupted);
  const size_t count = size_t(item.Width) * size_t(item.Height);
  std::string out;
  for (size_t i = 0; i < count; ++i) {
    const uint8_t index = pixels.Indices.get()[i];
    if (kind == "idx") {
      out += char(index);
    } else {
      const TColor color = item.ColorTable->Color(index);
      out += {char(ColorRed(color)), char(ColorGreen(color)), char(ColorBlue(color))};
    }
  }
  return out;
}

void CheckAgainstReference(const std::string& file, const TReference& ref) {
  const auto gif = ReadGIF(reinterpret_cast<const uint8_t*>(file.data()), file.size());
  if (ref.Loop == "none") {
    EXPECT_FALSE(gif->Looping);
  } else {
    EXPECT_TRUE(gif->Looping);
    EXPECT_EQ(gif->RepeatCount, std::stoi(ref.Loop));
  }
  ASSERT_EQ(gif->Frames.size(), ref.Frames.size());
  for (size_t i = 0; i < ref.Frames.size(); ++i) {
    SCOPED_TRACE("frame " + std::to_string(i));
    const TGIFItem& item = *gif->Frames[i];
    const TRefFrame& expected = ref.Frames[i];
    EXPECT_EQ(item.Left, expected.Left);
    EXPECT_EQ(item.Top, expected.Top);
    EXPECT_EQ(item.Width, expected.Width);
    EXPECT_EQ(item.Height, expected.Height);
    EXPECT_EQ(item.Interlaced, expected.Interlaced != 0);
    EXPECT_EQ(item.Delay, expected.Delay);
    EXPECT_EQ(item.Disposal, expected.Disposal);
    if (expected.Transparent != -2) {
      EXPECT_EQ(item.TransparentColor, item.ColorTable->Color(expected.Transparent));
    }
    EXPECT_TRUE(Decoded(item, expected.Kind) == expected.Pixels) << "pixels differ";
  }
  if (!ref.Comment.empty()) {
    bool found = false;
    for (const TExtension& extension : gif->Frames[0]->Extensions) {
      std::string text;
      for (const std::string& block : extension.Data.Lines()) text += block;
      found |= extension.Kind == etComment && text == ref.Comment;
    }
    EXPECT_TRUE(found) << "comment " << ref.Comment;
  }
}

TEST(GIFProducers, EveryFrameMatchesTheProducersOwnReading) {
  const TTempDir dir;
  const std::string script = std::string(TRICKFOLIO_SOURCE_DIR) + "/tests/gif/producers.py";
  const TRunResult run = RunTool({"/usr/bin/python3", script, dir.Path()});
  ASSERT_EQ(run.ExitCode, 0) << run.Err;
  int files = 0;
  for (const auto& entry : fs::directory_iterator(dir.Path())) {
    if (entry.path().extension() != ".ref") continue;
    SCOPED_TRACE(entry.path().stem().string());
    fs::path gif = entry.path();
    gif.replace_extension(".gif");
    CheckAgainstReference(ReadFile(gif.string()), ReadReference(entry.path()));
    ++files;
  }
  EXPECT_EQ(files, 12);
}

}  // namespace
