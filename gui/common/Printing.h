#pragma once
// Printing a window's picture: the printer dialog goes through the dialogs layer, and the picture
// is stretched onto a landscape page less 50 units on every side.

#include <QImage>

#include <functional>
#include <memory>
#include <string>

class QPrinter;

// Prints `picture` on `printer`; false after showing `failure` when the job could not start.
bool PrintStretched(QPrinter& printer, const QImage& picture, const std::string& failure);

// A window's printer, kept from one print to the next so its settings stay.
class TWindowPrinter {
public:
  TWindowPrinter();
  ~TWindowPrinter();
  // The printer dialog, then the picture (taken only when the dialog was confirmed). False when
  // cancelled or failed.
  bool Print(const std::function<QImage()>& picture, const std::string& failure);
  // The printer dialog alone; "The printer setup has been changed." when confirmed.
  void Setup();

private:
  QPrinter& printer();
  std::unique_ptr<QPrinter> printer_;
};
