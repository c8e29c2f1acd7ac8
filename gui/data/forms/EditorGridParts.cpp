#include "EditorGridParts.h"

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
