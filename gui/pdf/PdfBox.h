#pragma once
// A PDF 1.3 writer that puts its file straight to disk: pages with pictures and text, TrueType
// fonts and an outline. Coordinates are in the length unit with the origin at the top left of the
// page. Every call that can fail returns false and leaves its reason in Error(); a failure while a
// document is open aborts it, and nothing of it is left on disk.

#include "PdfCanvas.h"
#include "PdfFonts.h"
#include "PdfImage.h"
#include "PdfOutput.h"

#include <QImage>
#include <QIODevice>
#include <QSize>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QSaveFile;

enum class TPdfOrientation { poPortrait, poLandscape };
enum class TLengthUnit { luTenth, luPoint };

// One entry of the document outline. The box owns the root; outlines are written when the root
// has children.
class TBookmark {
public:
  // A child at the end of the list. `page` is 1-based; `destination` is the text after the page
  // reference in "/Dest [...]".
  TBookmark* Add(const std::string& title, int page, const std::string& destination = "/Fit",
                 bool open = true);
  void Clear() { children_.clear(); }

  std::string Title;
  std::string Destination;
  int Page = 1;
  bool Open = true;

  TBookmark* Parent() const { return parent_; }
  const std::vector<std::unique_ptr<TBookmark>>& Children() const { return children_; }
  // For each child, 1 plus the child's own count when the child is open.
  int OpenDescendants() const;

private:
  friend class TPdfBox;
  std::vector<std::unique_ptr<TBookmark>> children_;
  TBookmark* parent_ = nullptr;
  int objectNumber_ = 0;
};

class TPdfBox {
public:
  TPdfBox();
  ~TPdfBox();
  TPdfBox(const TPdfBox&) = delete;
  TPdfBox& operator=(const TPdfBox&) = delete;

  // Properties. The setters refuse changes that would break an open document.
  std::string About() const;
  bool EmbedFonts() const { return embedFonts_; }
  bool SetEmbedFonts(bool value);
  TPdfCompressMode ImageCompressMode() const { return compressMode_; }
  bool SetImageCompressMode(TPdfCompressMode value);
  int JpegQuality() const { return jpegQuality_; }
  bool SetJpegQuality(int value);  // 1..100
  TLengthUnit LengthUnit() const { return lengthUnit_; }
  bool SetLengthUnit(TLengthUnit value);  // converts the page size
  TPdfOrientation Orientation() const { return orientation_; }
  bool SetOrientation(TPdfOrientation value);  // swaps width and height when it changes
  int PageWidth() const { return pageWidth_; }
  int PageHeight() const { return pageHeight_; }
  bool SetPageWidth(int value);   // the paper becomes "Custom"
  bool SetPageHeight(int value);
  const std::string& PaperSizeName() const { return paperSizeName_; }
  bool SetPaperSizeName(const std::string& value);  // case-insensitive
  const std::string& FileName() const { return fileName_; }
  bool SetFileName(const std::string& value);
  const std::string& Title() const { return title_; }
  bool SetTitle(const std::string& value);

  std::vector<std::string> NonEmbeddedFonts{"Arial", "Courier New", "Symbol", "Times New Roman"};
  bool SmartStretchDraw = true;
  bool WantShow = false;  // open the finished file in the desktop's PDF viewer
  std::string Author;
  std::string Subject;
  std::string Keywords;

  std::function<void()> OnStart;
  std::function<void()> OnNewPage;
  std::function<void()> OnEnd;
  std::function<void()> OnAbort;

  // Starts a document in FileName (an empty name becomes "File.pdf", a bare name goes to the
  // program's folder). An existing file is replaced only when EndDoc succeeds.
  bool BeginDoc();
  // Starts a document written to the caller's open device, which the box neither opens nor closes.
  bool BeginDoc(QIODevice* stream);
  bool NewPage();
  // Finishes and closes the document. With WantShow it then opens the file; a viewer that cannot
  // be started makes it return false with its reason although the file is complete.
  bool EndDoc();
  // Drops the document: the file is not written (an existing one stays as it was).
  void Abort();

  TPdfCanvas& Canvas() { return canvas_; }
  TBookmark& Outline() { return outline_; }
  const std::string& Error() const { return error_; }
  bool Printing() const { return open_; }
  bool Aborted() const { return aborted_; }
  int PageCount() const { return pageCount_; }

  // Paper sizes in tenths of a millimetre; index 0 is "Custom".
  struct PaperSize {
    const char* Name;
    int Width;
    int Height;
  };
  static const std::vector<PaperSize>& PaperSizes();

private:
  friend class TPdfCanvas;

  bool start(QIODevice* stream);
  bool fail(const std::string& prefix, const std::string& message);
  bool failWrite();
  bool refuseWhilePrinting(const char* property);
  void applyPaper(const PaperSize& paper);
  void finishPage();
  void writeImage(TPdfImage& image, int index);
  void writeOutlines();
  void numberOutline(TBookmark& mark);
  void writeOutline(TBookmark& mark);
  int pageReference(int page) const;
  TPdfFont* fontFor(const TPdfTextFont& font);
  void showFile();

  double toPoints() const;       // length unit -> points
  double paperFactor() const;    // tenths of a millimetre -> length unit
  double pixelsToUnit() const;   // pixels of a 96 ppi bitmap -> length unit

  bool embedFonts_ = false;
  TPdfCompressMode compressMode_ = TPdfCompressMode::cpJpeg;
  int jpegQuality_ = 90;
  TLengthUnit lengthUnit_ = TLengthUnit::luTenth;
  TPdfOrientation orientation_ = TPdfOrientation::poPortrait;
  int pageWidth_ = 2100;
  int pageHeight_ = 2970;
  std::string paperSizeName_ = "A4";
  std::string fileName_;
  std::string title_;

  bool open_ = false;
  bool aborted_ = false;
  std::string error_;
  std::string path_;  // the file being written, empty for a caller's stream
  std::unique_ptr<QSaveFile> file_;
  PdfOutput out_;
  std::vector<int> pages_;
  std::vector<std::unique_ptr<TPdfImage>> images_;
  std::vector<std::unique_ptr<TPdfFont>> fonts_;
  int pageCount_ = 0;
  std::string identifier_;
  TBookmark outline_;
  TPdfCanvas canvas_;
};

// The page of the diagram export in pixels of its working image: A4 landscape in tenths of a
// millimetre (2970 x 2100), one pixel per tenth.
QSize PdfDiagramPageSize();

// Writes the diagram picture (drawn at PdfDiagramPageSize) as a one-page PDF file: A4 landscape,
// JPEG at quality 90, fonts not embedded, the picture stretched into the page keeping its aspect
// ratio. False with the reason in `error` (the file is then left as it was).
bool SaveDiagramImageToPdf(const QImage& image, const std::string& fileName, std::string* error);
