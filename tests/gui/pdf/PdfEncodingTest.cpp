// The encodings under every stream: ASCII85, number and string formatting, the pixel rows of
// pictures, deflate and JPEG.
#include "Ascii85.h"
#include "PdfFormat.h"
#include "PdfImage.h"
#include "PdfTestUtil.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QPainter>

#include <random>
#include <string>

namespace {

std::string bytesOf(std::initializer_list<int> values) {
  std::string s;
  for (const int v : values) s.push_back(static_cast<char>(v));
  return s;
}

std::string encode85(const std::string& s) {
  return Ascii85Encode(reinterpret_cast<const std::uint8_t*>(s.data()), s.size());
}

struct Ascii85Case {
  std::string input;
  std::string expected;
};

class Ascii85Table : public ::testing::TestWithParam<Ascii85Case> {};

TEST_P(Ascii85Table, EncodesGroupsBigEndian) {
  EXPECT_EQ(encode85(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Ascii85Table,
    ::testing::Values(
        Ascii85Case{"", "~>"},
        Ascii85Case{"Man ", "9jqo^~>"},
        Ascii85Case{"Man is", "9jqo^Bla~>"},  // a partial group of two gives three characters
        Ascii85Case{bytesOf({0, 0, 0, 0}), "z~>"},
        Ascii85Case{bytesOf({0, 0, 0, 0, 0, 0, 0, 0}), "zz~>"},
        // A partial group of zeros is no whole group: no "z".
        Ascii85Case{bytesOf({0, 0}), "!!!~>"},
        Ascii85Case{bytesOf({0}), "!!~>"},
        Ascii85Case{bytesOf({255, 255, 255, 255}), "s8W-!~>"},
        Ascii85Case{bytesOf({255}), "rr~>"}));

TEST(Ascii85, RandomDataRoundTripsAtEveryLength) {
  std::mt19937 random(7);
  for (std::size_t length = 0; length < 40; ++length) {
    std::string data(length, '\0');
    for (char& c : data) c = static_cast<char>(random() % 4 == 0 ? 0 : random() & 0xFF);
    const std::string text = encode85(data);
    EXPECT_EQ(text.find_first_of("\r\n \t"), std::string::npos);
    const auto back = pdftest::decodeAscii85(text);
    ASSERT_TRUE(back.has_value()) << text;
    EXPECT_EQ(*back, data) << "length " << length;
  }
}

struct NumberCase {
  double value;
  const char* text;
};

class PdfNumberTable : public ::testing::TestWithParam<NumberCase> {};

TEST_P(PdfNumberTable, AtMostThreeDecimalsWithAPoint) {
  EXPECT_EQ(PdfNumber(GetParam().value), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Cases, PdfNumberTable,
                         ::testing::Values(NumberCase{2970 * 72.0 / 254, "841.89"},
                                           NumberCase{2100 * 72.0 / 254, "595.276"},
                                           NumberCase{3.0, "3"}, NumberCase{0.0, "0"},
                                           NumberCase{-0.0001, "0"}, NumberCase{2.5, "2.5"},
                                           NumberCase{-12.3456, "-12.346"},
                                           NumberCase{1.0 / 255, "0.004"},
                                           NumberCase{1e-9, "0"}, NumberCase{123456789.0, "123456789"}));

TEST(PdfFormat, RoundingTakesHalvesToTheEvenNeighbour) {
  EXPECT_EQ(PdfRound(2.5), 2);
  EXPECT_EQ(PdfRound(3.5), 4);
  EXPECT_EQ(PdfRound(-2.5), -2);
  EXPECT_EQ(PdfRound(2.51), 3);
}

TEST(PdfFormat, StringsCannotEndEarly) {
  EXPECT_EQ(PdfEscapeString("(a)"), "\\(a\\)");
  EXPECT_EQ(PdfEscapeString("a\\b"), "a\\\\b");
  EXPECT_EQ(PdfEscapeString("a\r\nb"), "a\\\r\\\nb");
  EXPECT_EQ(PdfEscapeString("plain"), "plain");
}

TEST(PdfFormat, NamesWriteBlanksAndDelimitersAsHex) {
  EXPECT_EQ(PdfNameText("Times New Roman,Bold"), "Times#20New#20Roman,Bold");
  EXPECT_EQ(PdfNameText("A/B(C)#"), "A#2FB#28C#29#23");
}

TEST(PdfFormat, TextBecomesSingleBytes) {
  EXPECT_EQ(PdfSingleByte("abc"), "abc");
  EXPECT_EQ(PdfSingleByte("\xC3\xA9"), "\xE9");          // e acute
  EXPECT_EQ(PdfSingleByte("\xE2\x82\xAC"), "\x80");      // euro sign
  EXPECT_EQ(PdfSingleByte("\xE4\xB8\xAD"), "?");         // not in the code page
}

QImage quadrants(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  QPainter p(&image);
  p.fillRect(0, 0, width / 2, height / 2, QColor(255, 0, 0));
  p.fillRect(width / 2, 0, width - width / 2, height / 2, QColor(0, 255, 0));
  p.fillRect(0, height / 2, width / 2, height - height / 2, QColor(0, 0, 255));
  p.fillRect(width / 2, height / 2, width - width / 2, height - height / 2, QColor(255, 255, 0));
  return image;
}

TEST(PdfImageRows, ColourRowsAreRedGreenBlueTopToBottom) {
  const QImage image = quadrants(4, 2);
  const std::string rows = PdfImageRows(image, false);
  ASSERT_EQ(rows.size(), 4u * 2 * 3);
  EXPECT_EQ(rows.substr(0, 3), bytesOf({255, 0, 0}));
  EXPECT_EQ(rows.substr(9, 3), bytesOf({0, 255, 0}));
  EXPECT_EQ(rows.substr(12, 3), bytesOf({0, 0, 255}));
  EXPECT_EQ(rows.substr(21, 3), bytesOf({255, 255, 0}));
}

TEST(PdfImageRows, MonochromeRowsSetABitForEveryPixelThatIsNotBlack) {
  // 10 pixels a row: two bytes, the second padded with zero bits. Both colour table orders.
  for (const bool blackFirst : {true, false}) {
    QImage image(10, 2, QImage::Format_Mono);
    image.setColorCount(2);
    image.setColor(blackFirst ? 0 : 1, qRgb(0, 0, 0));
    image.setColor(blackFirst ? 1 : 0, qRgb(255, 255, 255));
    const uint black = blackFirst ? 0 : 1;
    image.fill(1 - black);  // white
    for (int x : {0, 3, 9}) image.setPixel(x, 0, black);
    image.setPixel(8, 1, black);
    const std::string rows = PdfImageRows(image, true);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows, bytesOf({0x6F, 0x80, 0xFF, 0x40})) << "black first " << blackFirst;
  }
}

TEST(PdfImage, EncodingsRoundTrip) {
  const QImage image = quadrants(64, 48);
  const std::string raw = PdfImageRows(image, false);

  TPdfImage none;
  std::string error;
  ASSERT_TRUE(none.Encode(image, TPdfCompressMode::cpNone, 90, &error)) << error;
  EXPECT_EQ(none.FilterText(), "[/ASCII85Decode]");
  EXPECT_EQ(pdftest::decodeAscii85(none.Data()), raw);

  TPdfImage zlib;
  ASSERT_TRUE(zlib.Encode(image, TPdfCompressMode::cpZlib, 90, &error)) << error;
  EXPECT_EQ(zlib.FilterText(), "[/ASCII85Decode /FlateDecode]");
  const auto packed = pdftest::decodeAscii85(zlib.Data());
  ASSERT_TRUE(packed.has_value());
  EXPECT_LT(packed->size(), raw.size());
  EXPECT_EQ(pdftest::inflate(*packed), raw);

  TPdfImage jpeg;
  ASSERT_TRUE(jpeg.Encode(image, TPdfCompressMode::cpJpeg, 90, &error)) << error;
  EXPECT_EQ(jpeg.FilterText(), "[/ASCII85Decode /DCTDecode]");
  EXPECT_EQ(jpeg.BitsPerComponent(), 8);
  const auto dct = pdftest::decodeAscii85(jpeg.Data());
  ASSERT_TRUE(dct.has_value());
  int q0 = 0;
  const QImage back = pdftest::decodeJpeg(*dct, &q0);
  ASSERT_EQ(back.size(), image.size());
  // Quality 90 scales the base luminance table (first entry 16) by 20 %.
  EXPECT_EQ(q0, 3);
  const QColor red = back.pixelColor(8, 8), yellow = back.pixelColor(56, 40);
  EXPECT_GT(red.red(), 240);
  EXPECT_LT(red.green(), 16);
  EXPECT_GT(yellow.green(), 240);
  EXPECT_LT(yellow.blue(), 16);
}

TEST(PdfImage, TheQualityReachesTheEncoder) {
  const QImage image = quadrants(16, 16);
  for (const auto& [quality, expected] : {std::pair{50, 16}, std::pair{100, 1}, std::pair{1, 255}}) {
    TPdfImage jpeg;
    std::string error;
    ASSERT_TRUE(jpeg.Encode(image, TPdfCompressMode::cpJpeg, quality, &error)) << error;
    int q0 = 0;
    EXPECT_FALSE(pdftest::decodeJpeg(*pdftest::decodeAscii85(jpeg.Data()), &q0).isNull());
    EXPECT_EQ(q0, expected) << "quality " << quality;
  }
}

TEST(PdfImage, MonochromeTakesZlibInPlaceOfJpeg) {
  QImage image(9, 3, QImage::Format_Mono);
  image.fill(1);
  TPdfImage mono;
  std::string error;
  ASSERT_TRUE(mono.Encode(image, TPdfCompressMode::cpJpeg, 90, &error)) << error;
  EXPECT_TRUE(mono.Monochrome());
  EXPECT_EQ(mono.BitsPerComponent(), 1);
  EXPECT_EQ(mono.Encoding(), 1);
  EXPECT_EQ(pdftest::inflate(*pdftest::decodeAscii85(mono.Data())), PdfImageRows(image, true));
}

TEST(PdfImage, EmptyAndHugePicturesAreRefused) {
  std::string error;
  TPdfImage image;
  EXPECT_FALSE(image.Encode(QImage(), TPdfCompressMode::cpZlib, 90, &error));
  EXPECT_EQ(error, "Invalid picture");
  // A tall, thin picture: little memory, but above the side limit.
  const QImage tall(1, MaxPdfImageSide + 1, QImage::Format_Mono);
  ASSERT_FALSE(tall.isNull());
  EXPECT_FALSE(image.Encode(tall, TPdfCompressMode::cpZlib, 90, &error));
  EXPECT_EQ(error, "Picture too large");
}

}  // namespace
