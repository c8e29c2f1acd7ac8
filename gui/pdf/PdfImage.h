#pragma once
// One picture of a PDF document: its pixel rows encoded raw, deflated or as JPEG, then wrapped in
// ASCII85, ready to be written as an image object.

#include <QImage>

#include <cstddef>
#include <cstdint>
#include <string>

enum class TPdfCompressMode { cpNone, cpZlib, cpJpeg };

// Pictures with a side above this, or more pixels than MaxPdfImagePixels, are refused: the
// encoded data is held in memory until the page is finished.
inline constexpr int MaxPdfImageSide = 20000;
inline constexpr std::int64_t MaxPdfImagePixels = 64LL * 1024 * 1024;

class TPdfImage {
public:
  // Encodes the picture. Monochrome pictures (one bit per pixel) become 1-bit gray and are never
  // JPEG-encoded (zlib takes JPEG's place); every other picture becomes 8-bit RGB. False with a
  // message when the picture is empty, too large, or an encoder fails.
  bool Encode(const QImage& picture, TPdfCompressMode mode, int jpegQuality, std::string* error);

  int BitsPerComponent() const { return monochrome_ ? 1 : 8; }
  int Encoding() const { return encoding_; }  // 0 none, 1 zlib, 2 JPEG
  bool Monochrome() const { return monochrome_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  const std::string& Data() const { return data_; }  // ASCII85, ending "~>"
  // The filter list of the image object: "[/ASCII85Decode ...]".
  std::string FilterText() const;
  void ReleaseData() { std::string().swap(data_); }

  // Set by the box when the image object has been written: " /Im<k> <n> 0 R".
  std::string ResourceText;

private:
  int encoding_ = 0;
  bool monochrome_ = false;
  int width_ = 0;
  int height_ = 0;
  std::string data_;
};

// The raw pixel rows, top to bottom. Monochrome: one bit per pixel, most significant first, 1 for
// every pixel that is not black, rows padded to whole bytes. Colour: red, green, blue bytes.
std::string PdfImageRows(const QImage& picture, bool monochrome);

// Deflates the bytes at zlib's default level. False when zlib fails.
bool PdfDeflate(const std::string& bytes, std::string* out);

// JPEG-encodes RGB rows (3 bytes a pixel, no padding) at the given quality 1..100. False with
// libjpeg's message on failure.
bool PdfEncodeJpeg(const std::string& rgbRows, int width, int height, int quality,
                   std::string* out, std::string* error);
