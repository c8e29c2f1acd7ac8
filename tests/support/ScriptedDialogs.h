#pragma once
// A dialogs implementation for tests: records every text shown or asked, answers questions and file
// dialogs from queues, and fails the running test on a prompt nobody queued an answer for.
// Install it with DialogsScope (or use ScriptedDialogsScope).

#include "Dialogs.h"

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class ScriptedDialogs final : public Dialogs {
public:
  struct Event {
    enum Type { Message, Question, OpenFile, SaveFile, Input, Color, Printer, Modal } type;
    std::string text;           // message or question text; the title for file dialogs
    FileDialogRequest request;  // file dialogs only
  };

  // Queued answers, used in order by the prompts of their type.
  void answer(DialogAnswer a) { answers_.push_back(a); }
  void openFile(std::optional<std::string> path) { openFiles_.push_back(std::move(path)); }
  void saveFile(std::optional<std::string> path) { saveFiles_.push_back(std::move(path)); }
  void input(std::optional<std::string> text) { inputs_.push_back(std::move(text)); }
  void color(std::optional<unsigned> c) { colors_.push_back(c); }
  // How the printer dialog is answered from now on: `answer` sets up the printer (to print into a
  // file, say) and says whether the dialog was confirmed.
  void onPrinter(std::function<bool(QPrinter&)> answer) { printer_ = std::move(answer); }
  // How the windows' own modal dialogs are answered from now on: `answer` fills in the dialog and
  // returns its result code.
  void onModal(std::function<int(QDialog&)> answer) { modal_ = std::move(answer); }

  const std::vector<Event>& events() const { return events_; }
  // Texts of messages and questions, in order.
  std::vector<std::string> texts() const;
  std::vector<std::string> messages() const;   // showMessage only
  std::vector<std::string> questions() const;  // ask only
  const FileDialogRequest* lastFileRequest() const;
  void clear() { events_.clear(); }
  // True when every queued answer was used.
  bool allUsed() const;

  void showMessage(const std::string& text, DialogKind kind) override;
  DialogAnswer ask(const std::string& text, DialogButtons buttons, DialogKind kind) override;
  std::optional<std::string> openFileName(const FileDialogRequest& request) override;
  std::optional<std::string> saveFileName(const FileDialogRequest& request) override;
  std::optional<std::string> inputText(const std::string& caption, const std::string& prompt,
                                       const std::string& initial) override;
  std::optional<unsigned> chooseColor(unsigned initial) override;
  bool choosePrinter(QPrinter& printer) override;
  int runModal(QDialog& dialog) override;

private:
  std::vector<Event> events_;
  std::deque<DialogAnswer> answers_;
  std::deque<std::optional<std::string>> openFiles_, saveFiles_, inputs_;
  std::deque<std::optional<unsigned>> colors_;
  std::function<bool(QPrinter&)> printer_;
  std::function<int(QDialog&)> modal_;
};

// Owns a ScriptedDialogs and installs it for the scope; checks at the end that every queued
// answer was used.
class ScriptedDialogsScope {
public:
  ScriptedDialogsScope() : scope_(dialogs) {}
  ~ScriptedDialogsScope();
  ScriptedDialogs dialogs;

private:
  DialogsScope scope_;
};
