#include "PdfImage.h"

#include "Ascii85.h"

#include <zlib.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

namespace {

bool isMonochrome(const QImage& picture) {
  return picture.format() == QImage::Format_Mono || picture.format() == QImage::Format_MonoLSB;
}

// libjpeg reports fatal errors through error_exit, which must not return: we jump back into the
// encoding step. No object with a destructor lives between setjmp and a possible longjmp.
struct JpegErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void onJpegError(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<JpegErrorManager*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, err->message);
  std::longjmp(err->jump, 1);
}

void onJpegMessage(j_common_ptr) {}

bool compressRows(jpeg_compress_struct& cinfo, JpegErrorManager& err, const unsigned char* rows,
                  int width, int height, int quality, unsigned char** buffer,
                  unsigned long* size) {
  if (setjmp(err.jump)) return false;
  jpeg_mem_dest(&cinfo, buffer, size);
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  const std::size_t stride = static_cast<std::size_t>(width) * 3;
  while (cinfo.next_scanline < cinfo.image_height) {
    // libjpeg takes non-const rows but only reads them.
    JSAMPROW row = const_cast<unsigned char*>(rows) + stride * cinfo.next_scanline;
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  return true;
}

}  // namespace

std::string PdfImageRows(const QImage& picture, bool monochrome) {
  const int width = picture.width();
  const int height = picture.height();
  std::string rows;
  if (monochrome) {
    const std::size_t rowBytes = (static_cast<std::size_t>(width) + 7) / 8;
    rows.assign(rowBytes * static_cast<std::size_t>(height), '\0');
    const QImage mono = picture.convertToFormat(QImage::Format_Mono);
    if (mono.isNull()) return {};  // out of memory
    const QRgb black = qRgb(0, 0, 0);
    const bool index1Black = mono.colorCount() > 1 && (mono.color(1) & 0xFFFFFF) == (black & 0xFFFFFF);
    const bool index0Black = mono.colorCount() > 0 && (mono.color(0) & 0xFFFFFF) == (black & 0xFFFFFF);
    for (int y = 0; y < height; ++y) {
      const uchar* line = mono.constScanLine(y);
      char* out = rows.data() + rowBytes * static_cast<std::size_t>(y);
      for (int x = 0; x < width; ++x) {
        const bool bit = (line[x >> 3] >> (7 - (x & 7))) & 1;
        const bool isBlack = bit ? index1Black : index0Black;
        if (!isBlack) out[x >> 3] = static_cast<char>(out[x >> 3] | (0x80 >> (x & 7)));
      }
    }
    return rows;
  }
  const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
  if (rgb.isNull()) return {};  // out of memory
  const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
  rows.resize(rowBytes * static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y)
    std::copy_n(reinterpret_cast<const char*>(rgb.constScanLine(y)), rowBytes,
                rows.data() + rowBytes * static_cast<std::size_t>(y));
  return rows;
}

bool PdfDeflate(const std::string& bytes, std::string* out) {
  uLongf size = compressBound(static_cast<uLong>(bytes.size()));
  out->resize(size);
  const int rc = compress2(reinterpret_cast<Bytef*>(out->data()), &size,
                           reinterpret_cast<const Bytef*>(bytes.data()),
                           static_cast<uLong>(bytes.size()), Z_DEFAULT_COMPRESSION);
  if (rc != Z_OK) {
    out->clear();
    return false;
  }
  out->resize(size);
  return true;
}

bool PdfEncodeJpeg(const std::string& rgbRows, int width, int height, int quality,
                   std::string* out, std::string* error) {
  out->clear();
  if (width <= 0 || height <= 0 ||
      rgbRows.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3) {
    if (error) *error = "Invalid picture data";
    return false;
  }
  jpeg_compress_struct cinfo;
  JpegErrorManager err;
  err.message[0] = '\0';
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = onJpegError;
  err.pub.output_message = onJpegMessage;
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  const bool ok = compressRows(cinfo, err, reinterpret_cast<const unsigned char*>(rgbRows.data()),
                               width, height, quality, &buffer, &size);
  jpeg_destroy_compress(&cinfo);
  if (ok && buffer != nullptr) out->assign(reinterpret_cast<const char*>(buffer), size);
  std::free(buffer);
  if (!ok && error) *error = err.message;
  return ok;
}

bool TPdfImage::Encode(const QImage& picture, TPdfCompressMode mode, int jpegQuality,
                       std::string* error) {
  data_.clear();
  width_ = picture.width();
  height_ = picture.height();
  if (picture.isNull() || width_ <= 0 || height_ <= 0) {
    if (error) *error = "Invalid picture";
    return false;
  }
  if (width_ > MaxPdfImageSide || height_ > MaxPdfImageSide ||
      static_cast<std::int64_t>(width_) * height_ > MaxPdfImagePixels) {
    if (error) *error = "Picture too large";
    return false;
  }
  monochrome_ = isMonochrome(picture);
  encoding_ = static_cast<int>(mode);
  if (monochrome_ && mode == TPdfCompressMode::cpJpeg) encoding_ = 1;

  std::string raw = PdfImageRows(picture, monochrome_);
  if (raw.empty()) {
    if (error) *error = "Out of memory";
    return false;
  }
  std::string encoded;
  if (encoding_ == 1) {
    if (!PdfDeflate(raw, &encoded)) {
      if (error) *error = "Compression error";
      return false;
    }
  } else if (encoding_ == 2) {
    if (!PdfEncodeJpeg(raw, width_, height_, jpegQuality, &encoded, error)) return false;
  } else {
    encoded.swap(raw);
  }
  data_ = Ascii85Encode(reinterpret_cast<const std::uint8_t*>(encoded.data()), encoded.size());
  return true;
}

std::string TPdfImage::FilterText() const {
  static const char* const second[] = {"", " /FlateDecode", " /DCTDecode"};
  return std::string("[/ASCII85Decode") + second[encoding_] + "]";
}
