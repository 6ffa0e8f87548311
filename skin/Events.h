#pragma once

#include <Qt>
#include <functional>

#include "NotifyEvent.h"

// The input events of the controls, declared once; the sender comes first, answers come
// back through reference parameters.
using TMouseEvent = std::function<void(QObject* Sender, Qt::MouseButton Button,
                                       Qt::KeyboardModifiers Shift, int X, int Y)>;
using TMouseMoveEvent =
    std::function<void(QObject* Sender, Qt::KeyboardModifiers Shift, int X, int Y)>;
// Setting Key to 0 swallows the key.
using TKeyEvent = std::function<void(QObject* Sender, int& Key, Qt::KeyboardModifiers Shift)>;
