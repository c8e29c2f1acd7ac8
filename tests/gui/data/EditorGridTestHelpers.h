#pragma once
// Grid-window helpers shared by the rdf and STR editor window tests.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLineEdit>
#include <QObject>
#include <QString>
#include <QTableView>
#include <QTest>

template <class W>
W* Child(QObject* parent, const char* name) {
  W* w = parent->findChild<W*>(QLatin1String(name));
  EXPECT_NE(w, nullptr) << name;
  return w;
}

inline QString Cell(QTableView* grid, int row, int column) {
  return grid->model()->index(row, column).data().toString();
}

// Opens the cell editor, replaces its text by typing `keys` and leaves it with `leave`.
inline void TypeIntoCell(QTableView* grid, int row, int column, const QString& keys,
                         Qt::Key leave = Qt::Key_Return) {
  const QModelIndex index = grid->model()->index(row, column);
  grid->setFocus();
  grid->setCurrentIndex(index);
  grid->edit(index);
  auto* editor = grid->viewport()->findChild<QLineEdit*>();
  ASSERT_NE(editor, nullptr);
  editor->selectAll();
  QTest::keyClick(editor, Qt::Key_Delete);
  QTest::keyClicks(editor, keys);
  QTest::keyClick(editor, leave);
  // Enter commits through a queued call; the closed editor then goes for good, so the next edit
  // finds its own.
  QCoreApplication::processEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
