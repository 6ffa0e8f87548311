#pragma once

#include <QString>

class QWidget;

// The save dialog of the setup window's browse button: every file shown, and a name is
// taken only in a folder that exists, not when it is a read-only file, and after asking
// whether to replace a file that exists. Returns the chosen path, empty on Cancel.
QString RunSaveFileDialog(QWidget* parent, const QString& start);
