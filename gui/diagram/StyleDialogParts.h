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

// The colour dialog starting at `colour`; true with `colour` changed when the user confirmed.
bool ChooseColour(TColor& colour);

// Adds "OK" (OKBtn) and "Cancel" (CancelBtn) to `layout` and returns them; the caller connects
// them to its handlers.
std::pair<QPushButton*, QPushButton*> AddOkCancel(QDialog& dialog, QBoxLayout& layout);

// A labelled button with an object name.
QPushButton* NamedButton(const char* name, const QString& caption, QWidget* parent);

// Fixes the dialog's size to its contents and puts it in the middle of its screen; the style
// dialogs call it when they are shown.
void FixAndCentre(QDialog& dialog);
