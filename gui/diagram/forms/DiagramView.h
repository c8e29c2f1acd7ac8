#pragma once
// The picture of a diagram as the drawing window and the time-estimate window show it: the
// drawing surface (`Image1`, a QImage shown as it is), zooming and moving the picture, browsing
// the shortest trees, and printing it. The window owns the diagram and says when to paint.

#include "DrawNetwork_Diagramm.h"
#include "Network_Diagramm.h"
#include "Printing.h"

#include <QGroupBox>
#include <QImage>
#include <QWidget>

class QPushButton;
class QRadioButton;
class QSpinBox;

class TDiagramView final : public QWidget {
  Q_OBJECT
public:
  // A surface of `size` pixels, white.
  TDiagramView(QSize size, QWidget* parent);

  QImage& Surface() { return surface_; }
  // A new, white surface of `size` (the picture is painted again by the caller).
  void SetSurfaceSize(QSize size);
  const QImage& Surface() const { return surface_; }
  // The diagram zoom and shift work on; none (nullptr) makes them do nothing.
  void SetDiagram(TNetwork_Diagramm* diagram) { diagram_ = diagram; }
  int ShiftStep() const { return shiftStep_; }

  // Paints `diagram` (none: a white surface) with `options` and shows it.
  void Paint(TNetwork_Diagramm* diagram, const TDrawOptions& options);

  // The "Zoom" group ("+", "-") and the "Navigation" group (four shifts and the "Screen shift
  // interval (pixels)" spin). Each zoom or shift changes the diagram and emits moved().
  QGroupBox* MakeZoomGroup(QWidget* parent);
  QGroupBox* MakeNavigationGroup(QWidget* parent);
  void Zoom(double factor);
  void Shift(int dx, int dy);

  // Prints `picture` through the window's printer; the failure text is the window's own.
  bool Print(const std::function<QImage()>& picture, const std::string& failure) {
    return printer_.Print(picture, failure);
  }
  void PrinterSetup() { printer_.Setup(); }

signals:
  // The picture was zoomed (by `factor`, 1 for a shift) and must be painted again.
  void moved(double factor);
  void mousePressed(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
  void mouseMoved(Qt::KeyboardModifiers modifiers, int x, int y);
  void mouseReleased(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
  void doubleClicked();

protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
  QImage surface_;
  TNetwork_Diagramm* diagram_ = nullptr;
  int shiftStep_ = 30;
  QSpinBox* shiftInterval_ = nullptr;
  TWindowPrinter printer_;
};

// The group that chooses between the whole network, the network of the shortest trees and one
// shortest tree, with the buttons that step through the trees. Shown only for a diagram with a
// Steiner length.
class TShortestTreesBox final : public QGroupBox {
  Q_OBJECT
public:
  enum class Choice { Complete, Network, Tree };
  struct Captions {
    const char* title;
    const char* objectName;
    const char* trees;
    const char* network;
    const char* complete;
    const char* previous;
    const char* next;
  };
  TShortestTreesBox(const Captions& captions, QWidget* parent);

  // For a newly opened diagram: the whole network chosen, tree 1, the radio buttons of what the
  // diagram holds; hidden without a Steiner length.
  void Setup(const TNetwork_Diagramm* diagram);
  Choice Chosen() const;
  void Choose(Choice choice);
  int CurrentTree() const { return currentTree_; }
  QRadioButton* Button(Choice choice) const;
  // Marks the chosen trees in `diagram`; the whole network is the window's own marking.
  // Returns false when the whole network is chosen (nothing marked) or the box is hidden.
  bool MarkChosen(TNetwork_Diagramm& diagram) const;

signals:
  // The choice or the tree changed: the picture must be painted again.
  void changed();

private:
  void updateButtons();
  void step(int by);

  int currentTree_ = 1;
  int treeCount_ = 0;
  QRadioButton* tree_ = nullptr;
  QRadioButton* network_ = nullptr;
  QRadioButton* complete_ = nullptr;
  QPushButton* previous_ = nullptr;
  QPushButton* next_ = nullptr;
};
