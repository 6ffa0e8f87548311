#pragma once

#include <memory>

class TFormMain;

namespace StartUp {

// The main window as the program makes it at start. A window whose data cannot be read
// (a banner, a picture) ends the program as a failed catalogue load does: the error box
// with the failure's text, and no window.
std::unique_ptr<TFormMain> CreateMainWindow();

}  // namespace StartUp
