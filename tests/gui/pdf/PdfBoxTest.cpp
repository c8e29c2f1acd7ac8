// Documents, pages and pictures: properties, the file layout (objects, xref, trailer), the diagram
// export, failures, and what the PDF tools make of the files.
#include "PdfBox.h"
#include "PdfTestUtil.h"

#include "TestPaths.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QColor>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPainter>

#include <climits>
#include <functional>
#include <regex>

namespace {

using pdftest::ParsedPdf;

QImage quadrants(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  QPainter p(&image);
  p.fillRect(0, 0, width / 2, height / 2, QColor(255, 0, 0));
  p.fillRect(width / 2, 0, width - width / 2, height / 2, QColor(0, 255, 0));
  p.fillRect(0, height / 2, width / 2, height - height / 2, QColor(0, 0, 255));
  p.fillRect(width / 2, height / 2, width - width / 2, height - height / 2, QColor(255, 255, 0));
  return image;
}

// Writes a document to memory, `draw` filling it between BeginDoc and EndDoc.
std::string memoryDoc(TPdfBox& box, const std::function<void(TPdfBox&)>& draw = {}) {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  EXPECT_TRUE(box.BeginDoc(&buffer)) << box.Error();
  if (draw) draw(box);
  EXPECT_TRUE(box.EndDoc()) << box.Error();
  return buffer.data().toStdString();
}

// The order in which objects stand in the file.
std::vector<int> fileOrder(const ParsedPdf& pdf) {
  std::vector<std::pair<std::int64_t, int>> byOffset;
  for (const auto& [n, offset] : pdf.offsets) byOffset.emplace_back(offset, n);
  std::sort(byOffset.begin(), byOffset.end());
  std::vector<int> order;
  for (const auto& entry : byOffset) order.push_back(entry.second);
  return order;
}

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// ---- properties ----

TEST(PdfBoxProperties, DefaultsAreAnA4PortraitPageInTenths) {
  TPdfBox box;
  EXPECT_EQ(box.PaperSizeName(), "A4");
  EXPECT_EQ(box.PageWidth(), 2100);
  EXPECT_EQ(box.PageHeight(), 2970);
  EXPECT_EQ(box.LengthUnit(), TLengthUnit::luTenth);
  EXPECT_EQ(box.Orientation(), TPdfOrientation::poPortrait);
  EXPECT_EQ(box.ImageCompressMode(), TPdfCompressMode::cpJpeg);
  EXPECT_EQ(box.JpegQuality(), 90);
  EXPECT_FALSE(box.EmbedFonts());
  EXPECT_TRUE(box.SmartStretchDraw);
  EXPECT_FALSE(box.WantShow);
  EXPECT_EQ(box.NonEmbeddedFonts,
            (std::vector<std::string>{"Arial", "Courier New", "Symbol", "Times New Roman"}));
}

struct PaperCase {
  const char* name;
  TLengthUnit unit;
  TPdfOrientation orientation;
  int width;
  int height;
  const char* stored;
};

class PaperTable : public ::testing::TestWithParam<PaperCase> {};

TEST_P(PaperTable, NamesGiveSizesInTheUnitAndOrientation) {
  const PaperCase& c = GetParam();
  TPdfBox box;
  ASSERT_TRUE(box.SetLengthUnit(c.unit));
  ASSERT_TRUE(box.SetOrientation(c.orientation));
  ASSERT_TRUE(box.SetPaperSizeName(c.name)) << box.Error();
  EXPECT_EQ(box.PageWidth(), c.width);
  EXPECT_EQ(box.PageHeight(), c.height);
  EXPECT_EQ(box.PaperSizeName(), c.stored);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PaperTable,
    ::testing::Values(
        PaperCase{"A4", TLengthUnit::luTenth, TPdfOrientation::poLandscape, 2970, 2100, "A4"},
        PaperCase{"a3", TLengthUnit::luTenth, TPdfOrientation::poPortrait, 2970, 4200, "A3"},
        PaperCase{"Letter", TLengthUnit::luPoint, TPdfOrientation::poPortrait, 612, 792, "Letter"},
        // "B4" stands twice in the table: the first wins.
        PaperCase{"b4", TLengthUnit::luTenth, TPdfOrientation::poPortrait, 2500, 3540, "B4"},
        PaperCase{"ENVELOPE #10", TLengthUnit::luTenth, TPdfOrientation::poLandscape, 2413, 1048,
                  "Envelope #10"},
        // "Custom" keeps the size it finds.
        PaperCase{"Custom", TLengthUnit::luTenth, TPdfOrientation::poPortrait, 2100, 2970, "Custom"}));

TEST(PdfBoxProperties, UnknownPaperIsRefused) {
  TPdfBox box;
  EXPECT_FALSE(box.SetPaperSizeName("A0"));
  EXPECT_EQ(box.Error(), "PaperSizeName: Invalid property value");
  EXPECT_EQ(box.PaperSizeName(), "A4");
  EXPECT_EQ(box.PageWidth(), 2100);
}

TEST(PdfBoxProperties, UnitsAndOrientationConvertThePageSize) {
  TPdfBox box;
  ASSERT_TRUE(box.SetLengthUnit(TLengthUnit::luPoint));
  EXPECT_EQ(box.PageWidth(), 595);
  EXPECT_EQ(box.PageHeight(), 842);
  ASSERT_TRUE(box.SetLengthUnit(TLengthUnit::luPoint));  // no change, no conversion
  EXPECT_EQ(box.PageWidth(), 595);
  ASSERT_TRUE(box.SetLengthUnit(TLengthUnit::luTenth));
  EXPECT_EQ(box.PageWidth(), 2099);  // 595 x 254 / 72, rounded
  EXPECT_EQ(box.PageHeight(), 2970);
  ASSERT_TRUE(box.SetOrientation(TPdfOrientation::poLandscape));
  ASSERT_TRUE(box.SetOrientation(TPdfOrientation::poLandscape));  // swaps once only
  EXPECT_EQ(box.PageWidth(), 2970);
  EXPECT_EQ(box.PageHeight(), 2099);
  ASSERT_TRUE(box.SetPageWidth(1000));
  EXPECT_EQ(box.PaperSizeName(), "Custom");
}

TEST(PdfBoxProperties, JpegQualityStaysWithinOneToHundred) {
  TPdfBox box;
  for (const int bad : {0, 101, -5}) {
    EXPECT_FALSE(box.SetJpegQuality(bad));
    EXPECT_EQ(box.Error(), "JpegQuality: Invalid value for property");
  }
  EXPECT_TRUE(box.SetJpegQuality(1));
  EXPECT_TRUE(box.SetJpegQuality(100));
  EXPECT_EQ(box.JpegQuality(), 100);
}

TEST(PdfBoxProperties, PageSetupCannotChangeWhilePrinting) {
  const std::vector<std::pair<const char*, std::function<bool(TPdfBox&)>>> setters = {
      {"EmbedFonts", [](TPdfBox& b) { return b.SetEmbedFonts(true); }},
      {"ImageCompressMode", [](TPdfBox& b) { return b.SetImageCompressMode(TPdfCompressMode::cpNone); }},
      {"FileName", [](TPdfBox& b) { return b.SetFileName("x.pdf"); }},
      {"LengthUnit", [](TPdfBox& b) { return b.SetLengthUnit(TLengthUnit::luPoint); }},
      {"Orientation", [](TPdfBox& b) { return b.SetOrientation(TPdfOrientation::poLandscape); }},
      {"PageHeight", [](TPdfBox& b) { return b.SetPageHeight(10); }},
      {"PageWidth", [](TPdfBox& b) { return b.SetPageWidth(10); }},
      {"PaperSizeName", [](TPdfBox& b) { return b.SetPaperSizeName("A3"); }},
      {"Title", [](TPdfBox& b) { return b.SetTitle("t"); }},
  };
  for (const auto& [property, set] : setters) {
    TPdfBox box;
    int aborts = 0;
    box.OnAbort = [&] { ++aborts; };
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(box.BeginDoc(&buffer));
    EXPECT_FALSE(set(box)) << property;
    EXPECT_EQ(box.Error(), std::string(property) + ": Can't modify property when printing");
    // A failure aborts the document.
    EXPECT_FALSE(box.Printing());
    EXPECT_TRUE(box.Aborted());
    EXPECT_EQ(aborts, 1);
    EXPECT_EQ(box.PageWidth(), 2100);
    EXPECT_TRUE(set(box)) << property << " after the abort";
  }
}

// ---- file layout ----

TEST(PdfDocument, DiagramExportHasTheSevenObjectsInTheirOrder) {
  testpaths::TempDir dir;
  const std::string path = dir.file("net.pdf");
  std::string error;
  const QSize page = PdfDiagramPageSize();
  EXPECT_EQ(page, QSize(2970, 2100));
  ASSERT_TRUE(SaveDiagramImageToPdf(quadrants(page.width(), page.height()), path, &error)) << error;

  const ParsedPdf pdf = pdftest::parsePdf(testpaths::readFile(path));
  ASSERT_EQ(pdf.error, "");
  EXPECT_EQ(pdf.bytes.substr(0, 10), "%PDF-1.3\r\n");
  EXPECT_EQ(pdf.size, 8);
  EXPECT_EQ(pdftest::countObjects(pdf.bytes), 7);
  EXPECT_EQ(fileOrder(pdf), (std::vector<int>{1, 4, 5, 6, 7, 2, 3}));
  EXPECT_TRUE(contains(pdf.trailer, "/Root 7 0 R\r\n"));
  EXPECT_TRUE(contains(pdf.trailer, "/Info 1 0 R\r\n"));
  EXPECT_EQ(pdf.bytes.substr(pdf.bytes.size() - 7), "%%EOF\r\n");

  EXPECT_EQ(pdf.value(1, "/Author("), "");  // written without the blank
  EXPECT_TRUE(contains(pdf.object(1), "/Author(Tarvane)\r\n"));
  EXPECT_TRUE(contains(pdf.object(1), "/Title()\r\n"));
  EXPECT_TRUE(std::regex_search(pdf.object(1), std::regex("/CreationDate\\(D:\\d{14}\\)")));
  EXPECT_EQ(pdf.value(2, "/MediaBox"), "[ 0 0 841.89 595.276 ]");
  EXPECT_EQ(pdf.value(2, "/Count"), "1");
  EXPECT_TRUE(contains(pdf.object(2), "/Kids [\r\n6 0 R\r\n]"));
  EXPECT_TRUE(contains(pdf.object(3), "/XObject <<\r\n /Im0 5 0 R\r\n >>"));
  EXPECT_TRUE(contains(pdf.object(3), "/Font <<\r\n>>"));
  EXPECT_EQ(pdf.value(6, "/Contents"), "4 0 R");
  EXPECT_EQ(pdf.value(6, "/Parent"), "2 0 R");
  EXPECT_EQ(pdf.value(7, "/Pages"), "2 0 R");

  // The page: the picture fills the rectangle (1, 1, 2970, 2100) exactly, since it has the page's
  // aspect ratio.
  EXPECT_EQ(pdf.stream(4), "q\r\n841.323 0 0 594.709 0.283 0 cm\r\n/Im0 Do\r\nQ\r\n");
  EXPECT_EQ(pdf.value(5, "/Width"), "2970");
  EXPECT_EQ(pdf.value(5, "/Height"), "2100");
  EXPECT_EQ(pdf.value(5, "/ColorSpace"), "/DeviceRGB");
  EXPECT_EQ(pdf.value(5, "/BitsPerComponent"), "8");
  EXPECT_EQ(pdf.value(5, "/Filter"), "[/ASCII85Decode /DCTDecode]");
  const std::string data = pdf.stream(5);
  EXPECT_EQ(data.substr(data.size() - 2), "~>");
  EXPECT_TRUE(contains(pdf.object(5), "~>endstream\r\n"));
  int q0 = 0;
  const QImage back = pdftest::decodeJpeg(*pdftest::decodeAscii85(data), &q0);
  EXPECT_EQ(back.size(), QSize(2970, 2100));
  EXPECT_EQ(q0, 3);  // quality 90
}

TEST(PdfDocument, ADocumentWithoutPicturesHasNoXObjectsAndAnEmptyFontList) {
  TPdfBox box;
  const ParsedPdf pdf = pdftest::parsePdf(memoryDoc(box));
  ASSERT_EQ(pdf.error, "");
  EXPECT_FALSE(contains(pdf.bytes, "/XObject"));
  EXPECT_EQ(pdf.object(3),
            "3 0 obj\r\n<<\r\n/ProcSet [ /PDF/Text/ImageC ]\r\n/Font <<\r\n>>\r\n>>\r\nendobj");
  EXPECT_EQ(pdf.stream(4), "");
  EXPECT_EQ(pdf.value(4, "/Length"), "0");
  EXPECT_EQ(pdf.value(2, "/MediaBox"), "[ 0 0 595.276 841.89 ]");
  EXPECT_EQ(pdf.size, pdftest::countObjects(pdf.bytes) + 1);
}

TEST(PdfDocument, ThePictureKeepsItsAspectRatioAndIsCentred) {
  TPdfBox box;
  box.SetOrientation(TPdfOrientation::poLandscape);
  const ParsedPdf pdf = pdftest::parsePdf(memoryDoc(box, [](TPdfBox& b) {
    EXPECT_TRUE(b.Canvas().DrawGraphic({1, 1, 2970, 2100}, quadrants(100, 50)));
  }));
  ASSERT_EQ(pdf.error, "");
  // Full width; height 1484 of 2099, from 309 to 1793: 308 tenths above, 307 below.
  EXPECT_EQ(pdf.stream(4), "q\r\n841.323 0 0 420.378 0.283 87.024 cm\r\n/Im0 Do\r\nQ\r\n");

  TPdfBox plain;
  plain.SmartStretchDraw = false;
  plain.SetOrientation(TPdfOrientation::poLandscape);
  const ParsedPdf stretched = pdftest::parsePdf(memoryDoc(plain, [](TPdfBox& b) {
    EXPECT_TRUE(b.Canvas().DrawGraphic({1, 1, 2970, 2100}, quadrants(100, 50)));
  }));
  EXPECT_EQ(stretched.stream(4), "q\r\n841.323 0 0 594.709 0.283 0 cm\r\n/Im0 Do\r\nQ\r\n");

  // A narrow picture is centred across.
  TPdfBox tall;
  tall.SetOrientation(TPdfOrientation::poLandscape);
  const ParsedPdf narrow = pdftest::parsePdf(memoryDoc(tall, [](TPdfBox& b) {
    EXPECT_TRUE(b.Canvas().DrawGraphic({0, 0, 2000, 1000}, quadrants(50, 100)));
  }));
  // Width 500 at left 750: (499, 999) tenths at (750, page height - 1000).
  EXPECT_EQ(narrow.stream(4), "q\r\n141.449 0 0 283.181 212.598 311.811 cm\r\n/Im0 Do\r\nQ\r\n");
}

TEST(PdfDocument, EmptyRectanglesDrawNothingAndHugeOnesDoNotOverflow) {
  TPdfBox box;
  const ParsedPdf pdf = pdftest::parsePdf(memoryDoc(box, [](TPdfBox& b) {
    EXPECT_TRUE(b.Canvas().DrawGraphic({5, 5, 5, 100}, quadrants(10, 10)));
    EXPECT_TRUE(b.Canvas().DrawGraphic({5, 5, 100, 5}, quadrants(10, 10)));
  }));
  EXPECT_EQ(pdf.stream(4), "");
  EXPECT_FALSE(contains(pdf.bytes, "/XObject"));

  TPdfBox huge;
  const ParsedPdf wide = pdftest::parsePdf(memoryDoc(huge, [](TPdfBox& b) {
    EXPECT_TRUE(b.Canvas().DrawGraphic({INT_MIN, INT_MIN, INT_MAX, INT_MAX}, quadrants(10, 10)));
  }));
  ASSERT_EQ(wide.error, "");
  EXPECT_TRUE(contains(wide.stream(4),
                       "q\r\n1217471043.969 0 0 1217471043.969 -608735522.268 -608734680.094 cm"));
}

TEST(PdfDocument, PagesAndPicturesAreNumberedAcrossTheDocument) {
  TPdfBox box;
  box.SetImageCompressMode(TPdfCompressMode::cpZlib);
  int newPages = 0, starts = 0, ends = 0;
  box.OnStart = [&] { ++starts; };
  box.OnNewPage = [&] { ++newPages; };
  box.OnEnd = [&] { ++ends; };
  const ParsedPdf pdf = pdftest::parsePdf(memoryDoc(box, [](TPdfBox& b) {
    EXPECT_TRUE(b.Canvas().DrawGraphic({0, 0, 100, 100}, quadrants(10, 10)));
    EXPECT_TRUE(b.Canvas().DrawGraphic({100, 0, 200, 100}, quadrants(20, 20)));
    EXPECT_TRUE(b.NewPage());
    EXPECT_TRUE(b.Canvas().DrawGraphic({0, 0, 100, 100}, quadrants(30, 30)));
  }));
  ASSERT_EQ(pdf.error, "");
  EXPECT_EQ(starts, 1);
  EXPECT_EQ(newPages, 2);
  EXPECT_EQ(ends, 1);
  EXPECT_EQ(box.PageCount(), 2);
  // Page 1: content 4, its pictures from the last back (Im1 = 5, Im0 = 6), page 7; page 2:
  // content 8, Im2 = 9, page 10; catalog 11.
  EXPECT_EQ(pdf.value(5, "/Width"), "20");
  EXPECT_EQ(pdf.value(6, "/Width"), "10");
  EXPECT_EQ(pdf.value(9, "/Width"), "30");
  EXPECT_TRUE(contains(pdf.object(3), "/XObject <<\r\n /Im0 6 0 R\r\n /Im1 5 0 R\r\n /Im2 9 0 R\r\n >>"));
  EXPECT_TRUE(contains(pdf.object(2), "/Kids [\r\n7 0 R\r\n10 0 R\r\n]"));
  EXPECT_EQ(pdf.value(2, "/Count"), "2");
  EXPECT_TRUE(contains(pdf.stream(4), "/Im0 Do") && contains(pdf.stream(4), "/Im1 Do"));
  EXPECT_TRUE(contains(pdf.stream(8), "/Im2 Do"));
  EXPECT_EQ(pdf.size, 12);
  EXPECT_EQ(pdf.value(5, "/Filter"), "[/ASCII85Decode /FlateDecode]");
  const auto rows = pdftest::inflate(*pdftest::decodeAscii85(pdf.stream(9)));
  ASSERT_TRUE(rows.has_value());
  EXPECT_EQ(rows->size(), 30u * 30 * 3);
}

TEST(PdfDocument, TheIdentifierAndTheInformationSurviveAwkwardText) {
  TPdfBox box;
  box.SetFileName("a b c d e f g");
  box.SetTitle("Net (draft) \\ 1");
  box.Author = "Me";
  box.Subject = "S";
  const ParsedPdf pdf = pdftest::parsePdf(memoryDoc(box));
  ASSERT_EQ(pdf.error, "");
  // Every third character that is not a blank: "b" and "e".
  std::smatch m;
  ASSERT_TRUE(std::regex_search(pdf.trailer, m, std::regex("/ID \\[\\((\\d+)be\\) \\((\\d+)be\\)\\]")))
      << pdf.trailer;
  EXPECT_EQ(m[1], m[2]);
  EXPECT_EQ(m[1].length(), 10);  // days since 1899 times 100000
  EXPECT_TRUE(contains(pdf.object(1), "/Title(Net \\(draft\\) \\\\ 1)\r\n"));
  EXPECT_TRUE(contains(pdf.object(1), "/Subject(S)\r\n"));
  EXPECT_FALSE(contains(pdf.object(1), "/Keywords"));
  EXPECT_TRUE(contains(pdf.object(1), "/Producer("));
}

// ---- failures ----

// A device that takes `limit` bytes and then refuses, like a full disk.
class FullDevice : public QIODevice {
public:
  explicit FullDevice(qint64 limit) : limit_(limit) { open(QIODevice::WriteOnly); }

protected:
  qint64 readData(char*, qint64) override { return -1; }
  qint64 writeData(const char* data, qint64 size) override {
    const qint64 n = std::min(size, limit_ - taken_);
    if (n <= 0) return -1;
    bytes.append(data, n);
    taken_ += n;
    return n;
  }

public:
  QByteArray bytes;

private:
  qint64 limit_;
  qint64 taken_ = 0;
};

TEST(PdfFailures, AWriteFailureAnywhereAbortsTheDocument) {
  // How long the whole document is, then a failure at several points of it.
  TPdfBox probe;
  const std::size_t full = memoryDoc(probe, [](TPdfBox& b) {
    b.Canvas().DrawGraphic({0, 0, 100, 100}, quadrants(10, 10));
  }).size();
  for (const qint64 limit : {qint64(5), qint64(200), qint64(full / 2), qint64(full - 10)}) {
    TPdfBox box;
    int aborts = 0;
    box.OnAbort = [&] { ++aborts; };
    FullDevice device(limit);
    const bool ok = box.BeginDoc(&device) &&
                    box.Canvas().DrawGraphic({0, 0, 100, 100}, quadrants(10, 10)) && box.EndDoc();
    EXPECT_FALSE(ok) << "limit " << limit;
    EXPECT_EQ(box.Error(), "File write error, or disk full") << "limit " << limit;
    EXPECT_TRUE(box.Aborted());
    EXPECT_FALSE(box.Printing());
    EXPECT_EQ(aborts, 1);
    // After the abort drawing does nothing, EndDoc still reports the failure.
    EXPECT_FALSE(box.Canvas().DrawGraphic({0, 0, 10, 10}, quadrants(4, 4)));
    EXPECT_FALSE(box.EndDoc());
  }
}

TEST(PdfFailures, BadStartsAreRefusedWithTheirReason) {
  testpaths::TempDir dir;
  {
    TPdfBox box;
    box.SetFileName(dir.file("no/such/folder/x.pdf"));
    EXPECT_FALSE(box.BeginDoc());
    EXPECT_EQ(box.Error(), dir.file("no/such/folder/x.pdf") + ": Can't open file");
    EXPECT_FALSE(box.Printing());
  }
  {
    TPdfBox box;
    std::filesystem::create_directory(dir.path() / "taken.pdf");
    box.SetFileName(dir.file("taken.pdf"));
    EXPECT_FALSE(box.BeginDoc());
    EXPECT_EQ(box.Error(), dir.file("taken.pdf") + ": File locked");
  }
  for (const bool width : {true, false}) {
    TPdfBox box;
    EXPECT_TRUE(width ? box.SetPageWidth(0) : box.SetPageHeight(-3));
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    EXPECT_FALSE(box.BeginDoc(&buffer));
    EXPECT_EQ(box.Error(), width ? "PageWidth: Invalid property value"
                                 : "PageHeight: Invalid property value");
    EXPECT_TRUE(buffer.data().isEmpty());
  }
  {
    TPdfBox box;
    EXPECT_FALSE(box.Canvas().DrawGraphic({0, 0, 10, 10}, quadrants(4, 4)));
    EXPECT_EQ(box.Error(), "Document not opened");
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(box.BeginDoc(&buffer));
    EXPECT_FALSE(box.Canvas().DrawGraphic({0, 0, 10, 10}, QImage()));
    EXPECT_EQ(box.Error(), "Invalid method call");
    EXPECT_TRUE(box.Aborted());
  }
  {
    TPdfBox box;
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(box.BeginDoc(&buffer));
    EXPECT_FALSE(box.BeginDoc(&buffer));
    EXPECT_EQ(box.Error(), "PDF document already open");
    EXPECT_FALSE(box.Printing());
  }
}

TEST(PdfFailures, AFailedExportLeavesTheOldFileAsItWas) {
  testpaths::TempDir dir;
  const std::string path = dir.file("net.pdf");
  testpaths::writeFile(path, "old picture");
  std::string error;
  EXPECT_FALSE(SaveDiagramImageToPdf(QImage(), path, &error));
  EXPECT_EQ(error, "Invalid method call");
  EXPECT_EQ(testpaths::readFile(path), "old picture");

  TPdfBox box;
  box.SetFileName(path);
  ASSERT_TRUE(box.BeginDoc());
  box.Abort();
  EXPECT_EQ(testpaths::readFile(path), "old picture");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator()),
            1);  // no temporary file left behind

  ASSERT_TRUE(SaveDiagramImageToPdf(quadrants(30, 20), path, &error)) << error;
  EXPECT_EQ(pdftest::parsePdf(testpaths::readFile(path)).error, "");
}

TEST(PdfFailures, ABareNameGoesToTheProgramFolderAndNoNameToFilePdf) {
  TPdfBox box;
  ASSERT_TRUE(box.BeginDoc()) << box.Error();
  const std::string expected =
      QDir(QCoreApplication::applicationDirPath()).filePath("File.pdf").toStdString();
  EXPECT_EQ(box.FileName(), expected);
  ASSERT_TRUE(box.EndDoc()) << box.Error();
  EXPECT_TRUE(std::filesystem::exists(expected));
  std::filesystem::remove(expected);
}

// ---- the PDF tools ----

TEST(PdfTools, TheDiagramExportReadsAndRendersWithItsColours) {
  ASSERT_TRUE(pdftest::haveTool("pdfinfo") && pdftest::haveTool("pdftoppm"))
      << "poppler-utils not installed: run scripts/setup-deps.sh";
  testpaths::TempDir dir;
  const QSize page = PdfDiagramPageSize();
  for (const TPdfCompressMode mode :
       {TPdfCompressMode::cpJpeg, TPdfCompressMode::cpZlib, TPdfCompressMode::cpNone}) {
    const std::string path = dir.file("net" + std::to_string(int(mode)) + ".pdf");
    TPdfBox box;
    box.SetFileName(path);
    box.SetOrientation(TPdfOrientation::poLandscape);
    box.SetImageCompressMode(mode);
    ASSERT_TRUE(box.BeginDoc());
    ASSERT_TRUE(box.Canvas().DrawGraphic({1, 1, page.width(), page.height()},
                                         quadrants(page.width(), page.height())));
    ASSERT_TRUE(box.EndDoc()) << box.Error();

    std::string info;
    ASSERT_EQ(pdftest::runTool("pdfinfo", {QString::fromStdString(path)}, &info), 0) << info;
    EXPECT_TRUE(contains(info, "Pages:           1")) << info;
    EXPECT_TRUE(contains(info, "841.89 x 595.276 pts")) << info;
    EXPECT_TRUE(contains(info, "PDF version:     1.3")) << info;

    const QImage shot = pdftest::renderPage(path, 72);
    ASSERT_EQ(shot.width(), 842);
    ASSERT_NEAR(shot.height(), 596, 1);
    const int tolerance = mode == TPdfCompressMode::cpJpeg ? 12 : 1;
    const std::vector<std::pair<QPoint, QColor>> probes = {
        {{210, 150}, QColor(255, 0, 0)},   {{630, 150}, QColor(0, 255, 0)},
        {{210, 445}, QColor(0, 0, 255)},   {{630, 445}, QColor(255, 255, 0)},
        {{418, 290}, QColor(255, 0, 0)},   {{424, 305}, QColor(255, 255, 0)}};
    for (const auto& [at, colour] : probes) {
      const QColor got = shot.pixelColor(at);
      EXPECT_NEAR(got.red(), colour.red(), tolerance) << at.x() << "," << at.y();
      EXPECT_NEAR(got.green(), colour.green(), tolerance) << at.x() << "," << at.y();
      EXPECT_NEAR(got.blue(), colour.blue(), tolerance) << at.x() << "," << at.y();
    }
    if (mode == TPdfCompressMode::cpJpeg) shot.save(QString::fromStdString(dir.file("shot.png")));

    std::string check;
    const auto rc = pdftest::runTool("qpdf", {"--check", QString::fromStdString(path)}, &check);
    ASSERT_TRUE(rc.has_value()) << "qpdf not installed: run scripts/setup-deps.sh";
    EXPECT_EQ(*rc, 0) << check;
  }
}

TEST(PdfTools, MonochromePicturesRenderBlackAndWhite) {
  ASSERT_TRUE(pdftest::haveTool("pdftoppm")) << "poppler-utils not installed: run scripts/setup-deps.sh";
  testpaths::TempDir dir;
  const std::string path = dir.file("mono.pdf");
  QImage mono(200, 100, QImage::Format_Mono);
  mono.setColor(0, qRgb(0, 0, 0));
  mono.setColor(1, qRgb(255, 255, 255));
  mono.fill(1);
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 100; ++x) mono.setPixel(x, y, 0);  // left half black
  TPdfBox box;
  box.SetFileName(path);
  box.SetLengthUnit(TLengthUnit::luPoint);
  ASSERT_TRUE(box.BeginDoc());
  ASSERT_TRUE(box.Canvas().DrawGraphic({0, 0, 400, 200}, mono));
  ASSERT_TRUE(box.EndDoc()) << box.Error();
  const ParsedPdf pdf = pdftest::parsePdf(testpaths::readFile(path));
  EXPECT_EQ(pdf.value(5, "/ColorSpace"), "/DeviceGray");
  EXPECT_EQ(pdf.value(5, "/BitsPerComponent"), "1");
  const QImage shot = pdftest::renderPage(path, 72);
  ASSERT_FALSE(shot.isNull());
  EXPECT_EQ(shot.pixelColor(100, 100), QColor(0, 0, 0));
  EXPECT_EQ(shot.pixelColor(300, 100), QColor(255, 255, 255));
  EXPECT_EQ(shot.pixelColor(300, 300), QColor(255, 255, 255));  // below the picture
}

TEST(PdfTools, QpdfFindsNoFaultInAManyPageDocument) {
  ASSERT_TRUE(pdftest::haveTool("qpdf")) << "qpdf not installed: run scripts/setup-deps.sh";
  testpaths::TempDir dir;
  const std::string path = dir.file("pages.pdf");
  TPdfBox box;
  box.SetFileName(path);
  box.SetImageCompressMode(TPdfCompressMode::cpNone);
  box.SetTitle("(x");
  ASSERT_TRUE(box.BeginDoc());
  for (int page = 0; page < 5; ++page) {
    if (page > 0) {
      ASSERT_TRUE(box.NewPage());
    }
    ASSERT_TRUE(box.Canvas().DrawGraphic({100, 100, 500, 400}, quadrants(7 + page, 5)));
  }
  ASSERT_TRUE(box.EndDoc()) << box.Error();
  std::string out;
  EXPECT_EQ(pdftest::runTool("qpdf", {"--check", QString::fromStdString(path)}, &out), 0) << out;
  EXPECT_TRUE(contains(out, "No syntax or stream encoding errors")) << out;
}

}  // namespace
