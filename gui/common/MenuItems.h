#pragma once
// A window's menu entry: an action named `name` in `menu`, or on the window's menu bar without
// one, that calls `slot` of the window.

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QString>

template <class Window, class Slot>
QAction* AddMenuItem(Window* window, QMenu* menu, const char* name, const QString& caption,
                     Slot slot) {
  QAction* a = menu ? menu->addAction(caption) : window->menuBar()->addAction(caption);
  a->setObjectName(QString::fromLatin1(name));
  QObject::connect(a, &QAction::triggered, window, slot);
  return a;
}
