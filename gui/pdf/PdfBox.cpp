#include "PdfBox.h"

#include "PdfFormat.h"

#include <QCoreApplication>
#include <QDate>
#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QUrl>

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace {

const char* const CantModify = "Can't modify property when printing";
const char* const WriteError = "File write error, or disk full";
const char* const ProducerText = "Tarvane PDF writer 1.0";
// The xref table holds offsets in ten digits.
constexpr std::int64_t MaxOffset = 9999999999LL;

bool sameText(const std::string& a, const std::string& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

std::string literal(const std::string& utf8) {
  return "(" + PdfEscapeString(PdfSingleByte(utf8)) + ")";
}

// Date-time as days since 30 December 1899, the fraction being the time of day.
double daysNow(const QDateTime& now) {
  return static_cast<double>(QDate(1899, 12, 30).daysTo(now.date())) +
         now.time().msecsSinceStartOfDay() / 86400000.0;
}

}  // namespace

// ---- TBookmark ----

TBookmark* TBookmark::Add(const std::string& title, int page, const std::string& destination,
                          bool open) {
  auto mark = std::make_unique<TBookmark>();
  mark->Title = title;
  mark->Page = page;
  mark->Destination = destination;
  mark->Open = open;
  mark->parent_ = this;
  children_.push_back(std::move(mark));
  return children_.back().get();
}

int TBookmark::OpenDescendants() const {
  int count = 0;
  for (const auto& child : children_) count += 1 + (child->Open ? child->OpenDescendants() : 0);
  return count;
}

// ---- TPdfBox: properties ----

TPdfBox::TPdfBox() : canvas_(*this) {}

TPdfBox::~TPdfBox() {
  // A document still open is dropped; its owner is going away, so no event is sent.
  OnAbort = nullptr;
  Abort();
}

std::string TPdfBox::About() const {
  return "PDF 1.3 writer: pages with pictures, TrueType text and outlines";
}

const std::vector<TPdfBox::PaperSize>& TPdfBox::PaperSizes() {
  static const std::vector<PaperSize> sizes = {
      {"Custom", 0, 0},
      {"Letter", 2159, 2794},
      {"LetterSmall", 2159, 2794},
      {"Tabloid", 2794, 4318},
      {"Ledger", 4318, 2794},
      {"Legal", 2159, 3556},
      {"Statement", 1270, 2159},
      {"Executive", 1842, 2667},
      {"A3", 2970, 4200},
      {"A4", 2100, 2970},
      {"A4 Small", 2100, 2970},
      {"A5", 1480, 2100},
      {"B4", 2500, 3540},
      {"B5", 1820, 2570},
      {"Folio", 2159, 3302},
      {"Quarto", 2150, 2750},
      {"10 x 14 in", 2540, 3556},
      {"11 x 17 in", 2794, 4318},
      {"Note", 2159, 2794},
      {"Envelope #9", 984, 2254},
      {"Envelope #10", 1048, 2413},
      {"Envelope #11", 1043, 2635},
      {"Envelope #12", 1207, 2794},
      {"Envelope #14", 1270, 2921},
      {"C size sheet", 4318, 5588},
      {"D size sheet", 5588, 8636},
      {"E size sheet", 8636, 11176},
      {"DL", 1100, 2200},
      {"C5", 1620, 2290},
      {"C3", 3240, 4580},
      {"C4", 2290, 3240},
      {"C6", 1140, 1620},
      {"C65", 1140, 2290},
      {"B4", 2500, 3530},
      {"B5", 1760, 2500},
      {"B6", 1760, 1250},
      {"Envelope Italy", 1100, 2300},
      {"Monarch", 984, 1905},
      {"Envelope Personal", 921, 1651},
      {"US Standard Fanfold", 3778, 2794},
      {"German Standard Fanfold", 2159, 3048},
      {"German Legal Fanfold", 2159, 3302},
  };
  return sizes;
}

double TPdfBox::toPoints() const { return lengthUnit_ == TLengthUnit::luPoint ? 1.0 : 72.0 / 254.0; }
double TPdfBox::paperFactor() const {
  return lengthUnit_ == TLengthUnit::luTenth ? 1.0 : 72.0 / 254.0;
}
double TPdfBox::pixelsToUnit() const {
  return (lengthUnit_ == TLengthUnit::luPoint ? 72.0 : 254.0) / PdfPixelsPerInch;
}

bool TPdfBox::refuseWhilePrinting(const char* property) {
  if (!open_) return false;
  fail(property, CantModify);
  return true;
}

bool TPdfBox::SetEmbedFonts(bool value) {
  if (refuseWhilePrinting("EmbedFonts")) return false;
  embedFonts_ = value;
  return true;
}

bool TPdfBox::SetImageCompressMode(TPdfCompressMode value) {
  if (refuseWhilePrinting("ImageCompressMode")) return false;
  compressMode_ = value;
  return true;
}

bool TPdfBox::SetJpegQuality(int value) {
  if (value < 1 || value > 100) return fail("JpegQuality", "Invalid value for property");
  jpegQuality_ = value;
  return true;
}

bool TPdfBox::SetLengthUnit(TLengthUnit value) {
  if (refuseWhilePrinting("LengthUnit")) return false;
  if (value == lengthUnit_) return true;
  const double factor = value == TLengthUnit::luPoint ? 72.0 / 254.0 : 254.0 / 72.0;
  pageWidth_ = static_cast<int>(PdfRound(pageWidth_ * factor));
  pageHeight_ = static_cast<int>(PdfRound(pageHeight_ * factor));
  lengthUnit_ = value;
  return true;
}

bool TPdfBox::SetOrientation(TPdfOrientation value) {
  if (refuseWhilePrinting("Orientation")) return false;
  if (value != orientation_) std::swap(pageWidth_, pageHeight_);
  orientation_ = value;
  return true;
}

bool TPdfBox::SetPageWidth(int value) {
  if (refuseWhilePrinting("PageWidth")) return false;
  pageWidth_ = value;
  paperSizeName_ = "Custom";
  return true;
}

bool TPdfBox::SetPageHeight(int value) {
  if (refuseWhilePrinting("PageHeight")) return false;
  pageHeight_ = value;
  paperSizeName_ = "Custom";
  return true;
}

void TPdfBox::applyPaper(const PaperSize& paper) {
  paperSizeName_ = paper.Name;
  if (paper.Width == 0) return;  // "Custom" keeps the size
  pageWidth_ = static_cast<int>(PdfRound(paper.Width * paperFactor()));
  pageHeight_ = static_cast<int>(PdfRound(paper.Height * paperFactor()));
  if (orientation_ == TPdfOrientation::poLandscape) std::swap(pageWidth_, pageHeight_);
}

bool TPdfBox::SetPaperSizeName(const std::string& value) {
  if (refuseWhilePrinting("PaperSizeName")) return false;
  for (const PaperSize& paper : PaperSizes()) {
    if (sameText(paper.Name, value)) {
      applyPaper(paper);
      return true;
    }
  }
  return fail("PaperSizeName", "Invalid property value");
}

bool TPdfBox::SetFileName(const std::string& value) {
  if (refuseWhilePrinting("FileName")) return false;
  fileName_ = value;
  return true;
}

bool TPdfBox::SetTitle(const std::string& value) {
  if (refuseWhilePrinting("Title")) return false;
  title_ = value;
  return true;
}

// ---- TPdfBox: failures ----

bool TPdfBox::fail(const std::string& prefix, const std::string& message) {
  if (open_) Abort();
  error_ = prefix.empty() ? message : prefix + ": " + message;
  return false;
}

bool TPdfBox::failWrite() { return fail(path_, WriteError); }

void TPdfBox::Abort() {
  if (!open_) return;
  if (file_) {
    file_->cancelWriting();
    file_.reset();  // an uncommitted save file only drops its temporary file
  }
  out_.Stop();
  images_.clear();
  fonts_.clear();
  canvas_.content_.clear();
  open_ = false;
  aborted_ = true;
  if (OnAbort) OnAbort();
}

// ---- TPdfBox: the document ----

bool TPdfBox::BeginDoc() { return start(nullptr); }

bool TPdfBox::BeginDoc(QIODevice* stream) {
  if (stream == nullptr || !stream->isWritable()) {
    if (open_) return fail("", "PDF document already open");
    return fail("", "Can't open file");
  }
  return start(stream);
}

bool TPdfBox::start(QIODevice* stream) {
  if (open_) return fail("", "PDF document already open");
  // A page needs a positive size; a negative one is as unusable as 0.
  if (pageHeight_ <= 0) return fail("PageHeight", "Invalid property value");
  if (pageWidth_ <= 0) return fail("PageWidth", "Invalid property value");
  fonts_.clear();
  pages_.clear();
  images_.clear();
  canvas_.content_.clear();
  aborted_ = false;
  error_.clear();
  path_.clear();

  QIODevice* device = stream;
  if (stream == nullptr) {
    if (fileName_.empty()) fileName_ = "File.pdf";
    QString name = QString::fromStdString(fileName_);
    if (!name.contains('/') && !name.contains(QDir::separator())) {
      const QString folder = QCoreApplication::instance() != nullptr
                                 ? QCoreApplication::applicationDirPath()
                                 : QDir::currentPath();
      name = QDir(folder).filePath(name);
      fileName_ = name.toStdString();
    }
    path_ = fileName_;
    const QFileInfo info(name);
    if (info.exists() && (info.isDir() || !info.isWritable())) return fail(path_, "File locked");
    // The document goes to a temporary file that replaces the old one only when it is complete,
    // so a failed export leaves an existing file as it was.
    file_ = std::make_unique<QSaveFile>(name);
    if (!file_->open(QIODevice::WriteOnly)) {
      file_.reset();
      return fail(path_, "Can't open file");
    }
    device = file_.get();
  }
  out_.Start(device);
  open_ = true;

  out_.Line("%PDF-1.3");
  const QDateTime now = QDateTime::currentDateTime();
  identifier_ = std::to_string(PdfRound(daysNow(now) * 100000.0));
  for (std::size_t i = 2; i < fileName_.size(); i += 3)
    if (fileName_[i] != ' ') identifier_.push_back(fileName_[i]);
  if (identifier_.size() > 255) identifier_.resize(255);

  out_.StartNewObject();
  out_.Line("<<");
  out_.Line("/CreationDate(D:" + now.toString("yyyyMMddHHmmss").toStdString() + ")");
  out_.Line("/Title" + literal(title_));
  if (!Author.empty()) out_.Line("/Author" + literal(Author));
  if (!Subject.empty()) out_.Line("/Subject" + literal(Subject));
  if (!Keywords.empty()) out_.Line("/Keywords" + literal(Keywords));
  out_.Line(std::string("/Producer(") + ProducerText + ")");
  out_.Line(">>");
  out_.Line("endobj");
  if (out_.Failed()) return failWrite();

  out_.NewObject();  // 2: the page tree, written last
  out_.NewObject();  // 3: the shared resources
  pageCount_ = 0;
  if (OnStart) OnStart();
  if (!open_) return false;  // the handler aborted
  return NewPage();
}

bool TPdfBox::NewPage() {
  if (aborted_) return false;
  if (!open_) return fail("", "Document not opened");
  if (pageCount_ > 0) {
    finishPage();
    if (out_.Failed()) return failWrite();
  }
  ++pageCount_;
  if (OnNewPage) OnNewPage();
  return open_;
}

void TPdfBox::finishPage() {
  std::size_t length = 0;
  for (const std::string& line : canvas_.content_) length += line.size() + 2;
  const int content = out_.StartNewObject();
  out_.Line("<<");
  out_.Line("/Length " + std::to_string(length));
  out_.Line(">>");
  out_.Line("stream");
  for (const std::string& line : canvas_.content_) out_.Line(line);
  out_.Line("endstream");
  out_.Line("endobj");

  // The images drawn since the last page: the list is walked from its end back to the first one
  // already written.
  for (std::size_t i = images_.size(); i > 0; --i) {
    TPdfImage& image = *images_[i - 1];
    if (!image.ResourceText.empty()) break;
    writeImage(image, static_cast<int>(i - 1));
  }

  const int page = out_.StartNewObject();
  out_.Line("<<");
  out_.Line("/Type /Page");
  out_.Line("/Parent " + PdfOutput::Ref(2));
  out_.Line("/Contents " + PdfOutput::Ref(content));
  out_.Line(">>");
  out_.Line("endobj");
  pages_.push_back(page);
  canvas_.content_.clear();
}

void TPdfBox::writeImage(TPdfImage& image, int index) {
  const int number = out_.StartNewObject();
  out_.Line("<<");
  out_.Line("/Type /XObject");
  out_.Line("/Subtype /Image");
  out_.Line("/Width " + std::to_string(image.Width()));
  out_.Line("/Height " + std::to_string(image.Height()));
  out_.Line(image.Monochrome() ? "/ColorSpace /DeviceGray" : "/ColorSpace /DeviceRGB");
  out_.Line("/BitsPerComponent " + std::to_string(image.BitsPerComponent()));
  out_.Line("/Length " + std::to_string(image.Data().size()));
  out_.Line("/Filter " + image.FilterText());
  out_.Line(">>");
  out_.Line("stream");
  out_.Write(image.Data());
  out_.Line("endstream");
  out_.Line("endobj");
  image.ResourceText = " /Im" + std::to_string(index) + " " + PdfOutput::Ref(number);
  image.ReleaseData();  // written: only its resource entry is still needed
}

int TPdfBox::pageReference(int page) const {
  // A bookmark may name a page the document never got: it then points at the nearest one.
  const int count = static_cast<int>(pages_.size());
  const int index = std::clamp(page, 1, count);
  return pages_[static_cast<std::size_t>(index - 1)];
}

void TPdfBox::numberOutline(TBookmark& mark) {
  mark.objectNumber_ = out_.NewObject();
  for (auto& child : mark.children_) numberOutline(*child);
}

void TPdfBox::writeOutline(TBookmark& mark) {
  out_.BeginObject(mark.objectNumber_);
  out_.Line("<<");
  const int count = mark.OpenDescendants();
  if (mark.parent_ == nullptr) {
    if (count > 0) out_.Line("/Count " + std::to_string(count));
  } else {
    out_.Line("/Title" + literal(mark.Title));
    out_.Line("/Dest [" + PdfOutput::Ref(pageReference(mark.Page)) + " " + mark.Destination + "]");
    out_.Line("/Parent " + PdfOutput::Ref(mark.parent_->objectNumber_));
    const auto& siblings = mark.parent_->children_;
    const auto self = std::find_if(siblings.begin(), siblings.end(),
                                   [&](const auto& p) { return p.get() == &mark; });
    if (self != siblings.begin())
      out_.Line("/Prev " + PdfOutput::Ref((*(self - 1))->objectNumber_));
    if (self + 1 != siblings.end())
      out_.Line("/Next " + PdfOutput::Ref((*(self + 1))->objectNumber_));
    out_.Line("/Count " + std::to_string(mark.Open ? count : -count));
  }
  if (!mark.children_.empty()) {
    out_.Line("/First " + PdfOutput::Ref(mark.children_.front()->objectNumber_));
    out_.Line("/Last " + PdfOutput::Ref(mark.children_.back()->objectNumber_));
  }
  out_.Line(">>");
  out_.Line("endobj");
  for (auto& child : mark.children_) writeOutline(*child);
}

void TPdfBox::writeOutlines() {
  numberOutline(outline_);
  writeOutline(outline_);
}

bool TPdfBox::EndDoc() {
  if (!open_) return !aborted_;
  finishPage();
  const bool outlines = !outline_.children_.empty();
  if (outlines) writeOutlines();

  const int catalog = out_.StartNewObject();
  out_.Line("<<");
  out_.Line("/Type /Catalog");
  out_.Line("/Pages " + PdfOutput::Ref(2));
  if (outlines) out_.Line("/Outlines " + PdfOutput::Ref(outline_.objectNumber_));
  out_.Line(">>");
  out_.Line("endobj");

  out_.BeginObject(2);
  out_.Line("<<");
  out_.Line("/Type /Pages");
  out_.Line("/Kids [");
  for (const int page : pages_) out_.Line(PdfOutput::Ref(page));
  out_.Line("]");
  out_.Line("/Count " + std::to_string(pages_.size()));
  out_.Line("/Resources " + PdfOutput::Ref(3));
  out_.Line("/MediaBox [ 0 0 " + PdfNumber(pageWidth_ * toPoints()) + " " +
            PdfNumber(pageHeight_ * toPoints()) + " ]");
  out_.Line(">>");
  out_.Line("endobj");

  out_.BeginObject(3);
  out_.Line("<<");
  out_.Line("/ProcSet [ /PDF/Text/ImageC ]");
  out_.Line("/Font <<");
  for (const auto& font : fonts_)
    out_.Line(font->ResourceName() + " " + PdfOutput::Ref(font->DictObject()));
  out_.Line(">>");
  if (!images_.empty()) {
    out_.Line("/XObject <<");
    for (const auto& image : images_) out_.Line(image->ResourceText);
    out_.Line(" >>");
  }
  out_.Line(">>");
  out_.Line("endobj");

  const std::int64_t xref = out_.Offset();
  if (xref > MaxOffset) return fail(path_, "File too large");
  const int objects = out_.ObjectCount();
  out_.Line("xref");
  out_.Line("0 " + std::to_string(objects + 1));
  out_.Line("0000000000 65535 f");
  for (int n = 1; n <= objects; ++n) {
    char entry[32];
    const std::int64_t offset = out_.ObjectOffset(n);
    if (offset < 0)  // never written: listed as free so the table stays whole
      std::snprintf(entry, sizeof entry, "0000000000 65535 f");
    else
      std::snprintf(entry, sizeof entry, "%010lld 00000 n", static_cast<long long>(offset));
    out_.Line(entry);
  }
  out_.Line("trailer");
  out_.Line("<<");
  out_.Line("/Size " + std::to_string(objects + 1));
  out_.Line("/Root " + PdfOutput::Ref(catalog));
  out_.Line("/Info " + PdfOutput::Ref(1));
  out_.Line("/ID [(" + PdfEscapeString(identifier_) + ") (" + PdfEscapeString(identifier_) + ")]");
  out_.Line(">>");
  out_.Line("startxref");
  out_.Line(std::to_string(xref));
  out_.Line("%%EOF");
  if (out_.Failed()) return failWrite();

  if (file_ && !file_->commit()) {
    file_.reset();
    return failWrite();
  }
  file_.reset();
  out_.Stop();
  images_.clear();
  fonts_.clear();
  open_ = false;
  if (OnEnd) OnEnd();
  if (WantShow && !path_.empty()) showFile();
  return error_.empty();
}

void TPdfBox::showFile() {
  const QString name = QString::fromStdString(path_);
  if (!QFileInfo::exists(name)) {
    error_ = path_ + ": File not found";
    return;
  }
  if (!QDesktopServices::openUrl(QUrl::fromLocalFile(name)))
    error_ = path_ + ": Can't find a PDF viewer";
}

TPdfFont* TPdfBox::fontFor(const TPdfTextFont& font) {
  const std::string key = PdfFontKey(font.Name, font.Style);
  for (const auto& f : fonts_)
    if (f->Key() == key) return f.get();
  const bool listed =
      std::any_of(NonEmbeddedFonts.begin(), NonEmbeddedFonts.end(),
                  [&](const std::string& name) { return sameText(name, font.Name); });
  std::string error;
  auto created = TPdfFont::Create(out_, font.Name, font.Style, static_cast<int>(fonts_.size()),
                                  embedFonts_ && !listed, &error);
  if (!created) {
    if (out_.Failed())
      failWrite();
    else
      fail("", error);
    return nullptr;
  }
  fonts_.push_back(std::move(created));
  return fonts_.back().get();
}

// ---- the diagram export ----

namespace {

// Written into the information dictionary of every exported diagram.
const char* const DiagramAuthor = "Tarvane";

void setUpDiagramBox(TPdfBox& box) {
  box.SetOrientation(TPdfOrientation::poLandscape);
  box.SetLengthUnit(TLengthUnit::luTenth);
}

}  // namespace

QSize PdfDiagramPageSize() {
  TPdfBox box;
  setUpDiagramBox(box);
  return {box.PageWidth(), box.PageHeight()};
}

bool SaveDiagramImageToPdf(const QImage& image, const std::string& fileName, std::string* error) {
  TPdfBox box;
  box.SetFileName(fileName);
  setUpDiagramBox(box);
  box.Author = DiagramAuthor;
  const bool ok = box.BeginDoc() &&
                  box.Canvas().DrawGraphic({1, 1, box.PageWidth(), box.PageHeight()}, image) &&
                  box.EndDoc();
  if (!ok) {
    box.Abort();
    if (error) *error = box.Error();
  }
  return ok;
}
