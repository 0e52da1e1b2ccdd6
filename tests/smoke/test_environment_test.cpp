// Every test finds the JPEG corpus and the source tree through environment
// variables; these checks fail first and plainly when that set-up is broken,
// natively or under Wine, instead of leaving it to a codec test to fail
// for an unclear reason.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "tests/support/tsv_table.h"

namespace {

std::string EnvironmentValue(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

TEST(TestEnvironment, EveryCorpusFileListedInTheManifestOpens)
{
    const std::string corpus = EnvironmentValue("HALVORA_TESTDATA_DIR");
    ASSERT_FALSE(corpus.empty()) << "HALVORA_TESTDATA_DIR is not set";
    ASSERT_TRUE(std::ifstream(corpus + "/MANIFEST.tsv")) << "cannot open " << corpus << "/MANIFEST.tsv";

    int files = 0;
    for (const halvora::test_support::TsvRow& row : halvora::test_support::ReadTsv(corpus + "/MANIFEST.tsv")) {
        const std::string path = corpus + "/" + row["path"];
        SCOPED_TRACE(path);
        std::ifstream file(path, std::ios::binary);
        EXPECT_TRUE(file) << "listed in MANIFEST.tsv but cannot be opened";
        ++files;
    }
    EXPECT_GT(files, 0) << "MANIFEST.tsv lists no files";
}

TEST(TestEnvironment, SourceTreeIsReachable)
{
    const std::string source = EnvironmentValue("HALVORA_SOURCE_DIR");
    ASSERT_FALSE(source.empty()) << "HALVORA_SOURCE_DIR is not set";
    std::ifstream top(source + "/CMakeLists.txt");
    ASSERT_TRUE(top) << "cannot open " << source << "/CMakeLists.txt";
    std::string first;
    std::getline(top, first);
    EXPECT_NE(first.find("cmake_minimum_required"), std::string::npos) << first;
}

// Run only by halvora_test_failure_propagates, which demands exit code 1: a
// runner that swallowed exit codes would turn every failure green.
TEST(TestEnvironment, DISABLED_FailsOnPurpose)
{
    FAIL() << "this failure is expected by halvora_test_failure_propagates";
}

}  // namespace
