#pragma once

// Decides when the main window "becomes the application's active form": focus moving to
// it from another window of this program. The active form survives the program losing
// focus to another application, so coming back from there is no activation; coming back
// from a modal window is none either, because the modal window hands the focus back.
// Popup menus and tooltips never become the active form.
class TActiveFormTracker {
 public:
  explicit TActiveFormTracker(const void* mainForm) : FMainForm(mainForm) {}

  // A window of the program took the focus (nullptr: no window of ours has it). Answers
  // whether this is an activation of the main form.
  bool FocusChanged(const void* window, bool isModal, bool isPopup);

  const void* ActiveForm() const { return FActiveForm; }

 private:
  const void* FMainForm;
  const void* FActiveForm = nullptr;
  bool FActiveFormModal = false;
};
