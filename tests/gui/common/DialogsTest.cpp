#include "QtDialogs.h"
#include "ScriptedDialogs.h"

#include <gtest/gtest.h>

TEST(QtDialogsFilter, ConvertsPipeFiltersToQtForm) {
  struct Case { const char* in; const char* out; };
  const Case cases[] = {
      {"Tarvane output files (*.out) |*.out", "Tarvane output files (*.out)"},
      {"Data files|*.rdf;*.ych|All files|*.*", "Data files (*.rdf *.ych);;All files (*.*)"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(QtDialogs::qtFilter(c.in).toStdString(), c.out) << c.in;
}

TEST(QtDialogs, StartsAtTheRequestedFilterEntry) {
  FileDialogRequest r;
  r.filter = "A (*.a)|*.a|B files|*.b|C (*.c)|*.c";
  struct Case {
    int index;
    const char* selected;
  };
  for (const Case c : {Case{1, "A (*.a)"}, Case{2, "B files (*.b)"}, Case{3, "C (*.c)"}, Case{0, ""}, Case{4, ""}}) {
    r.filterIndex = c.index;
    EXPECT_EQ(QtDialogs::selectedFilter(r).toStdString(), c.selected) << c.index;
  }
}

TEST(ScriptedDialogs, AnswersFromQueuesAndRecordsTexts) {
  ScriptedDialogsScope s;
  s.dialogs.answer(DialogAnswer::Yes);
  s.dialogs.saveFile(std::string("/tmp/x.out"));
  dialogs().showMessage("hello");
  EXPECT_TRUE(dialogs().askYesNo("overwrite?"));
  FileDialogRequest r;
  r.fileName = "x.out";
  EXPECT_EQ(dialogs().saveFileName(r), std::optional<std::string>("/tmp/x.out"));
  EXPECT_EQ(s.dialogs.messages(), std::vector<std::string>{"hello"});
  EXPECT_EQ(s.dialogs.questions(), std::vector<std::string>{"overwrite?"});
  ASSERT_NE(s.dialogs.lastFileRequest(), nullptr);
  EXPECT_EQ(s.dialogs.lastFileRequest()->fileName, "x.out");
}

TEST(Dialogs, FallbackAnswersNoWithoutBlocking) {
  EXPECT_FALSE(dialogs().askYesNo("no dialogs installed"));
  EXPECT_FALSE(dialogs().openFileName({}).has_value());
}
