#pragma once
// "Color scheme definition": one row per label of a colour scheme ("Scheme: " + label, its colour
// and a "Change" button). Filled through its accessors before it is shown, read back through them
// after it closed with OK (kModalOk).

#include "DiagramStyles.h"

#include <QDialog>

#include <vector>

class QLabel;
class QPushButton;
class TColourSwatch;

// One row of the dialog.
struct TSchemeEntry {
  QLabel* SchemeLabel = nullptr;
  QLabel* ColourLabel = nullptr;
  TColourSwatch* Swatch = nullptr;
  QPushButton* ChangeButton = nullptr;  // "ChangeColourBtn_" + row
};

class TSchemeColorsDlg final : public QDialog {
  Q_OBJECT
public:
  explicit TSchemeColorsDlg(QWidget* parent = nullptr);
  ~TSchemeColorsDlg() override;

  void SetEditedSchemeLabels(TSchemeLabels value) { values_.SetEditedSchemeLabels(std::move(value)); }
  const TSchemeLabels& EditedSchemeLabels() const { return values_.EditedSchemeLabels(); }
  void SetEditedSchemeColours(TSchemeColours value) {
    values_.SetEditedSchemeColours(std::move(value));
  }
  const TSchemeColours& EditedSchemeColours() const { return values_.EditedSchemeColours(); }
  int SchemeRowCount() const { return values_.SchemeRowCount(); }
  const std::vector<TSchemeEntry>& Rows() const { return rows_; }

public slots:
  void FormActivate();
  void OKBtnClick();
  void CancelBtnClick();

  // The "Change" button `button` of a row: the colour dialog for that row's colour.
  void BtnChangeColorClick(QObject* button);

protected:
  void showEvent(QShowEvent* event) override;

private:
  void ClearRows();

  TSchemeColorsEdit values_;
  QWidget* rowArea_ = nullptr;
  std::vector<TSchemeEntry> rows_;
};
