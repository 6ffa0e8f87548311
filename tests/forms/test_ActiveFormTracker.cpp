#include <gtest/gtest.h>

#include "ActiveFormTracker.h"

namespace {
int mainForm, splash, about, popup;
}

TEST(ActiveFormTracker, FocusFromAnotherWindowOfTheProgramActivates) {
  TActiveFormTracker tracker(&mainForm);
  EXPECT_FALSE(tracker.FocusChanged(&splash, false, false));
  EXPECT_FALSE(tracker.FocusChanged(nullptr, false, false));  // splash gone
  EXPECT_TRUE(tracker.FocusChanged(&mainForm, false, false));
  EXPECT_EQ(tracker.ActiveForm(), &mainForm);
}

TEST(ActiveFormTracker, ReturningFromAnotherApplicationDoesNot) {
  TActiveFormTracker tracker(&mainForm);
  EXPECT_TRUE(tracker.FocusChanged(&mainForm, false, false));
  EXPECT_FALSE(tracker.FocusChanged(nullptr, false, false));
  EXPECT_FALSE(tracker.FocusChanged(&mainForm, false, false));
}

TEST(ActiveFormTracker, ReturningFromAModalWindowDoesNot) {
  TActiveFormTracker tracker(&mainForm);
  EXPECT_TRUE(tracker.FocusChanged(&mainForm, false, false));
  EXPECT_FALSE(tracker.FocusChanged(&about, true, false));
  EXPECT_FALSE(tracker.FocusChanged(nullptr, false, false));
  EXPECT_FALSE(tracker.FocusChanged(&about, true, false));
  EXPECT_FALSE(tracker.FocusChanged(&mainForm, false, false));
  // A non-modal window of the program in between makes the next return an activation.
  EXPECT_FALSE(tracker.FocusChanged(&splash, false, false));
  EXPECT_TRUE(tracker.FocusChanged(&mainForm, false, false));
}

TEST(ActiveFormTracker, PopupMenusAreNoForms) {
  TActiveFormTracker tracker(&mainForm);
  EXPECT_TRUE(tracker.FocusChanged(&mainForm, false, false));
  EXPECT_FALSE(tracker.FocusChanged(&popup, false, true));
  EXPECT_FALSE(tracker.FocusChanged(&mainForm, false, false));
}
