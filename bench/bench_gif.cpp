// GIF decoding against giflib's DGifSlurp, both from memory: a 4000 x 3000 photo-like
// picture in 256 colours and a 200-frame animation, made by Pillow when the run starts.
// "Core" is the Qt-free reader and decoder (palette indices); "Image" is TGIFImage loading
// the file and turning every frame into its bitmap.

#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include <QImage>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

#include "GIFDecoder.h"
#include "GIFReader.h"
#include "RxGIF.h"

namespace {

struct TPictures {
  std::string Large;
  std::string Anim;
};

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

const TPictures& Pictures() {
  static const TPictures pictures = [] {
    const auto dir = std::filesystem::temp_directory_path() / "trickfolio-bench-gif";
    std::filesystem::create_directories(dir);
    const std::string command =
        "/usr/bin/python3 " TRICKFOLIO_SOURCE_DIR "/bench/make_bench_gifs.py " + dir.string();
    if (!std::filesystem::exists(dir / "anim.gif") && std::system(command.c_str()) != 0)
      throw std::runtime_error("Pillow could not make the pictures");
    return TPictures{ReadFile(dir / "large.gif"), ReadFile(dir / "anim.gif")};
  }();
  return pictures;
}

const std::string& Picture(int which) {
  return which == 0 ? Pictures().Large : Pictures().Anim;
}

void Label(benchmark::State& state, const std::string& file) {
  state.SetLabel(state.range(0) == 0 ? "4000x3000 256 colours" : "200 frames 320x240");
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(file.size()));
}

void BM_Core(benchmark::State& state) {
  const std::string& file = Picture(int(state.range(0)));
  for (auto _ : state) {
    const auto gif = ReadGIF(reinterpret_cast<const uint8_t*>(file.data()), file.size());
    for (const auto& item : gif->Frames) {
      const TGIFPixels pixels = DecodeGIFFrame(*item);
      benchmark::DoNotOptimize(pixels.Indices.get());
    }
  }
  Label(state, file);
}

void BM_Image(benchmark::State& state) {
  const std::string& file = Picture(int(state.range(0)));
  for (auto _ : state) {
    TGIFImage image;
    image.LoadFromData(reinterpret_cast<const uint8_t*>(file.data()), file.size());
    for (int i = 0; i < image.Count(); ++i)
      benchmark::DoNotOptimize(image.Frames(i).Bitmap().constBits());
  }
  Label(state, file);
}

struct TMemoryReader {
  const std::string* File;
  size_t Pos = 0;
};

int ReadFromMemory(GifFileType* gif, GifByteType* buffer, int count) {
  auto* reader = static_cast<TMemoryReader*>(gif->UserData);
  const size_t n = std::min(size_t(count), reader->File->size() - reader->Pos);
  std::memcpy(buffer, reader->File->data() + reader->Pos, n);
  reader->Pos += n;
  return int(n);
}

void BM_Giflib(benchmark::State& state) {
  const std::string& file = Picture(int(state.range(0)));
  for (auto _ : state) {
    TMemoryReader reader{&file};
    int error = 0;
    GifFileType* gif = DGifOpen(&reader, ReadFromMemory, &error);
    if (!gif || DGifSlurp(gif) != GIF_OK) {
      state.SkipWithError("giflib could not read the picture");
      break;
    }
    benchmark::DoNotOptimize(gif->SavedImages[0].RasterBits);
    DGifCloseFile(gif, &error);
  }
  Label(state, file);
}

BENCHMARK(BM_Core)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Image)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Giflib)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
