#pragma once

#include <functional>

// Long work in the core hands control back to the user interface through this hook
// (pending window messages processed). The core has no window system of its own, so
// by default there is nothing to call.
namespace MessageHook {

using TProcessMessages = std::function<void()>;

void SetProcessMessages(TProcessMessages hook);
// Runs the installed hook, if any.
void ProcessMessages();

}  // namespace MessageHook
