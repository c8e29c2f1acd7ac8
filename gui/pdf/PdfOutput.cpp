#include "PdfOutput.h"

void PdfOutput::Start(QIODevice* device) {
  device_ = device;
  offset_ = 0;
  offsets_.clear();
  failed_ = device == nullptr;
}

void PdfOutput::Stop() { device_ = nullptr; }

bool PdfOutput::Write(std::string_view bytes) {
  if (failed_ || device_ == nullptr) return false;
  std::size_t done = 0;
  while (done < bytes.size()) {
    const qint64 n = device_->write(bytes.data() + done, static_cast<qint64>(bytes.size() - done));
    if (n <= 0) {
      failed_ = true;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  offset_ += static_cast<std::int64_t>(bytes.size());
  return true;
}

bool PdfOutput::Line(std::string_view text) {
  return Write(text) && Write("\r\n");
}

int PdfOutput::NewObject() {
  offsets_.push_back(-1);
  return static_cast<int>(offsets_.size());
}

bool PdfOutput::BeginObject(int number) {
  if (number < 1 || number > ObjectCount()) return false;
  offsets_[static_cast<std::size_t>(number - 1)] = offset_;
  return Line(std::to_string(number) + " 0 obj");
}

int PdfOutput::StartNewObject() {
  const int number = NewObject();
  return BeginObject(number) ? number : 0;
}

std::int64_t PdfOutput::ObjectOffset(int number) const {
  if (number < 1 || number > ObjectCount()) return -1;
  return offsets_[static_cast<std::size_t>(number - 1)];
}
