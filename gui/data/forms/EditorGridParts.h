#pragma once
// Widget pieces the rdf and STR editor windows build their grid spreadsheets from.

#include <initializer_list>

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
