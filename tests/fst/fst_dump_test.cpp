// The debug listing of a table and the compiler's statistics.
#include <gtest/gtest.h>

#include <string>

#include "fst/fst.h"
#include "fst/fstlib/fst_dump.h"

namespace {

using namespace VemoSDK::Fst;

TEST(FstDump, ListsEveryRecordOnceAndCountsWhatWasWritten) {
  KeyStats stats({"a", "ab", "b"});
  FstBuilder builder(stats);
  ASSERT_EQ(BuildError::None, builder.add("a", "1"));
  ASSERT_EQ(BuildError::None, builder.add("ab", "2"));
  ASSERT_EQ(BuildError::None, builder.add("b", "2"));
  std::string data;
  ASSERT_EQ(BuildError::None, builder.finish(data));
  EXPECT_EQ("# unique char count: 2\n# state count: 2\n# record count: 3\n# total size: " +
                std::to_string(data.size()) + "\n",
            dumpStatistics(builder.stats()));

  std::string listing;
  ASSERT_TRUE(dumpRecords(reinterpret_cast<const unsigned char*>(data.data()), data.size(), listing));
  // The root's arcs a and b (b ends a key in no state), then the arc b after
  // a; the key "a" ends on the state output "1" that "ab" pushed forward.
  EXPECT_EQ("Char\tAddress\tArc\tN F L\tNxtAddr\tOutput\tStOuts\tSize\n"
            "a\t11\t0\t  *  \t3\t\t1\t4\n"
            "b\t7\t1\t  * ^\tx\t2\t\t4\n"
            "b\t3\t0\t  * ^\tx\t2\t\t4\n",
            listing);
  // A chain of single arcs: each target lies directly below, marked with an arrow.
  std::string chain;
  ASSERT_EQ(BuildError::None, compileTable({{"abc", "1"}}, chain));
  listing.clear();
  ASSERT_TRUE(dumpRecords(reinterpret_cast<const unsigned char*>(chain.data()), chain.size(), listing));
  EXPECT_NE(std::string::npos, listing.find("a\t" + std::to_string(chain.size() - 14) + "\t0\t\xE2\x86\x91   ^\t"))
      << listing;
  EXPECT_FALSE(dumpRecords(reinterpret_cast<const unsigned char*>(data.data()), data.size() - 1, listing));
}

}  // namespace
