#include "EditorGridParts.h"

#include "RDF_Editor_GridForm.h"  // TRdfCellDelegate: the masked cell editors

#include <QHeaderView>
#include <QMenu>
#include <QScrollBar>
#include <QTableView>

QTableView* MakeEditorGrid(const char* name, QWidget* parent) {
  auto* grid = new QTableView(parent);
  grid->setObjectName(QLatin1String(name));
  grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  grid->setSelectionMode(QAbstractItemView::SingleSelection);
  grid->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  grid->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
  grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  grid->verticalHeader()->setDefaultSectionSize(EditorGridRowHeight);
  grid->verticalHeader()->hide();
  grid->setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked |
                        QAbstractItemView::EditKeyPressed);
  return grid;
}

void CoupleScrollBar(QScrollBar* bar, QTableView* master, std::initializer_list<QTableView*> grids,
                     bool vertical) {
  const auto barOf = [vertical](QTableView* v) {
    return vertical ? v->verticalScrollBar() : v->horizontalScrollBar();
  };
  QObject::connect(barOf(master), &QScrollBar::rangeChanged, bar, &QScrollBar::setRange);
  for (QTableView* v : grids) {
    QObject::connect(bar, &QScrollBar::valueChanged, barOf(v), &QScrollBar::setValue);
    QObject::connect(barOf(v), &QScrollBar::valueChanged, bar, &QScrollBar::setValue);
  }
}

QMenu* MakeGridPopup(const char* name, QTableView* grid, QWidget* owner) {
  auto* menu = new QMenu(owner);
  menu->setObjectName(QLatin1String(name));
  QObject::connect(grid, &QWidget::customContextMenuRequested, owner,
                   [grid, menu](const QPoint& pos) {
                     // The click selects the cell under the pointer first.
                     const QModelIndex index = grid->indexAt(pos);
                     if (index.isValid()) grid->setCurrentIndex(index);
                     menu->popup(grid->viewport()->mapToGlobal(pos));
                   });
  return menu;
}

TEditorGrids::TEditorGrids(TEditorGridSource& source, TEditorGridModel::Labels labels,
                           int cellWidth, QWidget* owner)
    : QObject(owner), source_(source), labels_(labels), cellWidth_(cellWidth), owner_(owner) {}

QTableView* TEditorGrids::Make(const char* name, TEditorGridModel::Kind kind, QWidget* parent,
                               const std::function<void()>& onCommit) {
  using Kind = TEditorGridModel::Kind;
  QTableView* view = MakeEditorGrid(name, parent);
  auto* model = new TEditorGridModel(source_, kind, labels_, view);
  view->setModel(model);
  if (kind == Kind::Body) {
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
  } else {
    view->setItemDelegate(new TRdfCellDelegate(model->mask(), model->taxonSide(), view,
                                               kind == Kind::ColumnNames));
    connect(model, &TEditorGridModel::committed, this, onCommit);
  }
  if (model->columnSide()) {
    view->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->horizontalHeader()->setDefaultSectionSize(cellWidth_);
  }
  view->installEventFilter(owner_);
  connect(view->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this, view](const QModelIndex& current) { sync(view, current); });
  views_.push_back(view);
  return view;
}

void TEditorGrids::RefreshAll() const {
  for (QTableView* view : views_) static_cast<TEditorGridModel*>(view->model())->refresh();
}

void TEditorGrids::RefillAll() const {
  for (QTableView* view : views_) static_cast<TEditorGridModel*>(view->model())->refill();
}

void TEditorGrids::sync(QTableView* from, const QModelIndex& current) {
  if (syncing_ || !current.isValid()) return;
  syncing_ = true;
  if (OnSync) OnSync();
  const auto* model = static_cast<const TEditorGridModel*>(from->model());
  const int taxon = model->taxonOf(current);
  const int column = model->columnOf(current);
  for (QTableView* view : views_) {
    if (view == from) continue;
    const auto* m = static_cast<const TEditorGridModel*>(view->model());
    const QModelIndex old = view->currentIndex();
    int r = old.isValid() ? old.row() : 0;
    int c = old.isValid() ? old.column() : 0;
    if (m->taxonSide() && taxon > 0) r = taxon - 1;
    if (m->columnSide() && column > 0) c = column - 1;
    const QModelIndex index = m->index(r, c);
    if (index.isValid() && index != old) view->setCurrentIndex(index);
  }
  syncing_ = false;
}
