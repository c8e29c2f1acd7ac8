// The menu entries open the real tool windows once they are plugged in.
#include "ForwardSimulationForm.h"
#include "Graphik_ProgrammForm.h"
#include "Median_joiningForm.h"
#include "MismatchForm.h"
#include "ZeitschaetzungForm.h"
#include "OberflaecheForm.h"
#include "Reduced_medianForm.h"
#include "Star_contractionForm.h"
#include "ScriptedDialogs.h"
#include "TarvaneWindows.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCoreApplication>

namespace {

template <class Window>
Window* openWindow() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* window = qobject_cast<Window*>(w); window && window->isVisible()) return window;
  return nullptr;
}

// `closeAnswers`: the answers to the questions the window asks when it is closed.
template <class Window>
void opensAndReenables(const char* action, Qt::WindowState state,
                       std::vector<DialogAnswer> closeAnswers = {}) {
  ScriptedDialogsScope s;
  TUser_Menue main(QSize(1024, 768));
  ConnectTarvaneWindows(main);
  main.show();
  main.findChild<QAction*>(QLatin1String(action))->trigger();
  Window* window = openWindow<Window>();
  ASSERT_NE(window, nullptr) << action;
  EXPECT_FALSE(main.isEnabled());
  EXPECT_EQ(window->windowState() & (Qt::WindowMaximized | Qt::WindowMinimized), state);
  for (DialogAnswer a : closeAnswers) s.dialogs.answer(a);
  window->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(main.isEnabled());
  EXPECT_EQ(openWindow<Window>(), nullptr);
}

}  // namespace

TEST(TarvaneWindows, MedianJoiningMenuOpensItsWindow) {
  opensAndReenables<TMJ_Menue>("MedianJoining1", Qt::WindowNoState);
}

TEST(TarvaneWindows, DrawNetworkMenuOpensTheDrawingWindowMaximised) {
  // With no file opened there is nothing to save: it closes without a question.
  opensAndReenables<TGraphik_Menue>("Drawnetwork1", Qt::WindowMaximized);
}

TEST(TarvaneWindows, ForwardSimulationMenuOpensItsWindowMaximised) {
  opensAndReenables<TFrmForwardSimulation>("ForwardSimulation1", Qt::WindowMaximized);
}

TEST(TarvaneWindows, TimeEstimatesMenuOpensItsWindowMaximised) {
  opensAndReenables<TTime_estimate>("Timeestimates1", Qt::WindowMaximized);
}

TEST(TarvaneWindows, MismatchMenuOpensItsWindowMaximised) {
  opensAndReenables<TMismatch_Menue>("MismatchDistribution1", Qt::WindowMaximized);
}

TEST(TarvaneWindows, ReducedMedianMenuOpensItsWindow) {
  opensAndReenables<TRM_Menue>("ReducedMedian1", Qt::WindowNoState);
}

TEST(TarvaneWindows, StarContractionMenuOpensItsWindow) {
  opensAndReenables<TStar_Menue>("StarContraction1", Qt::WindowNoState);
}
