#include <gtest/gtest.h>

#include <QWidget>

#include "AlignLayout.h"

namespace {

QWidget* Child(QWidget* parent, int x, int y, int w, int h) {
  auto* child = new QWidget(parent);
  child->setGeometry(x, y, w, h);
  return child;
}

}  // namespace

TEST(AlignLayout, SidesTakeTheirShareInOrderAndTheClientTheRest) {
  QWidget parent;
  parent.resize(200, 100);
  auto* layout = new TAlignLayout(&parent);
  QWidget* client = Child(&parent, 0, 0, 10, 10);
  QWidget* left = Child(&parent, 0, 0, 30, 10);
  QWidget* top = Child(&parent, 0, 0, 10, 20);
  QWidget* bottom = Child(&parent, 0, 0, 10, 15);
  QWidget* right = Child(&parent, 0, 0, 25, 10);
  layout->Add(client, alClient);
  layout->Add(left, alLeft);
  layout->Add(top, alTop);
  layout->Add(bottom, alBottom);
  layout->Add(right, alRight);
  layout->setGeometry(QRect(0, 0, 200, 100));
  EXPECT_EQ(top->geometry(), QRect(0, 0, 200, 20));
  EXPECT_EQ(bottom->geometry(), QRect(0, 85, 200, 15));
  EXPECT_EQ(left->geometry(), QRect(0, 20, 30, 65));
  EXPECT_EQ(right->geometry(), QRect(175, 20, 25, 65));
  EXPECT_EQ(client->geometry(), QRect(30, 20, 145, 65));

  left->setMaximumWidth(40);
  left->resize(60, 65);  // clamped, as a constraint would
  bottom->hide();
  layout->setGeometry(QRect(0, 0, 300, 120));
  EXPECT_EQ(left->geometry(), QRect(0, 20, 40, 100));
  EXPECT_EQ(client->geometry(), QRect(40, 20, 235, 100));
}

TEST(AlignLayout, AnchorsFollowTheParentsEdges) {
  QWidget parent;
  parent.resize(200, 100);
  auto* layout = new TAlignLayout(&parent);
  QWidget* fixed = Child(&parent, 10, 10, 20, 20);
  QWidget* right = Child(&parent, 150, 10, 40, 20);
  QWidget* stretched = Child(&parent, 10, 40, 180, 20);
  QWidget* centred = Child(&parent, 50, 30, 100, 40);
  layout->Add(fixed, alNone);
  layout->Add(right, alNone, akTop | akRight);
  layout->Add(stretched, alNone, akLeft | akTop | akRight);
  layout->Add(centred, alNone, 0);
  layout->setGeometry(QRect(0, 0, 400, 200));
  EXPECT_EQ(fixed->geometry(), QRect(10, 10, 20, 20));
  EXPECT_EQ(right->geometry(), QRect(350, 10, 40, 20));
  EXPECT_EQ(stretched->geometry(), QRect(10, 40, 380, 20));
  EXPECT_EQ(centred->geometry(), QRect(150, 80, 100, 40));
}

// A control without anchors keeps its centre at the same share of its parent; the scaled
// centre is rounded, halves away from zero, as the framework's MulDiv does.
TEST(AlignLayout, AnUnanchoredControlsCentreIsRounded) {
  const struct {
    int parentWidth, x;
  } cases[] = {{203, 102 - 50}, {201, 101 - 50}, {199, 100 - 50}, {150, 75 - 50}, {302, 151 - 50}};
  for (const auto& c : cases) {
    QWidget parent;
    parent.resize(200, 100);
    auto* layout = new TAlignLayout(&parent);
    QWidget* centred = Child(&parent, 50, 30, 100, 40);  // centre 100
    layout->Add(centred, alNone, 0);
    layout->setGeometry(QRect(0, 0, c.parentWidth, 100));
    EXPECT_EQ(centred->x(), c.x) << c.parentWidth;
  }
}
