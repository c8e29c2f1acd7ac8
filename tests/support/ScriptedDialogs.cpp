#include "ScriptedDialogs.h"

#include <gtest/gtest.h>

std::vector<std::string> ScriptedDialogs::texts() const {
  std::vector<std::string> out;
  for (const Event& e : events_)
    if (e.type == Event::Message || e.type == Event::Question) out.push_back(e.text);
  return out;
}

std::vector<std::string> ScriptedDialogs::messages() const {
  std::vector<std::string> out;
  for (const Event& e : events_)
    if (e.type == Event::Message) out.push_back(e.text);
  return out;
}

std::vector<std::string> ScriptedDialogs::questions() const {
  std::vector<std::string> out;
  for (const Event& e : events_)
    if (e.type == Event::Question) out.push_back(e.text);
  return out;
}

const FileDialogRequest* ScriptedDialogs::lastFileRequest() const {
  for (auto it = events_.rbegin(); it != events_.rend(); ++it)
    if (it->type == Event::OpenFile || it->type == Event::SaveFile) return &it->request;
  return nullptr;
}

bool ScriptedDialogs::allUsed() const {
  return answers_.empty() && openFiles_.empty() && saveFiles_.empty() && inputs_.empty() &&
         colors_.empty();
}

void ScriptedDialogs::showMessage(const std::string& text, DialogKind) {
  events_.push_back({Event::Message, text, {}});
}

DialogAnswer ScriptedDialogs::ask(const std::string& text, DialogButtons buttons, DialogKind) {
  events_.push_back({Event::Question, text, {}});
  if (answers_.empty()) {
    ADD_FAILURE() << "unexpected question: " << text;
    return buttons == DialogButtons::Ok ? DialogAnswer::Ok
           : buttons == DialogButtons::YesNo ? DialogAnswer::No
                                             : DialogAnswer::Cancel;
  }
  DialogAnswer a = answers_.front();
  answers_.pop_front();
  return a;
}

std::optional<std::string> ScriptedDialogs::openFileName(const FileDialogRequest& request) {
  events_.push_back({Event::OpenFile, request.title, request});
  if (openFiles_.empty()) {
    ADD_FAILURE() << "unexpected open dialog: " << request.title << " filter " << request.filter;
    return {};
  }
  auto p = openFiles_.front();
  openFiles_.pop_front();
  return p;
}

std::optional<std::string> ScriptedDialogs::saveFileName(const FileDialogRequest& request) {
  events_.push_back({Event::SaveFile, request.title, request});
  if (saveFiles_.empty()) {
    ADD_FAILURE() << "unexpected save dialog: " << request.title << " proposing "
                  << request.fileName;
    return {};
  }
  auto p = saveFiles_.front();
  saveFiles_.pop_front();
  return p;
}

std::optional<std::string> ScriptedDialogs::inputText(const std::string& caption,
                                                      const std::string& prompt,
                                                      const std::string&) {
  events_.push_back({Event::Input, caption + ": " + prompt, {}});
  if (inputs_.empty()) {
    ADD_FAILURE() << "unexpected input dialog: " << caption << " " << prompt;
    return {};
  }
  auto t = inputs_.front();
  inputs_.pop_front();
  return t;
}

std::optional<unsigned> ScriptedDialogs::chooseColor(unsigned) {
  events_.push_back({Event::Color, "colour", {}});
  if (colors_.empty()) {
    ADD_FAILURE() << "unexpected colour dialog";
    return {};
  }
  auto c = colors_.front();
  colors_.pop_front();
  return c;
}

bool ScriptedDialogs::choosePrinter(QPrinter& printer) {
  events_.push_back({Event::Printer, "printer", {}});
  if (!printer_) {
    ADD_FAILURE() << "unexpected printer dialog";
    return false;
  }
  return printer_(printer);
}

int ScriptedDialogs::runModal(QDialog& dialog) {
  events_.push_back({Event::Modal, "modal dialog", {}});
  if (!modal_) {
    ADD_FAILURE() << "unexpected modal dialog";
    return 0;
  }
  return modal_(dialog);
}

ScriptedDialogsScope::~ScriptedDialogsScope() {
  EXPECT_TRUE(dialogs.allUsed()) << "queued dialog answers were not used";
}
