#include "MessageHook.h"

#include <utility>

namespace MessageHook {
namespace {
TProcessMessages& Hook() {
  static TProcessMessages hook;
  return hook;
}
}  // namespace

void SetProcessMessages(TProcessMessages hook) { Hook() = std::move(hook); }

void ProcessMessages() {
  if (Hook()) Hook()();
}

}  // namespace MessageHook
