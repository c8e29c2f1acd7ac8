#include "PdfFonts.h"

#include "Ascii85.h"
#include "PdfFormat.h"
#include "PdfImage.h"
#include "PdfOutput.h"

#include <QFont>
#include <QGuiApplication>
#include <QList>
#include <QPointF>

#include <array>
#include <cmath>

namespace {

// Big-endian reads that never look past the end of the table: a short table reads as 0.
std::uint32_t readU16(const QByteArray& t, qsizetype at) {
  if (at < 0 || at + 2 > t.size()) return 0;
  return (static_cast<std::uint32_t>(static_cast<unsigned char>(t[at])) << 8) |
         static_cast<unsigned char>(t[at + 1]);
}
std::int32_t readS16(const QByteArray& t, qsizetype at) {
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(readU16(t, at)));
}
std::int32_t readFixed(const QByteArray& t, qsizetype at) {
  return static_cast<std::int32_t>((readU16(t, at) << 16) | readU16(t, at + 2));
}

QByteArray table(const QRawFont& raw, const char* tag) {
  return raw.fontTable(tag);
}

// A font whose only platform-3 character map is the symbol one uses the symbol character set.
bool hasOnlySymbolCmap(const QByteArray& cmap) {
  const std::uint32_t count = readU16(cmap, 2);
  bool symbol = false;
  bool unicode = false;
  for (std::uint32_t i = 0; i < count; ++i) {
    const qsizetype record = 4 + static_cast<qsizetype>(i) * 8;
    if (record + 8 > cmap.size()) break;
    const std::uint32_t platform = readU16(cmap, record);
    const std::uint32_t encoding = readU16(cmap, record + 2);
    if (platform == 3 && encoding == 0) symbol = true;
    if ((platform == 3 && (encoding == 1 || encoding == 10)) || platform == 0) unicode = true;
  }
  return symbol && !unicode;
}

quint32 glyphFor(const QRawFont& raw, char16_t ch) {
  if (ch == 0) return 0;
  const QChar qc(ch);
  const QList<quint32> glyphs = raw.glyphIndexesForString(QString(qc));
  return glyphs.isEmpty() ? 0 : glyphs.front();
}

void appendU16(std::string& s, std::uint32_t v) {
  s.push_back(static_cast<char>((v >> 8) & 0xFF));
  s.push_back(static_cast<char>(v & 0xFF));
}
void appendU32(std::string& s, std::uint32_t v) {
  appendU16(s, v >> 16);
  appendU16(s, v & 0xFFFF);
}
std::uint32_t checksum(const std::string& data, std::size_t from, std::size_t length) {
  std::uint32_t sum = 0;
  for (std::size_t i = 0; i < length; i += 4) {
    std::uint32_t word = 0;
    for (std::size_t k = 0; k < 4; ++k) {
      const std::size_t at = from + i + k;
      word = (word << 8) | (at < from + length ? static_cast<unsigned char>(data[at]) : 0u);
    }
    sum += word;
  }
  return sum;
}

}  // namespace

std::string PdfFontKey(const std::string& name, std::uint8_t style) {
  const bool bold = style & pdfBold;
  const bool italic = style & pdfItalic;
  if (bold && italic) return name + ",BoldItalic";
  if (bold) return name + ",Bold";
  if (italic) return name + ",Italic";
  return name;
}

bool ReadPdfFontMetrics(const QRawFont& raw, const std::string& name, PdfFontMetrics* m,
                        std::string* error) {
  if (!raw.isValid()) {
    *error = "GetTextMetrics: Internal error";
    return false;
  }
  const bool trueType = !table(raw, "glyf").isEmpty() && !table(raw, "loca").isEmpty();
  const bool cff = !table(raw, "CFF ").isEmpty() || !table(raw, "CFF2").isEmpty();
  if (!trueType && !cff) {
    *error = name + ": This font is not TrueType";
    return false;
  }
  m->TrueTypeOutlines = trueType;
  const QByteArray head = table(raw, "head");
  const QByteArray hhea = table(raw, "hhea");
  const double unitsPerEm = readU16(head, 18);
  if (head.size() < 54 || hhea.isEmpty() || unitsPerEm <= 0) {
    *error = "GetOutlineTextMetrics: Internal error";
    return false;
  }
  const double pixelSize = raw.pixelSize();
  m->Ascent = raw.ascent();
  m->Descent = raw.descent();
  m->AnsiCharset = !hasOnlySymbolCmap(table(raw, "cmap"));

  const QByteArray post = table(raw, "post");
  if (post.size() >= 12) {
    m->ItalicAngle = readFixed(post, 4) / 65536.0;
    m->UnderlinePosition = readS16(post, 8) * pixelSize / unitsPerEm;
    m->UnderlineThickness = readS16(post, 10) * pixelSize / unitsPerEm;
  } else {
    // Without a PostScript table: the usual place and weight of an underline.
    m->UnderlinePosition = -0.1 * pixelSize;
    m->UnderlineThickness = 0.05 * pixelSize;
  }
  const QByteArray os2 = table(raw, "OS/2");
  // Bit 1 of fsType is the "restricted licence" embedding level.
  m->EmbeddingRestricted = (readU16(os2, 8) & 0x0002) != 0;

  m->FirstChar = 32;
  m->LastChar = 255;
  QList<quint32> glyphs;
  for (int code = m->FirstChar; code <= m->LastChar; ++code) {
    quint32 glyph = 0;
    if (m->AnsiCharset) {
      glyph = glyphFor(raw, PdfWinAnsiToUnicode(code));
    } else {
      // Symbol fonts map their bytes to the private range U+F020..U+F0FF.
      glyph = glyphFor(raw, static_cast<char16_t>(0xF000 + code));
      if (glyph == 0) glyph = glyphFor(raw, static_cast<char16_t>(code));
    }
    glyphs.push_back(glyph);
  }
  const QList<QPointF> advances = raw.advancesForGlyphIndexes(glyphs, QRawFont::UseDesignMetrics);
  if (advances.size() != glyphs.size()) {
    *error = "GetCharABCWidths: Internal error";
    return false;
  }
  m->Advances.clear();
  for (const QPointF& a : advances) m->Advances.push_back(a.x());
  return true;
}

std::string PdfFontProgram(const QRawFont& raw) {
  if (raw.fontTable("glyf").isEmpty() || raw.fontTable("loca").isEmpty()) return {};
  // The tables a TrueType font program in a PDF file needs, in tag order (as bytes).
  static const std::array<const char*, 13> tags = {"OS/2", "cmap", "cvt ", "fpgm", "glyf",
                                                   "head", "hhea", "hmtx", "loca", "maxp",
                                                   "name", "post", "prep"};
  std::vector<std::pair<const char*, QByteArray>> present;
  for (const char* tag : tags) {
    QByteArray data = raw.fontTable(tag);
    if (!data.isEmpty()) present.emplace_back(tag, std::move(data));
  }
  if (present.empty()) return {};
  const std::uint32_t count = static_cast<std::uint32_t>(present.size());
  std::uint32_t power = 1;
  std::uint32_t log2 = 0;
  while (power * 2 <= count) {
    power *= 2;
    ++log2;
  }
  std::string file;
  appendU32(file, 0x00010000);
  appendU16(file, count);
  appendU16(file, power * 16);
  appendU16(file, log2);
  appendU16(file, count * 16 - power * 16);
  std::size_t offset = 12 + 16 * static_cast<std::size_t>(count);
  std::size_t headOffset = 0;
  std::string body;
  for (auto& [tag, data] : present) {
    std::string bytes(data.constData(), static_cast<std::size_t>(data.size()));
    if (std::string_view(tag) == "head" && bytes.size() >= 12) {
      bytes.replace(8, 4, 4, '\0');  // checkSumAdjustment, filled in below
      headOffset = offset;
    }
    file.append(tag, 4);
    appendU32(file, checksum(bytes, 0, bytes.size()));
    appendU32(file, static_cast<std::uint32_t>(offset));
    appendU32(file, static_cast<std::uint32_t>(bytes.size()));
    body += bytes;
    body.append((4 - bytes.size() % 4) % 4, '\0');
    offset = 12 + 16 * static_cast<std::size_t>(count) + body.size();
  }
  file += body;
  if (headOffset != 0) {
    const std::uint32_t adjustment = 0xB1B0AFBAu - checksum(file, 0, file.size());
    std::string word;
    appendU32(word, adjustment);
    file.replace(headOffset + 8, 4, word);
  }
  return file;
}

std::unique_ptr<TPdfFont> TPdfFont::Create(PdfOutput& out, const std::string& name,
                                           std::uint8_t style, int index, bool embed,
                                           std::string* error) {
  auto font = std::unique_ptr<TPdfFont>(new TPdfFont);
  font->name_ = name;
  font->key_ = PdfFontKey(name, style);
  font->resourceName_ = "/F" + std::to_string(index);
  // One pixel at size 100 in thousandths of an em.
  font->scale_ = 72000.0 / PdfPixelsPerInch / 100.0;

  // Fonts exist only in a GUI application.
  if (qGuiApp == nullptr) {
    *error = "GetTextMetrics: Internal error";
    return nullptr;
  }
  QFont qfont(QString::fromStdString(name));
  qfont.setPixelSize(static_cast<int>(PdfRound(100.0 * PdfPixelsPerInch / 72.0)));
  qfont.setBold(style & pdfBold);
  qfont.setItalic(style & pdfItalic);
  QRawFont raw = QRawFont::fromFont(qfont);
  if (raw.isValid()) raw.setPixelSize(100.0 * PdfPixelsPerInch / 72.0);
  if (!ReadPdfFontMetrics(raw, name, &font->metrics_, error)) return nullptr;

  font->ascentFactor_ = font->metrics_.Ascent * font->scale_ / 1000.0;
  font->underlineThickness_ = font->metrics_.UnderlineThickness * font->scale_ / 1000.0;
  font->underlinePosition_ = font->metrics_.UnderlinePosition * font->scale_ / 1000.0;
  for (const double advance : font->metrics_.Advances)
    font->widths_.push_back(PdfRound(advance * font->scale_));
  if (!font->writeObjects(out, raw, embed, error)) return nullptr;
  return font;
}

bool TPdfFont::writeObjects(PdfOutput& out, const QRawFont& raw, bool embed, std::string* error) {
  const std::string writeError = "File write error, or disk full";
  if (embed && !metrics_.EmbeddingRestricted && metrics_.TrueTypeOutlines) {
    const std::string program = PdfFontProgram(raw);
    std::string packed;
    if (program.empty() || !PdfDeflate(program, &packed)) {
      *error = name_ + ": Internal error";
      return false;
    }
    const std::string data =
        Ascii85Encode(reinterpret_cast<const std::uint8_t*>(packed.data()), packed.size());
    fontFileObject_ = out.StartNewObject();
    embedded_ = true;
    out.Line("<<");
    out.Line("/Filter [/ASCII85Decode /FlateDecode]");
    out.Line("/Length " + std::to_string(data.size()));
    out.Line("/Length1 " + std::to_string(program.size()));
    out.Line(">>");
    out.Line("stream");
    out.Line(data);
    out.Line("endstream");
    out.Line("endobj");
  }

  const int widthsObject = out.StartNewObject();
  out.Line("[");
  std::string line;
  for (std::size_t i = 0; i < widths_.size(); ++i) {
    line += " " + std::to_string(widths_[i]);
    if (i % 16 == 15 || i + 1 == widths_.size()) {
      out.Line(line);
      line.clear();
    }
  }
  out.Line("]");
  out.Line("endobj");

  const int descriptorObject = out.StartNewObject();
  out.Line("<<");
  out.Line("/Type /FontDescriptor");
  out.Line("/FontName /" + PdfNameText(name_));
  out.Line("/Ascent " + std::to_string(PdfRound(metrics_.Ascent * scale_)));
  out.Line("/Descent " + std::to_string(PdfRound(-metrics_.Descent * scale_)));
  out.Line("/ItalicAngle " +
           std::to_string(PdfRound(static_cast<double>(PdfRound(metrics_.ItalicAngle * 10)) / 10)));
  out.Line("/CapHeight " + std::to_string(PdfRound(metrics_.Ascent * scale_)));
  out.Line(std::string("/Flags ") + (metrics_.AnsiCharset ? "32" : "4"));
  out.Line("/FontBBox [0 0 0 0]");
  if (embedded_) out.Line("/FontFile2 " + PdfOutput::Ref(fontFileObject_));
  out.Line(">>");
  out.Line("endobj");

  dictObject_ = out.StartNewObject();
  out.Line("<<");
  out.Line("/Type /Font");
  out.Line("/Subtype /TrueType");
  out.Line("/Name " + resourceName_);
  out.Line("/BaseFont /" + PdfNameText(key_));
  out.Line(metrics_.AnsiCharset ? "/Encoding /WinAnsiEncoding" : "/Encoding /StandardEncoding");
  out.Line("/FirstChar " + std::to_string(metrics_.FirstChar));
  out.Line("/LastChar " + std::to_string(metrics_.LastChar));
  out.Line("/Widths " + PdfOutput::Ref(widthsObject));
  out.Line("/FontDescriptor " + PdfOutput::Ref(descriptorObject));
  out.Line(">>");
  out.Line("endobj");
  if (out.Failed()) {
    *error = writeError;
    return false;
  }
  return true;
}

double TPdfFont::TextWidth(const std::string& bytes) const {
  double width = 0;
  for (const char c : bytes) {
    const int code = static_cast<unsigned char>(c);
    if (code >= metrics_.FirstChar && code <= metrics_.LastChar &&
        static_cast<std::size_t>(code - metrics_.FirstChar) < widths_.size())
      width += static_cast<double>(widths_[static_cast<std::size_t>(code - metrics_.FirstChar)]);
  }
  return width;
}
