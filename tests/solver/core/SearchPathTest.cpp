#include "SearchPath.h"

#include "LogStream.h"
#include "TestPaths.h"

#include <gtest/gtest.h>

using tesmo::SearchPath;

namespace {

struct PathCase {
  const char* dir;
  const char* name;
  const char* expected;
};
void PrintTo(const PathCase& c, std::ostream* os) { *os << c.dir << " " << c.name; }

class MakePath : public ::testing::TestWithParam<PathCase> {};

TEST_P(MakePath, JoinsDirectoryAndName) {
  EXPECT_EQ(SearchPath::makePath(GetParam().dir, GetParam().name), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Table, MakePath,
                         ::testing::Values(PathCase{".", "f.out", "f.out"},
                                           PathCase{".", "C:\\data\\f.out", "C:\\data\\f.out"},
                                           PathCase{"a", "f", "a/f"}, PathCase{"b/", "f", "b/f"},
                                           PathCase{"a", "sub/f", "sub/f"},
                                           PathCase{"/tmp", "x.log", "/tmp/x.log"}));

TEST(SearchPathTest, SplitsTheListAndTriesEachDirectoryInOrder) {
  testpaths::TempDir tmp;
  const std::string a = tmp.file("a"), b = tmp.file("b");
  std::filesystem::create_directories(a);
  std::filesystem::create_directories(b);
  SearchPath path((a + ":" + b + "/").c_str(), false);
  EXPECT_EQ(path.count, 2);
  EXPECT_EQ(path.dirs, (std::vector<std::string>{a, b + "/"}));
  EXPECT_EQ(path.longest, static_cast<int>(b.size()) + 1);
  EXPECT_TRUE(path.variable.empty());

  std::string found = "stale";
  EXPECT_FALSE(path.findInPath("f", &found));
  EXPECT_EQ(found, "");
  testpaths::writeFile(b + "/f", "x");
  EXPECT_TRUE(path.findInPath("f", &found));
  EXPECT_EQ(found, b + "/f");
  testpaths::writeFile(a + "/f", "x");
  EXPECT_TRUE(path.findInPath("f", &found));
  EXPECT_EQ(found, a + "/f");
  EXPECT_TRUE(path.findInPath(a + "/f"));  // a name with '/' is used as it is
  EXPECT_FALSE(path.findInPath("sub/f"));
  EXPECT_TRUE(SearchPath::hasSlash("x/y"));
  EXPECT_FALSE(SearchPath::hasSlash("x\\y"));
}

TEST(SearchPathTest, ListsComeFromTheEnvironment) {
  const char* env[] = {"OTHER=1", "STEINERDATPATH=/d1:/d2", nullptr};
  SearchPath path("STEINERDATPATH", false, env);
  EXPECT_EQ(path.variable, "STEINERDATPATH");
  EXPECT_EQ(path.dirs, (std::vector<std::string>{"/d1", "/d2"}));
}

TEST(SearchPathTest, PrintsTheListWhenVerbose) {
  const int saved = tesmo::verbose;
  tesmo::verbose = 1;
  testing::internal::CaptureStdout();
  SearchPath path("x:y", false);
  tesmo::verbose = saved;
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Variable: unset.\nPaths:\nx\ny\n");
}

using SearchPathDeathTest = ::testing::Test;

TEST_F(SearchPathDeathTest, AWritingListNamesOneDirectory) {
  EXPECT_EXIT(SearchPath("x:y", true), ::testing::ExitedWithCode(65), "non single path specified for writing");
}

TEST_F(SearchPathDeathTest, AMissingVariableEndsWith66) {
  const char* env[] = {"STEINERTMP=/t", nullptr};
  EXPECT_EXIT(SearchPath("STEINERTMPPATH", true, env), ::testing::ExitedWithCode(66),
              "error: Variable STEINERTMPPATH undefined!");
}

}  // namespace
