// What every digest prints: the init text, then the finish text, whole even
// when many threads make digests at once.
#include <gtest/gtest.h>

#include <string>

#include "child_process.h"
#include "test_support.h"

namespace {

using vemo::test::run_sibling;

const std::string kInit = "vemo_md5_init begin >>>>>>>>>>>>>>>>>>>>>>>>>>>>";
const std::string kFinish = "vemo_md5_finish >>>>>>>>>>>>>>>>>>>>>>>>>>>>";

std::string repeated(const std::string& text, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += text;
  return out;
}

TEST(Md5Prints, EachDigestPrintsInitThenFinish) {
  vemo::test::TempDir dir("md5-prints");
  ASSERT_TRUE(vemo::test::write_file(dir.file("abc"), "abc"));
  const std::pair<std::string, std::string> cases[] = {
      {"threads 1 3", repeated(kInit + kFinish, 3)},
      {"file " + dir.file("abc"), kInit + kFinish},
      // A file that cannot be opened was never begun.
      {"file " + dir.file("missing"), ""},
      // A digest fed piece by piece prints when it begins and when it ends.
      {"stream", kInit + "|" + kFinish},
  };
  for (const auto& [arguments, expected] : cases) {
    auto child = run_sibling("md5_print_probe.exe", arguments);
    EXPECT_EQ(child.output, expected) << arguments;
  }
}

TEST(Md5Prints, DigestsOnManyThreadsNeverSplitTheirPair) {
  auto child = run_sibling("md5_print_probe.exe", "threads 8 400");
  ASSERT_EQ(child.exit_code, 0);
  EXPECT_EQ(child.output, repeated(kInit + kFinish, 8 * 400));
}

}  // namespace
