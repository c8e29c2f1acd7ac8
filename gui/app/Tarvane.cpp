// Tarvane: haplotype networks on the desktop.
#include "OberflaecheForm.h"
#include "QtDialogs.h"
#include "TarvaneWindows.h"

#include <QApplication>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QtDialogs qtDialogs;
  DialogsScope dialogsScope(qtDialogs);

  StartupWindows windows = StartTarvane();
  ConnectTarvaneWindows(*windows.main);
  QObject::connect(windows.main.get(), &TUser_Menue::closed, &app, &QCoreApplication::quit);
  return app.exec();
}
