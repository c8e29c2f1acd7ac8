#pragma once
// The dialogs layer of a fuzz target: messages are taken silently (but must say something),
// questions are answered Yes/OK so the reader goes on as far as it can, file, input and colour
// dialogs are cancelled.

#include "Dialogs.h"
#include "FuzzInput.h"

namespace fuzz {

class FuzzDialogs final : public Dialogs {
public:
  void showMessage(const std::string& text, DialogKind) override {
    if (text.empty()) Finding("an empty message was shown");
  }
  DialogAnswer ask(const std::string& text, DialogButtons buttons, DialogKind) override {
    if (text.empty()) Finding("an empty question was asked");
    return buttons == DialogButtons::Ok || buttons == DialogButtons::OkCancel ? DialogAnswer::Ok
                                                                              : DialogAnswer::Yes;
  }
  std::optional<std::string> openFileName(const FileDialogRequest&) override { return {}; }
  std::optional<std::string> saveFileName(const FileDialogRequest&) override { return {}; }
  std::optional<std::string> inputText(const std::string&, const std::string&,
                                       const std::string&) override {
    return {};
  }
  std::optional<unsigned> chooseColor(unsigned) override { return {}; }
};

// Installed once for the whole run.
inline void InstallDialogs() {
  static FuzzDialogs d;
  static DialogsScope scope(d);
}

}  // namespace fuzz
