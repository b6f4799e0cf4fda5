// A file replaced whole: the one there before stays as it was until the new one is complete.
#include "platform/util/file_replacement.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "tests/support/scratch_folder.hpp"

namespace keltrov::test {
namespace {

namespace fs = std::filesystem;

std::string ContentsOf(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(FileReplacement, AWriteThatStopsHalfWayLeavesTheEarlierFileAsItWas) {
    ScratchFolder folder("keltrov-replace");
    const fs::path target = folder.Path() / "month.xlsx";
    std::ofstream(target) << "last month";
    {
        FileReplacement file(target);
        std::ofstream(file.TemporaryPath()) << "half of this";
        EXPECT_EQ(file.TemporaryPath().parent_path(), folder.Path());
    }
    EXPECT_EQ(ContentsOf(target), "last month");
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"month.xlsx"});

    FileReplacement file(target);
    std::ofstream(file.TemporaryPath()) << "this month";
    file.Complete();
    EXPECT_EQ(ContentsOf(target), "this month");
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"month.xlsx"});
}

}  // namespace
}  // namespace keltrov::test
