#pragma once

#include <functional>

class QObject;

// The plain event of every component with a window - skin, report engine, viewer: who
// sent it, nothing more. Declared here, below all of them, once; the sender is only named,
// so the core still builds without the windowing library.
using TNotifyEvent = std::function<void(QObject* Sender)>;
