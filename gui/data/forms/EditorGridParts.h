#pragma once
// Widget pieces the rdf and STR editor windows build their grid spreadsheets from.

#include "EditorGridModel.h"

#include <QObject>

#include <functional>
#include <initializer_list>
#include <vector>

class QMenu;
class QScrollBar;
class QTableView;
class QWidget;

constexpr int EditorGridRowHeight = 20;

// A grid without scroll bars of its own, one current cell, fixed rows and no row header, that
// starts editing on any key.
QTableView* MakeEditorGrid(const char* name, QWidget* parent);

// The grids have no scroll bars of their own: `bar` moves all of `grids` together, takes its
// range from `master`, and follows a grid scrolled by the keyboard.
void CoupleScrollBar(QScrollBar* bar, QTableView* master, std::initializer_list<QTableView*> grids,
                     bool vertical);

// A context menu named `name` owned by `owner`, shown on `grid`'s context-menu requests.
QMenu* MakeGridPopup(const char* name, QTableView* grid, QWidget* owner);

// The grids of an editor window over one source. Selecting a cell in one grid selects the same
// taxon and column in the others; they are repainted or rebuilt together. Owned by the window,
// made before its grids, so no selection reaches it while the grids go.
class TEditorGrids final : public QObject {
  Q_OBJECT
public:
  TEditorGrids(TEditorGridSource& source, TEditorGridModel::Labels labels, int cellWidth,
               QWidget* owner);

  // A grid of `kind`: its model; for the text grids the masked cell delegate (column names
  // upright) whose commits call `onCommit`; fixed column widths on the column side. The owner
  // filters the grid's events.
  QTableView* Make(const char* name, TEditorGridModel::Kind kind, QWidget* parent,
                   const std::function<void()>& onCommit);
  // A committed cell changes no grid's shape: every grid is repainted in place (a reset would
  // pull the open cell editor away under the view).
  void RefreshAll() const;
  // After a change of the data set's shape.
  void RefillAll() const;

  // Called before a selection is passed on to the other grids.
  std::function<void()> OnSync;

private:
  void sync(QTableView* from, const QModelIndex& current);

  TEditorGridSource& source_;
  TEditorGridModel::Labels labels_;
  int cellWidth_;
  QWidget* owner_;
  std::vector<QTableView*> views_;
  bool syncing_ = false;
};
