// The reader on hand-built streams: what producers will not write.
#include <gtest/gtest.h>

#include "Codepage.h"
#include "GIFBuilder.h"
#include "GIFDecoder.h"
#include "GIFMessages.h"
#include "GIFReader.h"

using namespace gifbuild;

namespace {

std::shared_ptr<const TGIFData> Read(const std::string& bytes) {
  return ReadGIF(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

std::string Utf8Message(const std::string& bytes) {
  try {
    Read(bytes);
  } catch (const EGIFError& error) {
    return Codepage::Cp1251ToUtf8(error.Message());
  }
  return "(loaded)";
}

const std::vector<uint8_t> kFour = {0, 1, 2, 3};
const std::string kPicture = Frame(0, 0, 2, 2, kFour) + ";";

struct TFailure {
  const char* Name;
  std::string Bytes;
  const char* Message;  // UTF-8
};

TEST(GIFReader, FailuresGiveTheirMessages) {
  const TFailure cases[] = {
      {"version 88a", Header(2, 2, 2, 0, "GIF88a") + kPicture,
       "Неизвестная версия изображения GIF"},
      {"not a GIF", Header(2, 2, 2, 0, "GIT89a") + kPicture, "Неизвестная версия изображения GIF"},
      {"empty file", "", "Stream read error"},
      {"cut screen descriptor", std::string("GIF89a\x02\x00", 8), "Stream read error"},
      {"cut global table", Header(2, 2, 2).substr(0, 20), "Stream read error"},
      {"unknown label", Header(2, 2) + "!\x7F\x00" + kPicture, "Неопределенное расширение GIF: 7f"},
      {"unknown label 0x0A", Header(2, 2) + "!\x0A\x00" + kPicture,
       "Неопределенное расширение GIF: 0a"},
      {"junk after trailing extension",
       Header(2, 2) + Frame(0, 0, 2, 2, kFour) + Comment("c") + "X", "Stream read error"},
      {"junk before any image", Header(2, 2) + "X" + kPicture, "Stream read error"},
      {"cut image descriptor", Header(2, 2) + ",\x00\x00", "Stream read error"},
      {"screen over 2^26 pixels", Header(8193, 8193) + kPicture, "Изображение GIF слишком велико"},
      {"frame raising the screen over 2^26", Header(2, 2) + Frame(65535, 1100, 1, 1, {0}) + ";",
       "Изображение GIF слишком велико"},
      {"frames together over 2^26 pixels",
       Header(8192, 8192) + Image(0, 0, 8192, 8192, ImageData({0}, 2)) +
           Image(0, 0, 8192, 1, ImageData({0}, 2)) + ";",
       "Изображение GIF слишком велико"},
  };
  for (const TFailure& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(Utf8Message(c.Bytes), c.Message);
  }
}

struct TSignature {
  const char* Signature;
  TGIFVersion Version;
};

TEST(GIFReader, SignatureAndVersionIgnoreCase) {
  const TSignature cases[] = {
      {"GIF89a", gv89a}, {"gif89a", gv89a}, {"GiF87A", gv87a}, {"gif87a", gv87a}};
  for (const TSignature& c : cases) {
    SCOPED_TRACE(c.Signature);
    EXPECT_EQ(Read(Header(2, 2, 2, 0, c.Signature) + kPicture)->Version, c.Version);
  }
}

TEST(GIFReader, ScreenCoversFramesAndZeroSizesTakeTheScreen) {
  const auto data = Read(Header(10, 6) + Frame(0, 0, 0, 0, std::vector<uint8_t>(60, 1)) +
                         Frame(8, 4, 5, 3, std::vector<uint8_t>(15, 2)) + ";");
  ASSERT_EQ(data->Frames.size(), 2u);
  EXPECT_EQ(data->Frames[0]->Width, 10);
  EXPECT_EQ(data->Frames[0]->Height, 6);
  EXPECT_EQ(data->ScreenWidth, 13);
  EXPECT_EQ(data->ScreenHeight, 7);
}

TEST(GIFReader, BackgroundColorNeedsAGlobalTableEntry) {
  EXPECT_EQ(Read(Header(2, 2, 2, 3) + kPicture)->BackgroundColor, RGBToColor(3, 6, 9));
  EXPECT_EQ(Read(Header(2, 2, 2, 4) + kPicture)->BackgroundColor, clNone);
  EXPECT_EQ(Read(Header(2, 2, 0, 0) + kPicture)->BackgroundColor, clNone);
}

struct TControls {
  const char* Name;
  std::string Extensions;
  uint16_t Delay;
  int Disposal;
  TColor Transparent;
  size_t Kept;
};

TEST(GIFReader, ExtensionsBeforeAnImage) {
  const TControls cases[] = {
      {"none", "", 0, 0, clNone, 0},
      {"two controls: largest delay, last disposal", GraphicControl(1, 5) + GraphicControl(2, 12),
       120, 2, clNone, 2},
      {"transparent index inside the table", GraphicControl(3, 0, 2), 0, 3, RGBToColor(2, 4, 6), 1},
      {"transparent index outside the table", GraphicControl(0, 0, 9), 0, 0, clNone, 1},
      {"delay saturates instead of wrapping", GraphicControl(0, 10000), 65535, 0, clNone, 1},
      {"largest 16-bit delay", GraphicControl(0, 6553), 65530, 0, clNone, 1},
      {"comment kept with the controls", Comment("hi") + GraphicControl(0, 7), 70, 0, clNone, 2},
      {"plain text drops what was gathered", GraphicControl(2, 50) + Comment("x") + PlainText(), 0,
       0, clNone, 0},
      {"controls after plain text count", PlainText() + GraphicControl(2, 3), 30, 2, clNone, 1},
      {"application extension is not kept", Application("NETSCAPE2.0", "\x01\x00\x00"), 0, 0,
       clNone, 0},
  };
  for (const TControls& c : cases) {
    SCOPED_TRACE(c.Name);
    const auto data = Read(Header(2, 2) + c.Extensions + kPicture);
    ASSERT_EQ(data->Frames.size(), 1u);
    const TGIFItem& frame = *data->Frames[0];
    EXPECT_EQ(frame.Delay, c.Delay);
    EXPECT_EQ(frame.Disposal, c.Disposal);
    EXPECT_EQ(frame.TransparentColor, c.Transparent);
    EXPECT_EQ(frame.Extensions.size(), c.Kept);
  }
}

struct TLoop {
  const char* Name;
  std::string Extension;
  bool Looping;
  int RepeatCount;
};

TEST(GIFReader, LoopExtension) {
  const TLoop cases[] = {
      {"forever", Application("NETSCAPE2.0", std::string("\x01\x00\x00", 3)), true, 0},
      {"five times", Application("NETSCAPE2.0", std::string("\x01\x05\x00", 3)), true, 5},
      {"other identifier", Application("ANIMEXTS1.0", std::string("\x01\x07\x00", 3)), true, 7},
      {"capped at 30000", Application("NETSCAPE2.0", std::string("\x01\xFF\xFF", 3)), true, 30000},
      {"first byte not 1", Application("NETSCAPE2.0", std::string("\x02\x05\x00", 3)), false, 1},
      {"sub-block too short", Application("NETSCAPE2.0", std::string("\x01\x05", 2)), false, 1},
      {"unknown application", Application("XMP DataXMP", std::string("\x01\x05\x00", 3)), false, 1},
  };
  for (const TLoop& c : cases) {
    SCOPED_TRACE(c.Name);
    const auto data = Read(Header(2, 2) + c.Extension + kPicture);
    EXPECT_EQ(data->Looping, c.Looping);
    EXPECT_EQ(data->RepeatCount, c.RepeatCount);
  }
}

TEST(GIFReader, CommentsAfterTheLastImageBecomeTheComment) {
  const auto data = Read(Header(2, 2) + Comment("before") + Frame(0, 0, 2, 2, kFour) +
                         Comment("first") + GraphicControl(0, 1) + Comment("second") + ";");
  EXPECT_EQ(data->Comment, (TStringList{"first", "", "second"}));
  ASSERT_EQ(data->Frames[0]->Extensions.size(), 1u);
  EXPECT_EQ(data->Frames[0]->Extensions[0].Data, TStringList{"before"});
}

struct TEnding {
  const char* Name;
  std::string Tail;
  size_t Frames;
};

TEST(GIFReader, WhereReadingEnds) {
  const std::string frame = Frame(0, 0, 2, 2, kFour);
  const TEnding cases[] = {
      {"trailer", frame + ";" + frame, 1},
      {"zero introducer", std::string(1, '\0') + frame, 0},
      {"zero bytes between images are skipped", frame + std::string(3, '\0') + frame + ";", 2},
      {"end of data after an image", frame + frame, 2},
      {"end of data after an extension", frame + Comment("end"), 1},
      {"junk after an image ends quietly", frame + "X" + frame, 1},
  };
  for (const TEnding& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(Read(Header(2, 2) + c.Tail)->Frames.size(), c.Frames);
  }
}

TEST(GIFReader, ImageDataIsKeptAsReadAndCutFilesMarkTheFrame) {
  const std::string data = ImageData(kFour, 2);
  const auto whole = Read(Header(2, 2) + Image(0, 0, 2, 2, data) + ";");
  EXPECT_EQ(whole->Frames[0]->ImageData, data);
  EXPECT_FALSE(whole->Frames[0]->Corrupted);

  const std::string cut = Header(2, 2) + Image(0, 0, 2, 2, data.substr(0, 3));
  const auto partial = Read(cut);
  ASSERT_EQ(partial->Frames.size(), 1u);
  EXPECT_TRUE(partial->Frames[0]->Corrupted);
  // The cut sub-block keeps its length byte and the one byte that arrived.
  EXPECT_EQ(partial->Frames[0]->ImageData, data.substr(0, 3));
}

TEST(GIFReader, LocalTableOrACopyOfTheGlobalOne) {
  const std::string local = Header(2, 2, 1) + ',' + Word(0) + Word(0) + Word(2) + Word(2) +
                            char(0x81) + std::string(12, '\x7F') + ImageData(kFour, 2) + ";";
  const auto withLocal = Read(local);
  EXPECT_TRUE(withLocal->Frames[0]->LocalColorTable);
  EXPECT_EQ(withLocal->Frames[0]->BitsPerPixel, 2);
  EXPECT_EQ(withLocal->Frames[0]->ColorTable->Color(3), RGBToColor(0x7F, 0x7F, 0x7F));

  const auto global = Read(Header(2, 2, 1) + kPicture);
  EXPECT_FALSE(global->Frames[0]->LocalColorTable);
  EXPECT_EQ(global->Frames[0]->BitsPerPixel, 1);
  EXPECT_EQ(global->Frames[0]->ColorTable->Count, 2);
}

}  // namespace
