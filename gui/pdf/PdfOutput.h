#pragma once
// The byte sink of the PDF writer: counts every byte so that object offsets are exact, numbers the
// objects and remembers where each one starts.

#include <QIODevice>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class PdfOutput {
public:
  // Starts writing to an open device; offsets count from here.
  void Start(QIODevice* device);
  void Stop();

  // Each returns false once a write has failed (the device took fewer bytes than given); later
  // writes are then skipped.
  bool Write(std::string_view bytes);
  bool Line(std::string_view text);  // the text and CR LF

  // A new object number, not yet written.
  int NewObject();
  // Records the current offset as the start of object `number` and writes its first line
  // "n 0 obj". A number that was never handed out is refused.
  bool BeginObject(int number);
  // A new object started at once.
  int StartNewObject();

  std::int64_t Offset() const { return offset_; }
  int ObjectCount() const { return static_cast<int>(offsets_.size()); }
  // Offset of object n (1-based), -1 while it is unwritten.
  std::int64_t ObjectOffset(int number) const;
  bool Failed() const { return failed_; }

  static std::string Ref(int number) { return std::to_string(number) + " 0 R"; }

private:
  QIODevice* device_ = nullptr;
  std::int64_t offset_ = 0;
  std::vector<std::int64_t> offsets_;
  bool failed_ = false;
};
