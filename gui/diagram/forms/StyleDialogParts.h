#pragma once
// Pieces the style dialogs of the drawing window share: the modal results, a colour swatch, a
// preview image painted through the diagram's canvas, the OK / Cancel row, the "&Change" colour
// choice and the placement of a fixed-size dialog in the middle of the screen.

#include "Canvas.h"

#include <QDialog>
#include <QImage>
#include <QLabel>
#include <QString>

#include <functional>

class QBoxLayout;
class QComboBox;
class QFormLayout;
class QObject;
class QSpinBox;
class QPushButton;

// Results the style dialogs close with: OK 1, Cancel 2 (a dialog closed otherwise gives 0).
inline constexpr int kModalOk = 1;
inline constexpr int kModalCancel = 2;

// A filled rectangle of one colour.
class TColourSwatch final : public QLabel {
public:
  TColourSwatch(const char* name, QSize size, QWidget* parent);
  void SetColour(TColor colour);
  TColor Colour() const { return colour_; }

private:
  TColor colour_ = clBlack;
};

// The preview of a dialog: an image repainted by `paint` on Refresh().
class TPreviewImage final : public QLabel {
public:
  using TPaint = std::function<void(TCanvas&, int width, int height)>;
  TPreviewImage(QSize size, TPaint paint, QWidget* parent);
  void Refresh();
  const QImage& Image() const { return image_; }

private:
  QImage image_;
  TPaint paint_;
};

// The rows of a line's style: width (1..4), colour swatch with its "&Change" button, and pen
// style combo ("solid", "clear"). Names are object names, captions the row labels.
struct TLineStyleNames {
  const char* Width;
  const char* WidthCaption;
  const char* Swatch;
  const char* ColourCaption;
  const char* Change;
  const char* Style;
  const char* StyleCaption;
};
struct TLineStyleRows {
  QSpinBox* Width = nullptr;
  TColourSwatch* Swatch = nullptr;
  QPushButton* Change = nullptr;
  QComboBox* Style = nullptr;
};
TLineStyleRows AddLineStyleRows(QFormLayout& form, QWidget* parent, const TLineStyleNames& names);

// The colour dialog starting at `colour`; true with `colour` changed when the user confirmed.
bool ChooseColour(TColor& colour);

// Adds "OK" (OKBtn) and "Cancel" (CancelBtn) to `layout` and returns them; the caller connects
// them to its handlers.
std::pair<QPushButton*, QPushButton*> AddOkCancel(QDialog& dialog, QBoxLayout& layout);

// A labelled button with an object name.
QPushButton* NamedButton(const char* name, const QString& caption, QWidget* parent);

// How a row control's name gives its row: the digits at its end, or the text after its last '_'.
// A name that gives no number stands for row 1.
enum class TRowNumberRule { TrailingDigits, AfterLastUnderscore };
int RowNumberOf(const QObject& control, TRowNumberRule rule);

// Places the controls of numbered rows in a scroll box's area: row n starts with a label at left
// 20, top n x (label height + 20); each further control goes 20 pixels right of the one before.
class TRowPlacer {
public:
  explicit TRowPlacer(QWidget& area);
  int LabelHeight() const { return labelHeight_; }
  void StartRow(int row);
  QLabel* Label(const QString& text);
  // A swatch 1.5 label heights wide and one high.
  TColourSwatch* Swatch(TColor colour);
  // A button named `prefix` + row, 1.5 label heights high.
  QPushButton* Button(const char* prefix, int row, const QString& caption, int width);
  // Any other control, `width` wide, with its own height.
  void Place(QWidget& control, int width);
  // Sizes the area to hold every row placed.
  void Finish();

private:
  QWidget& area_;
  int labelHeight_ = 0;
  int row_ = 0;
  int x_ = 0;
  int top_ = 0;
  int right_ = 0;
  int bottom_ = 0;
};

// Fixes the dialog's size to its contents and puts it in the middle of its screen; the style
// dialogs call it when they are shown.
void FixAndCentre(QDialog& dialog);
