#include "Dialogs.h"

#include <cstdio>

namespace {

class FallbackDialogs final : public Dialogs {
public:
  void showMessage(const std::string& text, DialogKind) override {
    std::fprintf(stderr, "%s\n", text.c_str());
  }
  DialogAnswer ask(const std::string& text, DialogButtons buttons, DialogKind) override {
    std::fprintf(stderr, "%s\n", text.c_str());
    return buttons == DialogButtons::Ok ? DialogAnswer::Ok
           : buttons == DialogButtons::OkCancel ? DialogAnswer::Cancel
                                                : DialogAnswer::No;
  }
  std::optional<std::string> openFileName(const FileDialogRequest&) override { return {}; }
  std::optional<std::string> saveFileName(const FileDialogRequest&) override { return {}; }
  std::optional<std::string> inputText(const std::string&, const std::string&,
                                       const std::string&) override {
    return {};
  }
  std::optional<unsigned> chooseColor(unsigned) override { return {}; }
};

FallbackDialogs fallback;
Dialogs* installed = nullptr;

}  // namespace

Dialogs& dialogs() { return installed ? *installed : fallback; }

Dialogs* setDialogs(Dialogs* d) {
  Dialogs* previous = installed;
  installed = d;
  return previous;
}
