// Text, TrueType fonts and outlines: the content lines, the font objects, embedding, measuring,
// and what the PDF tools read back.
#include "PdfBox.h"
#include "PdfFonts.h"
#include "PdfTestUtil.h"

#include "TestPaths.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QFont>
#include <QFontDatabase>
#include <QRawFont>

#include <functional>
#include <regex>

namespace {

using pdftest::ParsedPdf;

std::string memoryDoc(TPdfBox& box, const std::function<void(TPdfBox&)>& draw) {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  EXPECT_TRUE(box.BeginDoc(&buffer)) << box.Error();
  draw(box);
  EXPECT_TRUE(box.EndDoc()) << box.Error();
  return buffer.data().toStdString();
}

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// The number of the object whose dictionary holds `line`; 0 when none does.
int objectWith(const ParsedPdf& pdf, const std::string& line) {
  for (const auto& [n, offset] : pdf.offsets)
    if (contains(pdf.object(n), line + "\r\n")) return n;
  return 0;
}

int refOf(const std::string& value) { return value.empty() ? 0 : std::stoi(value); }

// The TrueType family the embedding tests write; without it the platform would substitute
// whatever face it has.
::testing::AssertionResult HaveDejaVuSans() {
  if (QFontDatabase::families().contains(QStringLiteral("DejaVu Sans")))
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "DejaVu Sans missing: run scripts/setup-deps.sh";
}

// The content of the first page (fonts are written as they come, so its number varies).
std::string firstPageContent(const ParsedPdf& pdf) {
  return pdf.stream(refOf(pdf.value(objectWith(pdf, "/Type /Page"), "/Contents")));
}

TEST(PdfText, TextOutWritesOneTextObjectInTheFontColourAndPlace) {
  TPdfBox box;
  box.SetLengthUnit(TLengthUnit::luPoint);  // page 595 x 842 points
  const ParsedPdf pdf = pdftest::parsePdf(memoryDoc(box, [](TPdfBox& b) {
    b.Canvas().Font = {"Arial", 12, 0, 0x0000FF};  // red
    EXPECT_TRUE(b.Canvas().TextOut(100, 142, "Hello (a) \\"));
  }));
  ASSERT_EQ(pdf.error, "");
  const std::string content = firstPageContent(pdf);
  std::smatch m;
  ASSERT_TRUE(std::regex_match(
      content, m,
      std::regex("BT\r\n/F0 12 Tf\r\n1 0 0 rg\r\n100 ([0-9.]+) Td\r\n\\(Hello \\\\\\(a\\\\\\) "
                 "\\\\\\\\\\) Tj\r\nET\r\n")))
      << content;
  // The baseline lies one ascent below the top: 842 - 142 - 12 x ascent.
  const double baseline = std::stod(m[1]);
  EXPECT_GT(baseline, 700 - 12.0);
  EXPECT_LT(baseline, 700 - 12 * 0.6);

  const int dict = objectWith(pdf, "/Type /Font");
  ASSERT_NE(dict, 0);
  EXPECT_EQ(pdf.value(dict, "/Subtype"), "/TrueType");
  EXPECT_EQ(pdf.value(dict, "/Name"), "/F0");
  EXPECT_EQ(pdf.value(dict, "/BaseFont"), "/Arial");
  EXPECT_EQ(pdf.value(dict, "/Encoding"), "/WinAnsiEncoding");
  EXPECT_EQ(pdf.value(dict, "/FirstChar"), "32");
  EXPECT_EQ(pdf.value(dict, "/LastChar"), "255");
  EXPECT_TRUE(contains(pdf.object(3), "/Font <<\r\n/F0 " + std::to_string(dict) + " 0 R\r\n>>"));

  // Widths: 224 numbers, sixteen to a line; the blank is narrower than "W".
  const std::string widths = pdf.object(refOf(pdf.value(dict, "/Widths")));
  std::vector<int> numbers;
  int lines = 0;
  const std::regex lineOfNumbers("\r\n((?: \\d+)+)"), number("\\d+");
  for (std::sregex_iterator it(widths.begin(), widths.end(), lineOfNumbers), end; it != end; ++it) {
    ++lines;
    const std::string line = (*it)[1];
    for (std::sregex_iterator n(line.begin(), line.end(), number); n != end; ++n)
      numbers.push_back(std::stoi((*n)[0]));
  }
  ASSERT_EQ(numbers.size(), 224u);
  EXPECT_EQ(lines, 14);
  EXPECT_LT(numbers[0], numbers['W' - 32]);
  EXPECT_GT(numbers['W' - 32], 500);

  const int descriptor = refOf(pdf.value(dict, "/FontDescriptor"));
  EXPECT_EQ(pdf.value(descriptor, "/Type"), "/FontDescriptor");
  EXPECT_EQ(pdf.value(descriptor, "/FontName"), "/Arial");
  EXPECT_EQ(pdf.value(descriptor, "/Flags"), "32");
  EXPECT_EQ(pdf.value(descriptor, "/FontBBox"), "[0 0 0 0]");
  EXPECT_EQ(pdf.value(descriptor, "/Ascent"), pdf.value(descriptor, "/CapHeight"));
  EXPECT_LT(std::stoi(pdf.value(descriptor, "/Descent")), 0);
  // Not embedded: no font program, no reference to one.
  EXPECT_FALSE(contains(pdf.bytes, "/FontFile2"));
  EXPECT_FALSE(contains(pdf.bytes, "/Length1"));
}

TEST(PdfText, EachNameAndStyleIsOneFontResource) {
  TPdfBox box;
  const ParsedPdf pdf = pdftest::parsePdf(memoryDoc(box, [](TPdfBox& b) {
    b.Canvas().Font = {"Times New Roman", 10, pdfBold, 0};
    b.Canvas().TextOut(10, 10, "a");
    b.Canvas().TextOut(10, 50, "b");
    b.Canvas().Font.Style = pdfBold | pdfItalic;
    b.Canvas().TextOut(10, 90, "c");
    b.Canvas().Font = {"Arial", 10, pdfItalic, 0};
    b.Canvas().TextOut(10, 130, "d");
    b.Canvas().Font.Style = pdfBold | pdfUnderline;  // underline needs no font of its own
    b.Canvas().TextOut(10, 170, "e");
    b.Canvas().Font.Style = pdfBold;
    b.Canvas().TextOut(10, 210, "f");
  }));
  ASSERT_EQ(pdf.error, "");
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"/F0", "/Times#20New#20Roman,Bold"},
      {"/F1", "/Times#20New#20Roman,BoldItalic"},
      {"/F2", "/Arial,Italic"},
      {"/F3", "/Arial,Bold"}};
  for (const auto& [resource, base] : expected) {
    const int dict = objectWith(pdf, "/Name " + resource);
    ASSERT_NE(dict, 0) << resource;
    EXPECT_EQ(pdf.value(dict, "/BaseFont"), base);
    const int descriptor = refOf(pdf.value(dict, "/FontDescriptor"));
    EXPECT_EQ(pdf.value(descriptor, "/FontName"),
              base.substr(0, base.find(',')));
  }
  EXPECT_EQ(objectWith(pdf, "/Name /F4"), 0);
  const std::string content = firstPageContent(pdf);
  const std::regex f0("/F0 ");
  EXPECT_EQ(std::distance(std::sregex_iterator(content.begin(), content.end(), f0),
                          std::sregex_iterator()),
            2);
  EXPECT_TRUE(contains(content, "/F3 10 Tf\r\n0 0 0 rg\r\n"));
}

TEST(PdfText, UnderlinesAndAnglesFollowTheTextDirection) {
  TPdfBox box;
  box.SetLengthUnit(TLengthUnit::luPoint);
  const ParsedPdf pdf = pdftest::parsePdf(memoryDoc(box, [](TPdfBox& b) {
    b.Canvas().Font = {"Arial", 20, pdfUnderline, 0};
    b.Canvas().PenColor = 0xFF0000;  // blue
    EXPECT_TRUE(b.Canvas().TextOut(100, 100, "Wide"));
    b.Canvas().TextAngle = 90;
    EXPECT_TRUE(b.Canvas().TextOut(300, 300, "Wide"));
  }));
  ASSERT_EQ(pdf.error, "");
  const std::string content = firstPageContent(pdf);
  std::smatch m;
  // Across: the line runs below the baseline, as long as the text.
  ASSERT_TRUE(std::regex_search(
      content, m,
      std::regex("100 ([0-9.]+) Td\r\n\\(Wide\\) Tj\r\nET\r\n0 0 1 RG\r\n\\[\\]0 d\r\n([0-9.]+) w\r\n"
                 "([0-9.]+) ([0-9.]+) m ([0-9.]+) ([0-9.]+) l S\r\n")))
      << content;
  const double baseline = std::stod(m[1]);
  EXPECT_GT(std::stod(m[2]), 0.2);  // a visible thickness at 20 points
  EXPECT_EQ(std::stod(m[3]), 100);
  EXPECT_LT(std::stod(m[4]), baseline);
  EXPECT_GT(std::stod(m[4]), baseline - 6);
  EXPECT_EQ(m[4], m[6]);
  const double length = std::stod(m[5]) - 100;
  EXPECT_GT(length, 40);  // "Wide" at 20 points
  EXPECT_LT(length, 80);

  // Turned by 90 degrees: a matrix, and the line goes up the page, to the right of the text.
  ASSERT_TRUE(std::regex_search(
      content, m,
      std::regex("0 1 -1 0 300 ([0-9.]+) Tm\r\n\\(Wide\\) Tj\r\nET\r\n0 0 1 RG\r\n\\[\\]0 d\r\n"
                 "[0-9.]+ w\r\n([0-9.]+) ([0-9.]+) m ([0-9.]+) ([0-9.]+) l S\r\n")))
      << content;
  EXPECT_GT(std::stod(m[2]), 300);
  EXPECT_EQ(m[2], m[4]);
  EXPECT_NEAR(std::stod(m[5]) - std::stod(m[3]), length, 0.01);
}

TEST(PdfText, MeasuresFollowTheFontAndTheUnit) {
  TPdfBox box;
  EXPECT_EQ(box.Canvas().TextWidth("x"), 0);
  EXPECT_EQ(box.Error(), "Document not opened");
  EXPECT_FALSE(box.Canvas().TextOut(0, 0, "x"));

  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  ASSERT_TRUE(box.BeginDoc(&buffer));
  box.Canvas().Font = {"Arial", 10, 0, 0};
  const int wide = box.Canvas().TextWidth("WWWW");
  const int narrow = box.Canvas().TextWidth("iiii");
  EXPECT_GT(narrow, 0);
  EXPECT_GT(wide, 2 * narrow);
  EXPECT_NEAR(box.Canvas().TextWidth("WWWWWWWW"), 2 * wide, 2);
  const int height = box.Canvas().TextHeight("Hg");
  // 10 points are 35.3 tenths of a millimetre; a line is somewhat more.
  EXPECT_GT(height, 35);
  EXPECT_LT(height, 60);
  box.Canvas().Font.Size = 20;
  EXPECT_NEAR(box.Canvas().TextWidth("WWWW"), 2 * wide, 2);
  box.Canvas().Font.Size = 1e12;  // absurd sizes are measured, not overflowed
  EXPECT_GT(box.Canvas().TextWidth("W"), 0);
  box.Abort();
  EXPECT_EQ(box.Canvas().TextWidth("WWWW"), 1);
  EXPECT_EQ(box.Canvas().TextHeight("WWWW"), 1);
  EXPECT_FALSE(box.Canvas().TextOut(0, 0, "x"));
}

TEST(PdfFontsTest, AFontThatCannotBeReadIsRefused) {
  PdfFontMetrics metrics;
  std::string error;
  EXPECT_FALSE(ReadPdfFontMetrics(QRawFont(), "Nothing", &metrics, &error));
  EXPECT_EQ(error, "GetTextMetrics: Internal error");
  // Font data that is no TrueType font.
  const QRawFont garbage(QByteArray(1000, 'x'), 20);
  EXPECT_FALSE(ReadPdfFontMetrics(garbage, "Garbage", &metrics, &error));
  EXPECT_EQ(error, "GetTextMetrics: Internal error");
}

// The faces a Debian desktop has, from the font files scripts/setup-deps.sh installs, so the
// result does not hang on which face a family name happens to resolve to.
TEST(PdfFontsTest, TrueTypeAndCffFacesAreMeasured) {
  const struct {
    const char* file;
    bool trueTypeOutlines;
  } faces[] = {
      {"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", true},
      {"/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf", true},
      {"/usr/share/fonts/opentype/freefont/FreeSans.otf", false},  // CFF outlines
  };
  for (const auto& face : faces) {
    SCOPED_TRACE(face.file);
    const QRawFont raw(QString::fromLatin1(face.file), 100.0 * PdfPixelsPerInch / 72.0);
    ASSERT_TRUE(raw.isValid()) << "font missing: run scripts/setup-deps.sh";
    EXPECT_EQ(!raw.fontTable("CFF ").isEmpty(), !face.trueTypeOutlines);
    PdfFontMetrics m;
    std::string error;
    ASSERT_TRUE(ReadPdfFontMetrics(raw, "Face", &m, &error)) << error;
    EXPECT_EQ(m.TrueTypeOutlines, face.trueTypeOutlines);
    EXPECT_GT(m.Ascent, 50);
    EXPECT_GT(m.Descent, 10);
    EXPECT_LT(m.UnderlinePosition, 0);
    EXPECT_GT(m.UnderlineThickness, 0);
    EXPECT_TRUE(m.AnsiCharset);
    ASSERT_EQ(m.Advances.size(), 224u);
    const double w = m.Advances['W' - 32], i = m.Advances['i' - 32], space = m.Advances[0];
    EXPECT_GT(i, 10);
    EXPECT_GT(w, 2 * i);
    EXPECT_GT(space, 10);
    // Only TrueType outlines make a TrueType font program.
    EXPECT_EQ(PdfFontProgram(raw).empty(), !face.trueTypeOutlines);
  }
}

// A family that resolves to a CFF face writes its text and widths; asked to embed, it is written
// by name alone.
TEST(PdfText, ACffFaceWritesItsTextByName) {
  const int id = QFontDatabase::addApplicationFont(
      QStringLiteral("/usr/share/fonts/opentype/freefont/FreeSans.otf"));
  ASSERT_GE(id, 0) << "font missing: run scripts/setup-deps.sh";
  const QString family = QFontDatabase::applicationFontFamilies(id).value(0);
  QFont probe(family);
  const bool cff = !QRawFont::fromFont(probe).fontTable("CFF ").isEmpty();
  TPdfBox box;
  box.SetEmbedFonts(true);
  const ParsedPdf pdf = pdftest::parsePdf(memoryDoc(box, [&](TPdfBox& b) {
    b.Canvas().Font = {family.toStdString(), 12, 0, 0};
    EXPECT_TRUE(b.Canvas().TextOut(10, 10, "Outlines")) << b.Error();
    EXPECT_GT(b.Canvas().TextWidth("WWWW"), 2 * b.Canvas().TextWidth("iiii"));
  }));
  ASSERT_EQ(pdf.error, "");
  const int dict = objectWith(pdf, "/Type /Font");
  ASSERT_NE(dict, 0);
  EXPECT_EQ(pdf.value(dict, "/Subtype"), "/TrueType");
  const int widths = refOf(pdf.value(dict, "/Widths"));
  ASSERT_NE(widths, 0);
  EXPECT_TRUE(std::regex_search(pdf.object(widths), std::regex(" [1-9][0-9]{2}")));
  if (cff) EXPECT_FALSE(contains(pdf.bytes, "/FontFile2"));
  QFontDatabase::removeApplicationFont(id);
}

TEST(PdfFontsTest, TheRebuiltFontProgramLoadsAgain) {
  ASSERT_TRUE(HaveDejaVuSans());
  QFont font("DejaVu Sans");
  font.setPixelSize(50);
  const QRawFont raw = QRawFont::fromFont(font);
  ASSERT_TRUE(raw.isValid());
  const std::string program = PdfFontProgram(raw);
  ASSERT_GT(program.size(), 1000u);
  EXPECT_EQ(program.substr(0, 4), std::string("\0\1\0\0", 4));
  const QRawFont again(QByteArray(program.data(), static_cast<qsizetype>(program.size())), 50);
  ASSERT_TRUE(again.isValid());
  EXPECT_EQ(again.familyName(), raw.familyName());
  const auto glyphs = again.glyphIndexesForString("W");
  ASSERT_EQ(glyphs.size(), 1);
  EXPECT_EQ(glyphs[0], raw.glyphIndexesForString("W")[0]);
  // The whole file adds up to the magic checksum.
  std::uint32_t sum = 0;
  for (std::size_t i = 0; i + 3 < program.size(); i += 4)
    sum += (std::uint32_t(std::uint8_t(program[i])) << 24) | (std::uint32_t(std::uint8_t(program[i + 1])) << 16) |
           (std::uint32_t(std::uint8_t(program[i + 2])) << 8) | std::uint8_t(program[i + 3]);
  EXPECT_EQ(sum, 0xB1B0AFBAu);
}

TEST(PdfText, EmbeddingWritesTheFontProgramUnlessTheFontIsListed) {
  ASSERT_TRUE(HaveDejaVuSans());
  for (const std::string name : {"DejaVu Sans", "Arial"}) {
    TPdfBox box;
    box.SetEmbedFonts(true);
    const ParsedPdf pdf = pdftest::parsePdf(memoryDoc(box, [&](TPdfBox& b) {
      b.Canvas().Font = {name, 10, 0, 0};
      EXPECT_TRUE(b.Canvas().TextOut(10, 10, "Embedded"));
    }));
    ASSERT_EQ(pdf.error, "");
    const int descriptor = objectWith(pdf, "/Type /FontDescriptor");
    ASSERT_NE(descriptor, 0);
    if (name == "Arial") {  // on the list of fonts never embedded
      EXPECT_FALSE(contains(pdf.bytes, "/FontFile2")) << name;
      continue;
    }
    const int file = refOf(pdf.value(descriptor, "/FontFile2"));
    ASSERT_NE(file, 0);
    EXPECT_EQ(pdf.value(file, "/Filter"), "[/ASCII85Decode /FlateDecode]");
    const auto packed = pdftest::decodeAscii85(pdf.stream(file));
    ASSERT_TRUE(packed.has_value());
    const auto program = pdftest::inflate(*packed);
    ASSERT_TRUE(program.has_value());
    EXPECT_EQ(std::to_string(program->size()), pdf.value(file, "/Length1"));
    EXPECT_EQ(program->substr(0, 4), std::string("\0\1\0\0", 4));
    EXPECT_EQ(pdf.value(descriptor, "/FontName"), "/DejaVu#20Sans");
  }
}

TEST(PdfOutlines, BookmarksFormATreeWithCountsAndSiblings) {
  TPdfBox box;
  // root -> A (open), B (closed) -> B1; A points at page 2, B1 at a page that never came.
  box.Outline().Add("A", 2, "/XYZ 0 842 0");
  TBookmark* b = box.Outline().Add("B (second)", 1, "/Fit", false);
  b->Add("B1", 9);
  const ParsedPdf pdf = pdftest::parsePdf(memoryDoc(box, [](TPdfBox& bx) {
    EXPECT_TRUE(bx.NewPage());
  }));
  ASSERT_EQ(pdf.error, "");
  // Pages 5 and 7 (contents 4 and 6); outlines 8 (root), 9 (A), 10 (B), 11 (B1); catalog 12.
  EXPECT_EQ(pdf.value(12, "/Type"), "/Catalog");
  EXPECT_EQ(pdf.value(12, "/Outlines"), "8 0 R");
  EXPECT_TRUE(contains(pdf.trailer, "/Root 12 0 R"));
  EXPECT_EQ(pdf.value(8, "/Count"), "2");
  EXPECT_EQ(pdf.value(8, "/First"), "9 0 R");
  EXPECT_EQ(pdf.value(8, "/Last"), "10 0 R");

  EXPECT_TRUE(contains(pdf.object(9), "/Title(A)\r\n"));
  EXPECT_EQ(pdf.value(9, "/Dest"), "[7 0 R /XYZ 0 842 0]");
  EXPECT_EQ(pdf.value(9, "/Parent"), "8 0 R");
  EXPECT_EQ(pdf.value(9, "/Next"), "10 0 R");
  EXPECT_EQ(pdf.value(9, "/Prev"), "");
  EXPECT_EQ(pdf.value(9, "/Count"), "0");

  EXPECT_TRUE(contains(pdf.object(10), "/Title(B \\(second\\))\r\n"));
  EXPECT_EQ(pdf.value(10, "/Dest"), "[5 0 R /Fit]");
  EXPECT_EQ(pdf.value(10, "/Prev"), "9 0 R");
  EXPECT_EQ(pdf.value(10, "/Next"), "");
  EXPECT_EQ(pdf.value(10, "/Count"), "-1");  // closed, one descendant
  EXPECT_EQ(pdf.value(10, "/First"), "11 0 R");
  EXPECT_EQ(pdf.value(11, "/Parent"), "10 0 R");
  EXPECT_EQ(pdf.value(11, "/Dest"), "[7 0 R /Fit]");  // page 9 taken as the last page
}

TEST(PdfOutlines, OpenDescendantsCountThroughOpenBranchesOnly) {
  TBookmark root;
  TBookmark* a = root.Add("a", 1);
  a->Add("a1", 1)->Add("a11", 1);
  TBookmark* closed = a->Add("a2", 1, "/Fit", false);
  closed->Add("hidden", 1);
  closed->Add("hidden too", 1);
  EXPECT_EQ(closed->OpenDescendants(), 2);
  EXPECT_EQ(a->OpenDescendants(), 3);  // a1, a11, a2
  EXPECT_EQ(root.OpenDescendants(), 4);
}

TEST(PdfTools, TextAndOutlinesReadBack) {
  ASSERT_TRUE(pdftest::haveTool("pdftotext")) << "pdftotext not installed: run scripts/setup-deps.sh";
  testpaths::TempDir dir;
  const std::string path = dir.file("text.pdf");
  TPdfBox box;
  box.SetFileName(path);
  ASSERT_TRUE(HaveDejaVuSans());
  box.SetEmbedFonts(true);
  box.Outline().Add("First page", 1)->Add("Inner (1)", 2, "/Fit", true);
  ASSERT_TRUE(box.BeginDoc());
  box.Canvas().Font = {"DejaVu Sans", 14, 0, 0};
  ASSERT_TRUE(box.Canvas().TextOut(200, 200, "Haplotype network (a)"));
  box.Canvas().Font = {"Times New Roman", 12, pdfBold | pdfUnderline, 0x00FF00};
  ASSERT_TRUE(box.Canvas().TextOut(200, 400, "Median vector"));
  ASSERT_TRUE(box.NewPage());
  ASSERT_TRUE(box.EndDoc()) << box.Error();

  std::string text;
  ASSERT_EQ(pdftest::runTool("pdftotext", {QString::fromStdString(path), "-"}, &text), 0) << text;
  EXPECT_TRUE(contains(text, "Haplotype network (a)")) << text;
  EXPECT_TRUE(contains(text, "Median vector")) << text;

  std::string fonts;
  ASSERT_EQ(pdftest::runTool("pdffonts", {QString::fromStdString(path)}, &fonts), 0)
      << "pdffonts not installed: run scripts/setup-deps.sh";
  EXPECT_TRUE(std::regex_search(fonts, std::regex("DejaVu Sans +TrueType +WinAnsi +yes"))) << fonts;
  EXPECT_TRUE(std::regex_search(fonts, std::regex("Times New Roman,Bold +TrueType +WinAnsi +no")))
      << fonts;
  std::string check;
  const auto rc = pdftest::runTool("qpdf", {"--check", QString::fromStdString(path)}, &check);
  ASSERT_TRUE(rc.has_value()) << "qpdf not installed: run scripts/setup-deps.sh";
  EXPECT_EQ(*rc, 0) << check;
  std::string outlines;
  ASSERT_EQ(pdftest::runTool("qpdf", {"--json", "--json-key=outlines", QString::fromStdString(path)},
                             &outlines),
            0);
  const std::regex first("\"destpageposfrom1\": 1,[^]*\"title\": \"First page\"");
  const std::regex inner("\"destpageposfrom1\": 2,[^]*\"title\": \"Inner \\(1\\)\"");
  EXPECT_TRUE(std::regex_search(outlines, first)) << outlines;
  EXPECT_TRUE(std::regex_search(outlines, inner)) << outlines;
}

}  // namespace
