#include "JpegImage.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace {

// libjpeg reports fatal errors through error_exit, which must not return; we jump back to the
// decoding step and turn the error into a message. The steps between setjmp and a possible
// longjmp hold no objects with destructors.
struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void onError(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, err->message);
  std::longjmp(err->jump, 1);
}

// Warnings (such as a truncated file) are not fatal: the picture decodes as far as it goes.
void onMessage(j_common_ptr) {}

// Reads the header and starts decompression into RGB. False on a fatal error.
bool startDecoding(jpeg_decompress_struct& cinfo, ErrorManager& err, const unsigned char* data,
                   std::size_t size) {
  if (setjmp(err.jump)) return false;
  jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
  jpeg_read_header(&cinfo, TRUE);
  cinfo.out_color_space = JCS_RGB;
  jpeg_calc_output_dimensions(&cinfo);
  if (cinfo.output_width > static_cast<JDIMENSION>(MaxJpegSide) ||
      cinfo.output_height > static_cast<JDIMENSION>(MaxJpegSide)) {
    std::snprintf(err.message, sizeof err.message, "Picture too large (%ux%u pixels)",
                  static_cast<unsigned>(cinfo.output_width),
                  static_cast<unsigned>(cinfo.output_height));
    return false;
  }
  jpeg_start_decompress(&cinfo);
  return true;
}

// Reads every scanline into the rows of an image of the output size. False on a fatal error.
bool readScanlines(jpeg_decompress_struct& cinfo, ErrorManager& err, unsigned char* bits,
                   std::size_t bytesPerLine) {
  if (setjmp(err.jump)) return false;
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = bits + bytesPerLine * cinfo.output_scanline;
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  return true;
}

}  // namespace

QImage DecodeJpeg(const unsigned char* data, std::size_t size, std::string& error) {
  error.clear();
  if (data == nullptr || size == 0) {
    error = "No picture data";
    return {};
  }
  jpeg_decompress_struct cinfo;
  ErrorManager err;
  err.message[0] = '\0';
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = onError;
  err.pub.output_message = onMessage;
  jpeg_create_decompress(&cinfo);

  QImage image;
  bool ok = startDecoding(cinfo, err, data, size);
  if (ok) {
    image = QImage(static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height),
                   QImage::Format_RGB888);
    ok = !image.isNull() &&
         readScanlines(cinfo, err, image.bits(), static_cast<std::size_t>(image.bytesPerLine()));
    if (image.isNull()) std::snprintf(err.message, sizeof err.message, "Out of memory");
  }
  jpeg_destroy_decompress(&cinfo);
  if (!ok) {
    error = err.message[0] != '\0' ? err.message : "Not a JPEG picture";
    return {};
  }
  return image;
}
