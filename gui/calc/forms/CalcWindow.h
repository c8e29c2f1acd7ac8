#pragma once
// What the median-joining, reduced-median and star-contraction windows share: the data set and
// its file, the calculating flag that keeps the window open, the closing that frees the data set
// and enables the main window again, the menu entries, the help menu and the weights panel.

#include "CalcWindowParts.h"
#include "MenuItems.h"
#include "RDF_DataSet_Definition.h"

#include <QGroupBox>
#include <QMainWindow>

#include <memory>
#include <string>

class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;

// The "Weighting" panel: one line per character, a click opens "New weight" for that character,
// leaving the edit passes a typed whole number from 0 to `maxTyped` to SetWeight (which refuses
// what the data set does not hold, with its message) and the line shows the weight the character
// then has; "OK" closes the panel.
class TWeightsPanel final : public QGroupBox {
  Q_OBJECT
public:
  // `maxLength` limits the edit's text (0: no limit).
  TWeightsPanel(int maxTyped, int maxLength, QWidget* parent);
  // Fills the list from `data` (not owned; it must outlive the panel's use) and shows the panel.
  void Open(Trdf_DataSet& data);

signals:
  void closed();

private:
  void lineClicked(QListWidgetItem* line);
  void editLeft();
  void okClicked();
  std::string line(int character) const;

  const int maxTyped_;
  Trdf_DataSet* data_ = nullptr;
  int edited_ = 0;
  QListWidget* list_ = nullptr;
  QLabel* label_ = nullptr;
  QLineEdit* edit_ = nullptr;
};

class TCalcWindow : public QMainWindow {
  Q_OBJECT
public:
  bool Calculating() const { return calculating_; }
  const Trdf_DataSet* DataSet() const { return data_.get(); }
  const std::string& DataFileName() const { return fileName_; }

  void About1Click();
  void Weblink1Click();

protected:
  // A top-level window that deletes itself when closed.
  TCalcWindow(QWidget* parent, const char* objectName, const char* title, const char* aboutText);
  ~TCalcWindow() override;

  // Refused while a calculation runs (nothing may free the data set under it); otherwise frees the
  // data set and enables the main window again.
  void closeEvent(QCloseEvent* event) override;

  // A menu entry (in `menu`, or on the menu bar without one) that calls `slot`.
  template <class Window>
  QAction* item(QMenu* menu, const char* name, const QString& caption, void (Window::*slot)()) {
    return AddMenuItem(static_cast<Window*>(this), menu, name, caption, slot);
  }
  // The "&Help" menu with "&About" and "&Weblink".
  QMenu* addHelpMenu();
  // The window's weights panel, made in `parent` (`maxTyped` and `maxLength` as for
  // TWeightsPanel); closing it enables the menus again.
  TWeightsPanel* addWeightsPanel(QWidget* parent, int maxTyped, int maxLength);
  // Opens the weights panel over the data set, the menus disabled; nothing without a data set.
  void showWeights();
  virtual void setMenusEnabled(bool enabled) = 0;

  // A fresh data set read by `load`; on failure the data set is dropped and false returned.
  template <class Load>
  bool loadDataSet(const std::string& fileName, Load&& load) {
    data_ = std::make_unique<Trdf_DataSet>();
    n_ = 0;
    if (!load(*data_)) {
      data_.reset();
      return false;
    }
    fileName_ = fileName;
    n_ = data_->TaxaCount();
    return true;
  }
  // Whether the first state of the first taxon is '0' or '1'.
  bool binaryData() const;

  std::unique_ptr<Trdf_DataSet> data_;
  std::string fileName_;
  int n_ = 0;
  bool calculating_ = false;

private:
  const char* aboutText_;
  TWeightsPanel* weights_ = nullptr;
};
