#include "ActiveFormTracker.h"

bool TActiveFormTracker::FocusChanged(const void* window, bool isModal, bool isPopup) {
  if (window == nullptr || isPopup || window == FActiveForm) return false;
  const bool fromModal = FActiveFormModal;
  FActiveForm = window;
  FActiveFormModal = isModal;
  return window == FMainForm && !fromModal;
}
