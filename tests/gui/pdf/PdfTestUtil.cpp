#include "PdfTestUtil.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <zlib.h>

#include <csetjmp>
#include <cctype>
#include <cstdio>
#include <regex>

#include <jpeglib.h>

namespace pdftest {

std::string ParsedPdf::object(int n) const {
  const auto it = offsets.find(n);
  if (it == offsets.end()) return {};
  const auto start = static_cast<std::size_t>(it->second);
  const std::size_t end = bytes.find("endobj", start);
  if (end == std::string::npos) return {};
  return bytes.substr(start, end + 6 - start);
}

std::string ParsedPdf::value(int n, const std::string& key) const {
  const std::string text = object(n);
  const std::size_t at = text.find(key + " ");
  if (at == std::string::npos) return {};
  const std::size_t from = at + key.size() + 1;
  return text.substr(from, text.find("\r\n", from) - from);
}

std::string ParsedPdf::stream(int n) const {
  const std::string text = object(n);
  const std::string length = value(n, "/Length");
  const std::size_t at = text.find("stream\r\n");
  if (length.empty() || at == std::string::npos) return {};
  return text.substr(at + 8, static_cast<std::size_t>(std::stoll(length)));
}

ParsedPdf parsePdf(const std::string& bytes) {
  ParsedPdf pdf;
  pdf.bytes = bytes;
  const std::size_t sx = bytes.rfind("startxref\r\n");
  if (sx == std::string::npos) {
    pdf.error = "no startxref";
    return pdf;
  }
  pdf.startxref = std::stoll(bytes.substr(sx + 11));
  if (pdf.startxref < 0 || static_cast<std::size_t>(pdf.startxref) >= bytes.size() ||
      bytes.compare(static_cast<std::size_t>(pdf.startxref), 6, "xref\r\n") != 0) {
    pdf.error = "startxref does not point at xref";
    return pdf;
  }
  std::size_t pos = static_cast<std::size_t>(pdf.startxref) + 6;
  int first = 0, count = 0;
  if (std::sscanf(bytes.c_str() + pos, "%d %d", &first, &count) != 2 || first != 0) {
    pdf.error = "bad subsection header";
    return pdf;
  }
  pos = bytes.find("\r\n", pos) + 2;
  for (int i = 0; i < count; ++i, pos += 20) {
    if (pos + 20 > bytes.size()) {
      pdf.error = "xref table cut short";
      return pdf;
    }
    const std::string entry = bytes.substr(pos, 20);
    if (entry.substr(18) != "\r\n") {
      pdf.error = "xref entry not 20 bytes: " + entry;
      return pdf;
    }
    if (entry[17] == 'n') pdf.offsets[i] = std::stoll(entry.substr(0, 10));
    else if (i == 0 && entry != "0000000000 65535 f\r\n") pdf.error = "bad free entry";
  }
  if (bytes.compare(pos, 9, "trailer\r\n") != 0) {
    pdf.error = "no trailer after the table";
    return pdf;
  }
  pdf.trailer = bytes.substr(pos, sx - pos);
  std::smatch m;
  if (std::regex_search(pdf.trailer, m, std::regex("/Size (\\d+)"))) pdf.size = std::stoi(m[1]);
  if (pdf.size != count) pdf.error = "/Size differs from the table";
  for (const auto& [n, offset] : pdf.offsets) {
    const std::string head = std::to_string(n) + " 0 obj\r\n";
    if (offset < 0 || static_cast<std::size_t>(offset) + head.size() > bytes.size() ||
        bytes.compare(static_cast<std::size_t>(offset), head.size(), head) != 0)
      pdf.error = "xref offset of object " + std::to_string(n) + " is off";
  }
  return pdf;
}

int countObjects(const std::string& bytes) {
  const std::regex header("(^|\\r\\n)\\d+ 0 obj\\r\\n");
  return static_cast<int>(std::distance(
      std::sregex_iterator(bytes.begin(), bytes.end(), header), std::sregex_iterator()));
}

std::optional<std::string> decodeAscii85(const std::string& text) {
  std::string out;
  std::uint64_t group = 0;
  int n = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '~') {
      if (i + 1 >= text.size() || text[i + 1] != '>') return std::nullopt;
      if (n == 1) return std::nullopt;
      if (n > 0) {
        for (int k = n; k < 5; ++k) group = group * 85 + 84;
        for (int k = 0; k < n - 1; ++k) out.push_back(static_cast<char>((group >> (24 - 8 * k)) & 0xFF));
      }
      return out;
    }
    if (c == 'z' && n == 0) {
      out.append(4, '\0');
      continue;
    }
    if (c < '!' || c > 'u') {
      if (std::isspace(static_cast<unsigned char>(c))) continue;
      return std::nullopt;
    }
    group = group * 85 + static_cast<std::uint64_t>(c - '!');
    if (++n == 5) {
      if (group > 0xFFFFFFFFull) return std::nullopt;
      for (int k = 0; k < 4; ++k) out.push_back(static_cast<char>((group >> (24 - 8 * k)) & 0xFF));
      group = 0;
      n = 0;
    }
  }
  return std::nullopt;  // no end marker
}

std::optional<std::string> inflate(const std::string& data) {
  z_stream z{};
  if (inflateInit(&z) != Z_OK) return std::nullopt;
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  z.avail_in = static_cast<uInt>(data.size());
  std::string out;
  char buffer[65536];
  int rc = Z_OK;
  while (rc == Z_OK) {
    z.next_out = reinterpret_cast<Bytef*>(buffer);
    z.avail_out = sizeof buffer;
    rc = ::inflate(&z, Z_NO_FLUSH);
    out.append(buffer, sizeof buffer - z.avail_out);
  }
  inflateEnd(&z);
  if (rc != Z_STREAM_END) return std::nullopt;
  return out;
}

namespace {
struct JpegErr {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
};
void jpegFail(j_common_ptr cinfo) { std::longjmp(reinterpret_cast<JpegErr*>(cinfo->err)->jump, 1); }

bool decodeInto(jpeg_decompress_struct& cinfo, JpegErr& err, const std::string& data, QImage* image,
                int* quality0) {
  if (setjmp(err.jump)) return false;
  jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(data.data()),
               static_cast<unsigned long>(data.size()));
  jpeg_read_header(&cinfo, TRUE);
  if (quality0 && cinfo.quant_tbl_ptrs[0]) *quality0 = cinfo.quant_tbl_ptrs[0]->quantval[0];
  cinfo.out_color_space = JCS_RGB;
  jpeg_start_decompress(&cinfo);
  *image = QImage(static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height),
                  QImage::Format_RGB888);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = image->scanLine(static_cast<int>(cinfo.output_scanline));
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  return true;
}
}  // namespace

QImage decodeJpeg(const std::string& data, int* quality0) {
  jpeg_decompress_struct cinfo;
  JpegErr err;
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = jpegFail;
  jpeg_create_decompress(&cinfo);
  QImage image;
  const bool ok = decodeInto(cinfo, err, data, &image, quality0);
  jpeg_destroy_decompress(&cinfo);
  return ok ? image : QImage();
}

bool haveTool(const QString& program) { return !QStandardPaths::findExecutable(program).isEmpty(); }

std::optional<int> runTool(const QString& program, const QStringList& args, std::string* out) {
  if (!haveTool(program)) return std::nullopt;
  QProcess process;
  process.start(program, args);
  if (!process.waitForFinished(60000)) return -1;
  if (out) *out = process.readAllStandardOutput().toStdString() +
                  process.readAllStandardError().toStdString();
  return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

QImage renderPage(const std::string& pdfPath, int dpi) {
  QTemporaryDir dir;
  const QString prefix = dir.filePath("page");
  const auto rc = runTool("pdftoppm", {"-r", QString::number(dpi), "-singlefile", "-png",
                                       QString::fromStdString(pdfPath), prefix},
                          nullptr);
  if (!rc || *rc != 0) return {};
  return QImage(prefix + ".png").convertToFormat(QImage::Format_RGB888);
}

}  // namespace pdftest
