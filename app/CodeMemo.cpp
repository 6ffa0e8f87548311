#include "CodeMemo.h"

#include <QMimeData>

QMimeData* TCodeMemo::createMimeDataFromSelection() const {
  return new QMimeData;
}
