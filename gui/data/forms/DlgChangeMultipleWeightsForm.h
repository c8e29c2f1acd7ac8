#pragma once
// The modal dialog "Multiple characters weighting": start and end character by name and a new
// weight. The caller fills it (SetNames, SetWeight), runs it and reads the accepted values.

#include "DlgChangeMultipleWeights.h"

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;

class TDlgListSelection : public QDialog {
  Q_OBJECT
public:
  explicit TDlgListSelection(QWidget* parent = nullptr);

  // Both lists get all names, each with the first one selected.
  void SetNames(const std::vector<std::string>& names);
  void SetWeight(int weight);
  int GetWeight() const { return state_.Weight(); }
  int GetStart() const { return state_.Start(); }
  int GetEnd() const { return state_.End(); }

public slots:
  void BtnOKClick();
  void BtnCancelClick();

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  TMultipleWeights state_;
  QComboBox* cmbStartList_ = nullptr;
  QComboBox* CmbEndList_ = nullptr;
  QLineEdit* EdtWeight_ = nullptr;
  QWidget* weightLabel_ = nullptr;
};
