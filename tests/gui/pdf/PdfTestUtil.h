#pragma once
// Reading back what the PDF writer produced: a small parser of its files (xref, objects,
// streams), independent ASCII85 and JPEG decoders, and the command-line PDF tools when present.

#include <QImage>
#include <QStringList>

#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace pdftest {

struct ParsedPdf {
  std::string bytes;
  std::int64_t startxref = -1;
  int size = 0;                             // /Size of the trailer
  std::map<int, std::int64_t> offsets;      // from the xref table, in-use entries only
  std::string trailer;
  std::string error;                        // empty when the file parsed

  // The text of object n from "n 0 obj" up to "endobj" (empty when absent).
  std::string object(int n) const;
  // The raw stream data of object n, as long as its /Length says.
  std::string stream(int n) const;
  // Value of "/Key value" inside object n's dictionary up to the end of the line.
  std::string value(int n, const std::string& key) const;
};

// Parses the file: the startxref offset, the table behind it, and checks that every in-use entry
// points exactly at "n 0 obj".
ParsedPdf parsePdf(const std::string& bytes);

// Number of "n 0 obj" headers in the file.
int countObjects(const std::string& bytes);

std::optional<std::string> decodeAscii85(const std::string& text);  // up to "~>"
std::optional<std::string> inflate(const std::string& data);
// Decodes JPEG data to RGB; `quality0` gets the first entry of the first quantisation table.
QImage decodeJpeg(const std::string& data, int* quality0);

// Runs a tool and returns its exit code (standard output in `out`); nullopt when the tool is not
// installed.
std::optional<int> runTool(const QString& program, const QStringList& args, std::string* out);
bool haveTool(const QString& program);

// Renders page 1 at `dpi` through pdftoppm; a null image when that fails.
QImage renderPage(const std::string& pdfPath, int dpi);

}  // namespace pdftest
