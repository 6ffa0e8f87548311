// Units, margins, page geometry and device coordinates of the writer.
#include <gtest/gtest.h>

#include <cmath>

#include "ImageWriter.h"

namespace {

TEST(RPBaseUnits, NewWriterStartsWithPublishedDefaults) {
  TImageWriter w;
  EXPECT_EQ(w.FirstPage(), 1);
  EXPECT_EQ(w.LastPage(), 9999);
  EXPECT_EQ(w.StatusFormat(), "Printing page %p");
  EXPECT_EQ(w.StatusText().Count(), 0);
  EXPECT_EQ(w.LineHeightMethod(), lhmLinesPerInch);
  EXPECT_EQ(w.LinesPerInch(), 6);
  EXPECT_EQ(w.Units(), unInch);
  EXPECT_EQ(w.UnitsFactor(), 1.0);
  EXPECT_EQ(w.MarginLeft() + w.MarginRight() + w.MarginTop() + w.MarginBottom(), 0);
  EXPECT_EQ(w.TabShade(), 0);
  EXPECT_EQ(w.Title(), "ReportPrinter Report");
  EXPECT_EQ(w.Copies(), 1);
  EXPECT_EQ(w.Orientation(), poPortrait);
  EXPECT_EQ(w.TextBKMode(), bkTransparent);
  EXPECT_EQ(w.ScaleX(), 100);
  EXPECT_EQ(w.ScaleY(), 100);
  EXPECT_EQ(w.XDPI(), 300);
  EXPECT_EQ(w.CurrentPage(), 0);
  EXPECT_EQ(w.Font().Name, "Arial");
  EXPECT_EQ(w.Font().Size, 10);
  EXPECT_FALSE(w.Printing());
}

TEST(RPBaseUnits, UnitsAndFactorFollowEachOther) {
  struct Case {
    TPrintUnits units;
    double factor;
  };
  for (const Case c :
       {Case{unInch, 1.0}, Case{unMM, 25.4}, Case{unCM, 2.54}, Case{unPoint, 72.0}}) {
    TImageWriter w;
    w.SetUnits(c.units);
    EXPECT_EQ(w.UnitsFactor(), c.factor);
    TImageWriter v;
    v.SetUnitsFactor(c.factor);
    EXPECT_EQ(v.Units(), c.units);
    EXPECT_DOUBLE_EQ(v.UnitsToInches(c.factor * 2), 2.0);
    EXPECT_DOUBLE_EQ(v.InchesToUnits(2.0), c.factor * 2);
  }
  TImageWriter w;
  w.SetUnitsFactor(10);
  EXPECT_EQ(w.Units(), unUser);
  w.SetUnits(unUser);  // keeps the factor
  EXPECT_EQ(w.UnitsFactor(), 10);
  w.SetUnitsFactor(0);
  w.SetUnitsFactor(-3);
  EXPECT_EQ(w.UnitsFactor(), 10);
  w.SetLinesPerInch(0);
  w.SetLinesPerInch(-2);
  EXPECT_EQ(w.LinesPerInch(), 6);
  for (const auto& [given, kept] : {std::pair{-5, 0}, {40, 40}, {150, 100}}) {
    w.SetTabShade(given);
    EXPECT_EQ(w.TabShade(), kept);
  }
}

// Margins of 15, 10, 10, 15 mm on Letter paper with a quarter-inch strip at 300 dpi.
TEST(RPBaseUnits, MarginsAreDistancesFromTheirOwnPaperEdge) {
  TImageWriter w(300, 8.5, 11, 0.25);
  w.SetUnits(unMM);
  w.SetMarginLeft(15);
  w.SetMarginRight(10);
  w.SetMarginTop(10);
  w.SetMarginBottom(15);
  w.OnPrint = [&](QObject*) {
    EXPECT_DOUBLE_EQ(w.PhysLeft(), 0.25);
    EXPECT_DOUBLE_EQ(w.PhysRight(), 0.25);
    EXPECT_NEAR(w.PageWidth(), 215.9, 1e-9);
    EXPECT_NEAR(w.PageHeight(), 279.4, 1e-9);
    EXPECT_NEAR(w.MarginLeftPos(), 15 / 25.4, 1e-12);
    EXPECT_NEAR(w.SectionLeft(), 15, 1e-9);
    EXPECT_NEAR(w.SectionRight(), 205.9, 1e-9);
    EXPECT_NEAR(w.SectionTop(), 10, 1e-9);
    EXPECT_NEAR(w.SectionBottom(), 264.4, 1e-9);
    // The pixel column is counted from the printable area's corner.
    EXPECT_EQ(w.XU2D(15), 102);  // (15/25.4 - 0.25) * 300 = 102.17
    EXPECT_EQ(w.YU2D(10), 43);   // (10/25.4 - 0.25) * 300 = 43.11
    EXPECT_EQ(w.MarginLeft(), 15);
  };
  w.Execute();
}

TEST(RPBaseUnits, WithoutPrinterThePaperIsLetterInInchesWhateverTheUnits) {
  TImageWriter w;
  w.HasPrinter = false;
  w.SetUnits(unMM);
  w.SetMarginRight(10);
  w.SetMarginBottom(15);
  // 8.5 - 10/25.4 inches, not (8.5 - 10)/25.4, which lies left of the paper.
  EXPECT_NEAR(w.MarginRightPos(), 8.5 - 10 / 25.4, 1e-12);
  EXPECT_NEAR(w.MarginBottomPos(), 11 - 15 / 25.4, 1e-12);
  w.OnPrint = [&](QObject*) {
    EXPECT_EQ(w.XDPI(), 96);
    EXPECT_EQ(w.PhysLeft(), 0);
    EXPECT_NEAR(w.PageWidth(), 215.9, 1e-9);
    EXPECT_NEAR(w.SectionRight(), 205.9, 1e-9);
    EXPECT_NEAR(w.SectionBottom(), 264.4, 1e-9);
  };
  w.Execute();
}

TEST(RPBaseUnits, SettingAnEdgePullsTheCursorInside) {
  TImageWriter w(96);
  w.OnPrint = [&](QObject*) {
    w.SetXPos(4);
    w.SetSectionRight(3);
    EXPECT_EQ(w.XPos(), 3);
    w.SetSectionLeft(3.5);
    EXPECT_EQ(w.XPos(), 3.5);
    w.SetYPos(0.2);
    w.SetMarginTop(1);
    EXPECT_EQ(w.YPos(), 1);
    w.SetYPos(9);
    w.SetSectionBottom(5);
    EXPECT_EQ(w.YPos(), 5);
  };
  w.Execute();
}

// Device pixels round half to even, with origin, scale and strip applied.
TEST(RPBaseUnits, DeviceCoordinatesRoundHalfToEven) {
  struct Case {
    double inches;
    double origin;
    double scale;
    int pixel;
  };
  const Case cases[] = {
      {0.5 / 128, 0, 100, 0}, {1.5 / 128, 0, 100, 2}, {2.5 / 128, 0, 100, 2},
      {3.5 / 128, 0, 100, 4}, {1.0, 0, 100, 128},     {1.0, 0.5, 100, 192},
      {1.0, 0, 50, 64},       {0.25, 0, 100, 32},
  };
  for (const Case& c : cases) {
    TImageWriter w(128);
    w.OnPrint = [&](QObject*) {
      w.SetOriginX(c.origin);
      w.SetOriginY(c.origin);
      w.SetScaleX(c.scale);
      w.SetScaleY(c.scale);
      EXPECT_EQ(w.XI2D(c.inches), c.pixel) << c.inches;
      EXPECT_EQ(w.YI2D(c.inches), c.pixel) << c.inches;
      EXPECT_NEAR(w.XD2I(c.pixel),
                  std::nearbyint(c.inches * 128 * c.scale / 100 + c.origin * 128 * c.scale / 100) /
                          (128 * c.scale / 100) -
                      c.origin,
                  1e-12);
    };
    w.Execute();
  }
  TImageWriter strip(100, 8.5, 11, 0.25);
  strip.OnPrint = [&](QObject*) {
    EXPECT_EQ(strip.XI2D(0.25), 0);
    EXPECT_EQ(strip.XI2D(1.0), 75);
    EXPECT_DOUBLE_EQ(strip.XD2I(75), 1.0);
  };
  strip.Execute();
}

}  // namespace
