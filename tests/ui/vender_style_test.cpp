#include "ui/vender_style.h"

#include <gtest/gtest.h>

namespace qx {
namespace {

TEST(VenderStyle, ShorterThanEightCharactersIsNoStyle) {
  EXPECT_FALSE(ParseVenderStyle(""));
  EXPECT_FALSE(ParseVenderStyle("2120"));
  EXPECT_FALSE(ParseVenderStyle("2120090"));
  EXPECT_TRUE(ParseVenderStyle("21200904"));
}

TEST(VenderStyle, ArialBoldTwentyPointsLightBlueOnDarkRed) {
  auto style = ParseVenderStyle("21200904");
  ASSERT_TRUE(style);
  EXPECT_EQ(style->face, "Arial");
  EXPECT_TRUE(style->bold);
  EXPECT_FALSE(style->italic);
  EXPECT_EQ(style->points, 20);
  EXPECT_EQ(*style->titleColour, QColor(0, 0, 255));
  EXPECT_EQ(*style->systemColour, QColor(128, 0, 0));
}

TEST(VenderStyle, TimesRegularKeepsSizeAndMakesBothBlack) {
  auto style = ParseVenderStyle("10000000");
  ASSERT_TRUE(style);
  EXPECT_EQ(style->face, "Times New Roman");
  EXPECT_FALSE(style->bold);
  EXPECT_FALSE(style->italic);
  EXPECT_EQ(style->points, 0);
  EXPECT_EQ(*style->titleColour, QColor(0, 0, 0));
  EXPECT_EQ(*style->systemColour, QColor(0, 0, 0));
}

TEST(VenderStyle, UnassignedFaceKeepsDesignFaceButAppliesBoldItalicAndSize) {
  auto style = ParseVenderStyle("33120000");
  ASSERT_TRUE(style);
  EXPECT_TRUE(style->face.isEmpty());
  EXPECT_TRUE(style->bold);
  EXPECT_TRUE(style->italic);
  EXPECT_EQ(style->points, 12);
}

TEST(VenderStyle, SlantOtherThanZeroToThreeIsNeitherBoldNorItalic) {
  for (const char* code : {"2500 0 0", "2x000000", "29000000"}) {
    auto style = ParseVenderStyle(code);
    ASSERT_TRUE(style) << code;
    EXPECT_FALSE(style->bold) << code;
    EXPECT_FALSE(style->italic) << code;
  }
  EXPECT_TRUE(ParseVenderStyle("22000000")->italic);
}

TEST(VenderStyle, SizeOfZerosOrBlanksKeepsTheDesignSize) {
  EXPECT_EQ(ParseVenderStyle("21000000")->points, 0);
  EXPECT_EQ(ParseVenderStyle("21  0000")->points, 0);
  EXPECT_EQ(ParseVenderStyle("21 90000")->points, 9);
}

TEST(VenderStyle, ColourFieldsWithoutPaletteEntryAreIgnored) {
  auto style = ParseVenderStyle("2120-120");
  ASSERT_TRUE(style);
  EXPECT_FALSE(style->titleColour);
  EXPECT_FALSE(style->systemColour);
  style = ParseVenderStyle("212016  ");
  EXPECT_FALSE(style->titleColour);
  EXPECT_EQ(*style->systemColour, QColor(0, 0, 0));  // two blanks read as 0
  style = ParseVenderStyle("2120 715extra");
  EXPECT_EQ(*style->titleColour, QColor(192, 192, 192));
  EXPECT_EQ(*style->systemColour, QColor(255, 255, 255));
}

TEST(VenderStyle, LeadingNumberReadsLikeTheSuiteReadsNumbers) {
  EXPECT_EQ(LeadingNumber(""), 0);
  EXPECT_EQ(LeadingNumber("ab"), 0);
  EXPECT_EQ(LeadingNumber(" 7"), 7);
  EXPECT_EQ(LeadingNumber("7x"), 7);
  EXPECT_EQ(LeadingNumber("-1"), -1);
  EXPECT_EQ(LeadingNumber("1."), 1);
  EXPECT_EQ(LeadingNumber(".5"), 0);  // halves go to the even neighbour
  EXPECT_EQ(LeadingNumber("1.5"), 2);
}

TEST(VenderStyle, PaletteHasSixteenColours) {
  EXPECT_EQ(*PaletteColour(3), QColor(0, 128, 128));
  EXPECT_EQ(*PaletteColour(14), QColor(255, 255, 0));
  EXPECT_FALSE(PaletteColour(16));
  EXPECT_FALSE(PaletteColour(-1));
}

}  // namespace
}  // namespace qx
