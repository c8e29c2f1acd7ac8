#include "UHelp.h"

#include "ScriptedDialogs.h"
#include "TestPaths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <stdexcept>

using testpaths::readFile;
using testpaths::writeFile;

TEST(ChangeFileExtension, ReplacesOnlyTheExtensionOfTheLastComponent) {
  struct Case { const char* ext; const char* in; const char* out; };
  const Case cases[] = {
      {"rdf", "C:\\data.old\\set.phy", "C:\\data.old\\set.rdf"},
      {"rdf", "set", "set.rdf"},
      {"rdf", "/home/u/.data/set", "/home/u/.data/set.rdf"},  // dotted folder, no extension
      {"rdf", "/home/u/.data/set.nex", "/home/u/.data/set.rdf"},
      {"rdf", "/home/u/data.v2/set.tar.phy", "/home/u/data.v2/set.tar.rdf"},
      {"rdf", "/home/u/.hidden", "/home/u/.hidden.rdf"},      // a leading dot names, not extends
      {"html", "report.txt", "report.html"},
      {"out", "net.", "net.out"},
  };
  for (const Case& c : cases) {
    ScriptedDialogsScope s;
    std::string result = "unchanged";
    EXPECT_TRUE(ChangeFileExtension(c.ext, c.in, result)) << c.in;
    EXPECT_EQ(result, c.out) << c.in;
    EXPECT_TRUE(s.dialogs.messages().empty());
  }
}

TEST(ChangeFileExtension, RefusesExtensionsOfWrongLength) {
  for (const char* ext : {"r", "rd", "abcde", ""}) {
    ScriptedDialogsScope s;
    std::string result = "kept";
    EXPECT_FALSE(ChangeFileExtension(ext, "set.phy", result));
    EXPECT_EQ(result, "kept");
    EXPECT_EQ(s.dialogs.messages(),
              std::vector<std::string>{"Wrong file extension. Please correct"});
  }
}

TEST(ForceFileExtension, MakesTheNameEndInTheExtension) {
  struct Case { const char* in; const char* out; };
  const Case cases[] = {
      {"net.out", "net.out"},
      {"net", "net.out"},
      {"net.txt", "net.out"},
      {"net.OUT", "net.out"},  // case-sensitive
      {"/home/u/.data/net", "/home/u/.data/net.out"},
      {"/home/u/.data/net.txt", "/home/u/.data/net.out"},
      {"C:\\a.b\\net", "C:\\a.b\\net.out"},
  };
  for (const Case& c : cases) {
    std::string name = c.in;
    ForceFileExtension("out", name);
    EXPECT_EQ(name, c.out) << c.in;
  }
}

TEST(ExtensionDotIndex, LooksOnlyAtTheLastComponent) {
  EXPECT_EQ(ExtensionDotIndex("a/b.c"), 3u);
  EXPECT_EQ(ExtensionDotIndex("a.b/c"), std::string::npos);
  EXPECT_EQ(ExtensionDotIndex("a.b\\c"), std::string::npos);
  EXPECT_EQ(ExtensionDotIndex(".profile"), std::string::npos);
  EXPECT_EQ(ExtensionDotIndex(""), std::string::npos);
}

TEST(FirstCharPos, ReportsTheLengthForALastOrMissingCharacter) {
  struct Case { const char* text; int pos; };
  const Case cases[] = {{"ab;", 3}, {"ab", 2}, {"a;b", 2}, {"", 1}, {";", 1}, {";;", 1}, {"a", 1}};
  for (const Case& c : cases) EXPECT_EQ(FirstCharPos(c.text, ';'), c.pos) << '"' << c.text << '"';
}

TEST(LastCharPos, FindsTheLastOccurrence) {
  EXPECT_EQ(LastCharPos("a.b.c", '.'), 4);
  EXPECT_EQ(LastCharPos("abc", '.'), 0);
  EXPECT_EQ(LastCharPos("", '.'), 0);
  EXPECT_EQ(LastCharPos(".", '.'), 1);
}

TEST(Numbers, LeadingAndTrailing) {
  EXPECT_EQ(LeadingNumber("12a"), 12);
  EXPECT_EQ(LeadingNumber("a12"), -1);
  EXPECT_EQ(LeadingNumber(""), -1);
  EXPECT_EQ(LeadingNumber("007"), 7);
  EXPECT_EQ(TrailingNumber("Spin_3"), 3);
  EXPECT_EQ(TrailingNumber("Edit12"), 12);
  EXPECT_EQ(TrailingNumber("42"), 42);
  EXPECT_THROW(TrailingNumber("Spin"), std::invalid_argument);
  EXPECT_THROW(TrailingNumber(""), std::invalid_argument);
}

TEST(StyleNames, MapToStyleNumbersOrTheDefault) {
  const char* brushes[] = {"solid", "clear", "horizontal", "vertical", "forward diagonal",
                           "backward diagonal", "cross", "diagonal cross"};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(BrushStyleFromName(brushes[i], -1), i) << brushes[i];
  const char* pens[] = {"solid", "----", "....", "_._.", "_.._..", "clear"};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(PenStyleFromName(pens[i], -1), i) << pens[i];
  EXPECT_EQ(BrushStyleFromName("Solid", 4), 4);
  EXPECT_EQ(PenStyleFromName("dotted", 2), 2);
  EXPECT_EQ(PenStyleFromName("", 5), 5);
}

TEST(ReplaceCharByString, ReplacesEveryOccurrence) {
  EXPECT_EQ(ReplaceCharByString("a b c", ' ', "%20"), "a%20b%20c");
  EXPECT_EQ(ReplaceCharByString("abc", 'x', "y"), "abc");
  EXPECT_EQ(ReplaceCharByString(";;", ';', ""), "");
}

TEST(TextLines, EveryLineEndCounts) {
  struct Case { const char* text; std::vector<std::string> lines; };
  const Case cases[] = {
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\nb\n", {"a", "b"}},
      {"a\rb\r", {"a", "b"}},
      {"a\r\n\r\nb", {"a", "", "b"}},
      {"a\n\rb", {"a", "", "b"}},  // LF then a lone CR: two line ends
      {"", {}},
      {"\r\n", {""}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SplitTextLines(c.text), c.lines);
    std::istringstream in(c.text);
    EXPECT_EQ(CountTextFileLines(in), static_cast<int>(c.lines.size()));
    // The stream is back at its start.
    std::string all(std::istreambuf_iterator<char>(in), {});
    EXPECT_EQ(all, c.text);
  }
}

TEST(WholeFiles, AFailedWriteLeavesTheOldFile) {
  testpaths::TempDir dir;
  const std::string file = dir.file("set.rdf");
  ASSERT_TRUE(WriteWholeFile(file, "old"));
  ASSERT_TRUE(WriteWholeFile(file, "new\r\n"));
  EXPECT_EQ(readFile(file), "new\r\n");
  // A folder in the way of the temporary file makes the write fail.
  std::filesystem::create_directory(file + ".interim~");
  EXPECT_FALSE(WriteWholeFile(file, "lost"));
  EXPECT_EQ(readFile(file), "new\r\n");
  EXPECT_TRUE(std::filesystem::is_directory(file + ".interim~"));  // not ours to remove
  EXPECT_FALSE(WriteWholeFile(dir.file("missing/dir/file"), "x"));
}

TEST(TextLines, ReadingAMissingFileFails) {
  std::vector<std::string> lines{"x"};
  EXPECT_FALSE(ReadTextFileLines("/nonexistent/dir/file.txt", lines));
  EXPECT_EQ(lines, std::vector<std::string>{"x"});
}

TEST(NormaliseLineEnds, SplitsBareLineFeedsAndLeavesOrdinaryFilesAlone) {
  testpaths::TempDir dir;
  struct Case { const char* before; const char* after; };
  const Case cases[] = {
      {"a\nb", "a\r\nb\r\n"},
      {"a\nb\r\n", "a\r\nb\r\n"},
      {"x\n\ny\n", "x\r\n\r\ny\r\n"},
      {"a\r\nb\r\n", "a\r\nb\r\n"},       // untouched
      {"a\r\n\r\nb\n", "a\r\nb\r\n"},     // rewritten: an empty line without LF is dropped
  };
  for (const Case& c : cases) {
    const std::string file = dir.file("f.txt");
    writeFile(file, c.before);
    const auto before = std::filesystem::last_write_time(file);
    EXPECT_TRUE(NormaliseLineEnds(file));
    EXPECT_EQ(readFile(file), c.after);
    if (std::string(c.before) == c.after) {
      EXPECT_EQ(std::filesystem::last_write_time(file), before);
    }
    // No interim file is left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1);
  }
  EXPECT_FALSE(NormaliseLineEnds(dir.file("missing.txt")));
}
