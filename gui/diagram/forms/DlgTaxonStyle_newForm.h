#pragma once
// "Pie chart definition": a node's outline (width, colour, style) and its pie chart, a list of
// slices built at run time as rows of controls in a scroll box, each with its number of
// individuals, fill pattern and colour. Filled through its accessors before it is shown, read
// back through them after it closed with OK (kModalOk). The values live in a TTaxonStyle the
// caller keeps, so a refused outline width leaves what the dialog held the last time.

#include "DiagramStyles.h"

#include <QDialog>

#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QScrollArea;
class QSpinBox;
class TColourSwatch;
class TPreviewImage;

// One row of the slice list; n is the 1-based row number in the control names.
struct TPieEntry {
  QLabel* IndividualsLabel = nullptr;
  QSpinBox* FrequencySpin = nullptr;       // "FrequencySpin_" + n
  QLabel* PatternLabel = nullptr;
  QComboBox* PatternCombo = nullptr;       // "PatternCombo_" + n
  QLabel* ColourLabel = nullptr;
  TColourSwatch* Swatch = nullptr;
  QPushButton* ChangeColourBtn = nullptr;  // "ChangeColourBtn_" + n
  QPushButton* RemovePieBtn = nullptr;     // "RemovePieBtn_" + n

  std::vector<QWidget*> Controls() const;
};

class TTaxonStyleDlg_new final : public QDialog {
  Q_OBJECT
public:
  explicit TTaxonStyleDlg_new(TTaxonStyle& values, QWidget* parent = nullptr);
  ~TTaxonStyleDlg_new() override;

  void SetTaxonFrequency(std::int32_t value) { values_.SetTaxonFrequency(value); }
  // Accepts 1..4 only.
  void SetOutlineWidth(std::int32_t value) { values_.SetOutlineWidth(value); }
  std::int32_t OutlineWidth() const { return values_.OutlineWidth(); }
  void SetOutlineStyle(std::uint8_t value) { values_.SetOutlineStyle(value); }
  std::uint8_t OutlineStyle() const { return values_.OutlineStyle(); }
  void SetOutlineColor(TColor value) { values_.SetOutlineColor(value); }
  TColor OutlineColor() const { return values_.OutlineColor(); }
  void SetApplyAllTaxa(bool value) { values_.SetApplyAllTaxa(value); }
  bool ApplyAllTaxa() const { return values_.ApplyAllTaxa(); }
  void SetApplyAllMedians(bool value) { values_.SetApplyAllMedians(value); }
  bool ApplyAllMedians() const { return values_.ApplyAllMedians(); }
  void SetPieColours(TPieColours value) { values_.SetPieColours(std::move(value)); }
  const TPieColours& PieColours() const { return values_.PieColours(); }
  void SetPieFrequencies(TPieFrequencies value) { values_.SetPieFrequencies(std::move(value)); }
  const TPieFrequencies& PieFrequencies() const { return values_.PieFrequencies(); }
  void SetPiePatterns(TPiePatterns value) { values_.SetPiePatterns(std::move(value)); }
  const TPiePatterns& PiePatterns() const { return values_.PiePatterns(); }
  int SliceCount() const { return values_.SliceCount(); }
  const TTaxonStyle& Values() const { return values_; }

  const std::vector<TPieEntry>& PieRows() const { return PieRows_; }
  const TPreviewImage* Preview() const { return ImgPreview_; }

public slots:
  void FormActivate();
  void FormPaint();
  void SpinLineWidthChange();
  void ComboLineStyleChange();
  void BtnChangeLineColorClick();
  void CheckApplyAllTaxaClick();
  void CheckApplyAllMediansClick();
  void AddPieBtnClick();
  void OKBtnClick();
  void CancelBtnClick();

  // Handlers of a row's controls; the row comes from the control's name.
  void FrequencySpinChange(QObject* spin);
  void ComboPiePatternChange(QObject* combo);
  void BtnChangeColorClick(QObject* button);
  void BtnRemovePieClick(QObject* button);

protected:
  void showEvent(QShowEvent* event) override;

private:
  void BuildRow(int row);
  // Shows slice `row`'s values in its row's controls.
  void ShowRowValues(int row);
  void ClearRows();

  TTaxonStyle& values_;
  bool activating_ = false;
  QSpinBox* SpinLineWidth_ = nullptr;
  QComboBox* ComboLineStyle_ = nullptr;
  TColourSwatch* ImgLineColor_ = nullptr;
  QCheckBox* CheckApplyAllTaxa_ = nullptr;
  QCheckBox* CheckApplyAllMedians_ = nullptr;
  QScrollArea* PieScrollBox_ = nullptr;
  QWidget* rowArea_ = nullptr;
  TPreviewImage* ImgPreview_ = nullptr;
  std::vector<TPieEntry> PieRows_;
};
