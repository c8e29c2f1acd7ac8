#pragma once
// The one door through which the program talks to the user in modal dialogs: message boxes,
// questions, file dialogs, the printer dialog and the windows' own modal dialogs. Windows and model code call dialogs(); the program installs a Qt
// implementation, tests install a scripted one that answers from a queue.

#include <optional>
#include <string>

class QDialog;
class QPrinter;

enum class DialogKind { Information, Warning, Error, Confirmation };
enum class DialogButtons { Ok, YesNo, OkCancel, YesNoCancel };
enum class DialogAnswer { Ok, Yes, No, Cancel };

// An open or save dialog. `filter` uses the "description|pattern|description|pattern" form that the
// windows are written with, e.g. "Tarvane output files (*.out) |*.out".
struct FileDialogRequest {
  std::string title;
  std::string filter;
  std::string initialDir;
  std::string fileName;    // proposed name (save dialogs) or preselected name
  std::string defaultExt;  // without the dot; appended by the window, not by the dialog
  int filterIndex = 1;     // 1-based entry of `filter` the dialog starts with
};

class Dialogs {
public:
  virtual ~Dialogs() = default;

  // A modal message with an OK button.
  virtual void showMessage(const std::string& text, DialogKind kind = DialogKind::Information) = 0;
  // A modal question; returns the button the user pressed (Cancel or No when the box is closed).
  virtual DialogAnswer ask(const std::string& text, DialogButtons buttons,
                           DialogKind kind = DialogKind::Confirmation) = 0;
  // File dialogs: the chosen path, or nothing when cancelled.
  virtual std::optional<std::string> openFileName(const FileDialogRequest& request) = 0;
  virtual std::optional<std::string> saveFileName(const FileDialogRequest& request) = 0;
  // A one-line text input; nothing when cancelled.
  virtual std::optional<std::string> inputText(const std::string& caption, const std::string& prompt,
                                               const std::string& initial) = 0;
  // A colour dialog on 0x00BBGGRR colours; nothing when cancelled.
  virtual std::optional<unsigned> chooseColor(unsigned initial) = 0;
  // The printer dialog on `printer`; true when confirmed. Without an answer of its own an
  // implementation declines, as headless code must never block.
  virtual bool choosePrinter(QPrinter&) { return false; }
  // Runs one of the windows' own dialogs (a style dialog) modally: its result code, 0 (rejected)
  // when it was closed. Declined (0) unless an implementation runs it.
  virtual int runModal(QDialog&) { return 0; }

  bool askYesNo(const std::string& text, DialogKind kind = DialogKind::Confirmation) {
    return ask(text, DialogButtons::YesNo, kind) == DialogAnswer::Yes;
  }
  bool askOkCancel(const std::string& text, DialogKind kind = DialogKind::Confirmation) {
    return ask(text, DialogButtons::OkCancel, kind) == DialogAnswer::Ok;
  }
};

// The installed implementation. Until one is installed, a fallback writes messages to standard
// error and answers every question with No/Cancel, so headless code never blocks.
Dialogs& dialogs();
// Installs `d` (not owned); nullptr restores the fallback. Returns the previous one.
Dialogs* setDialogs(Dialogs* d);

// Installs a dialogs implementation for the lifetime of the scope.
class DialogsScope {
public:
  explicit DialogsScope(Dialogs& d) : previous_(setDialogs(&d)) {}
  ~DialogsScope() { setDialogs(previous_); }
  DialogsScope(const DialogsScope&) = delete;
  DialogsScope& operator=(const DialogsScope&) = delete;

private:
  Dialogs* previous_;
};
