#pragma once
// The program's dialogs: Qt message boxes, file, colour and printer dialogs.

#include "Dialogs.h"

#include <QString>

class QtDialogs final : public Dialogs {
public:
  void showMessage(const std::string& text, DialogKind kind) override;
  DialogAnswer ask(const std::string& text, DialogButtons buttons, DialogKind kind) override;
  std::optional<std::string> openFileName(const FileDialogRequest& request) override;
  std::optional<std::string> saveFileName(const FileDialogRequest& request) override;
  std::optional<std::string> inputText(const std::string& caption, const std::string& prompt,
                                       const std::string& initial) override;
  std::optional<unsigned> chooseColor(unsigned initial) override;
  bool choosePrinter(QPrinter& printer) override;
  int runModal(QDialog& dialog) override;

  // "desc|pattern|desc|pattern" -> Qt's "desc (pattern);;desc (pattern)".
  static QString qtFilter(const std::string& filter);
  // The entry of the request's filter the dialog starts with (empty: the first).
  static QString selectedFilter(const FileDialogRequest& request);
};
