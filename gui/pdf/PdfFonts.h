#pragma once
// One TrueType font resource of a PDF document: its metrics (from the platform's font engine),
// its widths, descriptor and font dictionary objects, and, when asked for, the embedded font
// program. Faces with TrueType outlines and OpenType faces with PostScript (CFF) outlines are both
// measured; only TrueType outlines can be embedded as a TrueType font program, so a CFF face is
// written by name alone and the viewer supplies the face.

#include <QRawFont>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class PdfOutput;

// Font style bits, as everywhere in the program.
enum : std::uint8_t { pdfBold = 1, pdfItalic = 2, pdfUnderline = 4, pdfStrikeOut = 8 };

// The name plus ",Bold", ",Italic" or ",BoldItalic".
std::string PdfFontKey(const std::string& name, std::uint8_t style);

// The metrics the writer needs, read from a font at the measuring size (100 points at 96 pixels
// per inch). Values in pixels at that size unless said otherwise.
struct PdfFontMetrics {
  double Ascent = 0;
  double Descent = 0;        // positive, below the baseline
  double ItalicAngle = 0;    // degrees
  double UnderlinePosition = 0;   // pixels above the baseline (negative below)
  double UnderlineThickness = 0;
  bool AnsiCharset = true;   // false for symbol fonts
  bool EmbeddingRestricted = false;
  bool TrueTypeOutlines = true;  // false for a CFF face, which is never embedded
  int FirstChar = 32;
  int LastChar = 255;
  std::vector<double> Advances;   // FirstChar..LastChar
};

// Reads the metrics of the font. False with a message ("GetTextMetrics: Internal error", "<name>:
// This font is not TrueType" for a face with neither TrueType nor CFF outlines, ...) when the font
// cannot be used.
bool ReadPdfFontMetrics(const QRawFont& raw, const std::string& name, PdfFontMetrics* metrics,
                        std::string* error);

// The font program rebuilt from the tables of the font (a TrueType file). Empty when the font has
// no TrueType outlines.
std::string PdfFontProgram(const QRawFont& raw);

class TPdfFont {
public:
  // Looks the font up, writes its objects (font file when `embed` and the font allows it, widths,
  // descriptor, dictionary) and returns it; null with a message on failure.
  static std::unique_ptr<TPdfFont> Create(PdfOutput& out, const std::string& name,
                                          std::uint8_t style, int index, bool embed,
                                          std::string* error);

  const std::string& Name() const { return name_; }
  const std::string& Key() const { return key_; }
  const std::string& ResourceName() const { return resourceName_; }
  double Scale() const { return scale_; }
  double AscentFactor() const { return ascentFactor_; }  // per point of font size
  int FirstChar() const { return metrics_.FirstChar; }
  int LastChar() const { return metrics_.LastChar; }
  bool Embedded() const { return embedded_; }
  int FontFileObject() const { return fontFileObject_; }
  double UnderlineThickness() const { return underlineThickness_; }  // per point of font size
  double UnderlinePosition() const { return underlinePosition_; }
  int DictObject() const { return dictObject_; }
  // Width of single-byte text in thousandths of the font size, from the widths written to the
  // file; bytes outside FirstChar..LastChar count 0.
  double TextWidth(const std::string& bytes) const;

private:
  bool writeObjects(PdfOutput& out, const QRawFont& raw, bool embed, std::string* error);

  std::string name_;
  std::string key_;
  std::string resourceName_;
  double scale_ = 0;
  double ascentFactor_ = 0;
  PdfFontMetrics metrics_;
  std::vector<long long> widths_;
  bool embedded_ = false;
  int fontFileObject_ = 0;
  double underlineThickness_ = 0;
  double underlinePosition_ = 0;
  int dictObject_ = 0;
};

// Pixels per inch the writer measures with (a memory bitmap's resolution).
inline constexpr double PdfPixelsPerInch = 96.0;
