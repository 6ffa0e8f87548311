#pragma once

#include <QString>
#include <string>

class TGIFImage;

// What gif-frames prints and writes for a picture the viewer has loaded.
namespace FrameReport {

// The report's lines, one item each, ending in a newline.
std::string Describe(const TGIFImage& image);

// Per frame I: `frame-III.png`, the decoded bitmap in its own rectangle, and
// `screen-III.png`, the animator's picture for that frame (transparent colours shown
// transparently, the window colour white), its transparent colour written with alpha 0.
// A picture without pixels (a frame or screen of width or height 0, which a file may
// declare) is not written: a line on stderr says so, and the run still succeeds.
// Throws Exception when a file cannot be written.
void WritePictures(const TGIFImage& image, const QString& folder);

}  // namespace FrameReport
