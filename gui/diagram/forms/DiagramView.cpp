#include "DiagramView.h"

#include "Graphik_WindowLogic.h"
#include "QtCanvas.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

namespace {

QPushButton* MakeButton(const char* name, const char* caption, QWidget* parent) {
  auto* b = new QPushButton(QString::fromLatin1(caption), parent);
  b->setObjectName(QString::fromLatin1(name));
  return b;
}

QRadioButton* MakeRadio(const char* name, const char* caption, QWidget* parent) {
  auto* r = new QRadioButton(QString::fromLatin1(caption), parent);
  r->setObjectName(QString::fromLatin1(name));
  return r;
}

}  // namespace

// ---- The surface -----------------------------------------------------------------------------

TDiagramView::TDiagramView(QSize size, QWidget* parent)
    : QWidget(parent), surface_(size, QImage::Format_RGB32) {
  setObjectName(QStringLiteral("Image1"));
  surface_.fill(Qt::white);
  setFixedSize(size);
}

void TDiagramView::SetSurfaceSize(QSize size) {
  if (size == surface_.size()) return;
  surface_ = QImage(size, QImage::Format_RGB32);
  surface_.fill(Qt::white);
  setFixedSize(size);
}

void TDiagramView::Paint(TNetwork_Diagramm* diagram, const TDrawOptions& options) {
  surface_.fill(Qt::white);
  if (diagram) {
    TQtCanvas canvas(surface_);
    DrawDiagram(*diagram, canvas, surface_.width(), surface_.height(), options);
  }
  update();
}

void TDiagramView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(0, 0, surface_);
}

void TDiagramView::mousePressEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  emit mousePressed(event->button(), event->modifiers(), at.x(), at.y());
}

void TDiagramView::mouseMoveEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  emit mouseMoved(event->modifiers(), at.x(), at.y());
}

void TDiagramView::mouseReleaseEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  emit mouseReleased(event->button(), event->modifiers(), at.x(), at.y());
}

void TDiagramView::mouseDoubleClickEvent(QMouseEvent*) { emit doubleClicked(); }

// ---- Zoom and navigation ---------------------------------------------------------------------

QGroupBox* TDiagramView::MakeZoomGroup(QWidget* parent) {
  auto* group = new QGroupBox(QStringLiteral("Zoom"), parent);
  group->setObjectName(QStringLiteral("ZoomGroup"));
  auto* row = new QHBoxLayout(group);
  auto* zoomIn = MakeButton("Zoom_groesser", "+", group);
  auto* zoomOut = MakeButton("Zoom_kleiner", "-", group);
  connect(zoomIn, &QPushButton::clicked, this, [this] { Zoom(kZoomInFactor); });
  connect(zoomOut, &QPushButton::clicked, this, [this] { Zoom(kZoomOutFactor); });
  row->addWidget(zoomIn);
  row->addWidget(zoomOut);
  return group;
}

QGroupBox* TDiagramView::MakeNavigationGroup(QWidget* parent) {
  auto* group = new QGroupBox(QStringLiteral("Navigation"), parent);
  group->setObjectName(QStringLiteral("NavigationGroup"));
  auto* grid = new QGridLayout(group);
  const struct {
    const char* name;
    const char* caption;
    int row, column, dx, dy;
  } moves[] = {{"UpButton", "Up", 0, 1, 0, -1},
               {"LeftButton", "Left", 1, 0, -1, 0},
               {"RightButton", "Right", 1, 2, 1, 0},
               {"DownButton", "Down", 2, 1, 0, 1}};
  for (const auto& m : moves) {
    QPushButton* b = MakeButton(m.name, m.caption, group);
    connect(b, &QPushButton::clicked, this,
            [this, dx = m.dx, dy = m.dy] { Shift(dx * shiftStep_, dy * shiftStep_); });
    grid->addWidget(b, m.row, m.column);
  }
  grid->addWidget(new QLabel(QStringLiteral("Screen shift interval (pixels)"), group), 3, 0, 1, 2);
  shiftInterval_ = new QSpinBox(group);
  shiftInterval_->setObjectName(QStringLiteral("ShiftInterval"));
  shiftInterval_->setRange(1, 100);
  shiftInterval_->setValue(shiftStep_);
  connect(shiftInterval_, &QSpinBox::valueChanged, this, [this](int v) { shiftStep_ = v; });
  grid->addWidget(shiftInterval_, 3, 2);
  return group;
}

void TDiagramView::Zoom(double factor) {
  if (!diagram_) return;
  diagram_->ZoomDiagram(surface_.width(), surface_.height(), factor);
  emit moved(factor);
}

void TDiagramView::Shift(int dx, int dy) {
  if (!diagram_) return;
  diagram_->ImageCenter.X += dx;
  diagram_->ImageCenter.Y += dy;
  emit moved(1.0);
}

// ---- Shortest trees --------------------------------------------------------------------------

TShortestTreesBox::TShortestTreesBox(const Captions& captions, QWidget* parent)
    : QGroupBox(QString::fromLatin1(captions.title), parent) {
  setObjectName(QString::fromLatin1(captions.objectName));
  auto* grid = new QGridLayout(this);
  tree_ = MakeRadio("RadioSteinerTree", captions.trees, this);
  network_ = MakeRadio("RadioSteinerNetwork", captions.network, this);
  complete_ = MakeRadio("RadioCompleteNetwork", captions.complete, this);
  complete_->setChecked(true);
  previous_ = MakeButton("PreviousTreeButton", captions.previous, this);
  next_ = MakeButton("NextTreeButton", captions.next, this);
  previous_->setToolTip(QStringLiteral("Previous tree"));
  next_->setToolTip(QStringLiteral("Next tree"));
  for (QRadioButton* r : {tree_, network_, complete_})
    connect(r, &QRadioButton::clicked, this, [this] {
      updateButtons();
      emit changed();
    });
  connect(previous_, &QPushButton::clicked, this, [this] { step(-1); });
  connect(next_, &QPushButton::clicked, this, [this] { step(1); });
  grid->addWidget(tree_, 0, 0);
  grid->addWidget(previous_, 0, 1);
  grid->addWidget(next_, 0, 2);
  grid->addWidget(network_, 1, 0, 1, 3);
  grid->addWidget(complete_, 2, 0, 1, 3);
}

void TShortestTreesBox::Setup(const TNetwork_Diagramm* diagram) {
  if (!diagram || diagram->SteinerLength <= 0) {
    hide();
    return;
  }
  show();
  currentTree_ = 1;
  treeCount_ = diagram->SteinerTreeCount();
  tree_->setVisible(treeCount_ > 0);
  network_->setVisible(!diagram->SteinerNetwork.empty());
  // A free-standing Steiner network has no original network to show: its own network (or its
  // first tree) is chosen, never the disabled choice.
  if (complete_->isEnabled()) complete_->setChecked(true);
  else if (!network_->isHidden()) network_->setChecked(true);
  else if (!tree_->isHidden()) tree_->setChecked(true);
  updateButtons();
}

TShortestTreesBox::Choice TShortestTreesBox::Chosen() const {
  if (tree_->isChecked()) return Choice::Tree;
  if (network_->isChecked()) return Choice::Network;
  return Choice::Complete;
}

QRadioButton* TShortestTreesBox::Button(Choice choice) const {
  switch (choice) {
    case Choice::Tree: return tree_;
    case Choice::Network: return network_;
    case Choice::Complete: break;
  }
  return complete_;
}

void TShortestTreesBox::Choose(Choice choice) {
  Button(choice)->setChecked(true);
  updateButtons();
}

bool TShortestTreesBox::MarkChosen(TNetwork_Diagramm& diagram) const {
  if (isHidden()) return false;
  switch (Chosen()) {
    case Choice::Network: diagram.MarkSteinerNetwork(); return true;
    case Choice::Tree: diagram.MarkSteinerTree(currentTree_); return true;
    case Choice::Complete: break;
  }
  return false;
}

void TShortestTreesBox::updateButtons() {
  const bool trees = tree_->isChecked();
  previous_->setVisible(trees && currentTree_ > 1);
  next_->setVisible(trees && currentTree_ < treeCount_);
}

void TShortestTreesBox::step(int by) {
  const int tree = currentTree_ + by;
  if (tree < 1 || tree > treeCount_) return;
  currentTree_ = tree;
  updateButtons();
  emit changed();
}
