// Copies into an output file by the kernel: runs of the source gathered, interleaved with written bytes and
// patches, the source's holes kept, and a source shorter than the copy asked for reported as the source's fault.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "export/temporary_output.h"

namespace {

constexpr std::int64_t kHoleAt = 40000;
constexpr std::int64_t kDataAgain = 3 << 20;   // the source holds data again from here
constexpr std::int64_t kSourceSize = kDataAgain + 50000;

struct Piece {
    bool copy;
    std::int64_t position;   // copy: in the source
    std::int64_t count;      // copy: bytes; else: bytes of 'w' written
};

struct CopyCase {
    const char* what;
    std::vector<Piece> pieces;
    bool committed;
    std::int64_t sourceFailedAt;   // -1: none
    std::int64_t mostAllocated;    // bytes the output may occupy on the disk, -1: any
};

class OutputCopies : public ::testing::TestWithParam<CopyCase> {
protected:
    static void SetUpTestSuite()
    {
        char pattern[] = "/tmp/zv-output-copies-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        s_dir = pattern;
        s_source.resize(kSourceSize, 0);
        for (std::int64_t k = 0; k < kSourceSize; ++k) {
            if (k < kHoleAt || k >= kDataAgain)
                s_source[static_cast<std::size_t>(k)] = static_cast<char>('a' + k % 23);
        }
        const int fd = open((s_dir + "/source").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(pwrite(fd, s_source.data(), kHoleAt, 0), kHoleAt);
        ASSERT_EQ(pwrite(fd, s_source.data() + kDataAgain, kSourceSize - kDataAgain, kDataAgain), kSourceSize - kDataAgain);
        close(fd);
    }
    static void TearDownTestSuite() { std::system(("rm -rf '" + s_dir + "'").c_str()); }

    static std::string s_dir;
    static std::string s_source;
};

std::string OutputCopies::s_dir;
std::string OutputCopies::s_source;

TEST_P(OutputCopies, HoldTheSourceBytesWhereTheyWereAsked)
{
    const CopyCase& c = GetParam();
    const int source = open((s_dir + "/source").c_str(), O_RDONLY);
    ASSERT_GE(source, 0);
    const std::string target = s_dir + "/out-" + std::to_string(reinterpret_cast<std::uintptr_t>(&c));
    zv::CTemporaryOutput out;
    ASSERT_TRUE(out.Create(target, 64 * 1024));
    std::string expected = "size";
    bool ok = out.Write("????", 4);
    for (const Piece& p : c.pieces) {
        const auto count = static_cast<std::size_t>(p.count);
        ok = ok && (p.copy ? out.CopyFrom(source, p.position, count) : out.Write(std::string(count, 'w').data(), count));
        expected += p.copy ? s_source.substr(static_cast<std::size_t>(p.position), count) : std::string(count, 'w');
    }
    ok = ok && out.Patch(0, "size", 4) && out.Commit();
    close(source);
    EXPECT_EQ(ok, c.committed);
    EXPECT_EQ(out.SourceFailedAt(), c.sourceFailedAt);
    struct stat info {};
    ASSERT_EQ(stat(target.c_str(), &info) == 0, c.committed);
    if (!c.committed)
        return;
    std::string written(static_cast<std::size_t>(info.st_size), '\0');
    const int fd = open(target.c_str(), O_RDONLY);
    EXPECT_EQ(read(fd, written.data(), written.size()), info.st_size);
    close(fd);
    EXPECT_TRUE(written == expected) << written.size() << " bytes against " << expected.size();
    if (c.mostAllocated >= 0) {
        EXPECT_LE(info.st_blocks * 512, c.mostAllocated);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OutputCopies,
    ::testing::Values(
        CopyCase{"runs that continue each other, then bytes written, then a run elsewhere",
                 {{true, 0, 1000}, {true, 1000, 3000}, {false, 0, 10}, {true, 17, 5}, {true, 22, 30000}}, true, -1, -1},
        // More than a buffer's worth (64 KiB) of pieces continuing each other: gathered no further than that.
        CopyCase{"a run longer than the buffer", {{true, 1, 30000}, {true, 30001, 30000}, {true, 60001, 30000}}, true, -1, -1},
        CopyCase{"the source's hole stays a hole", {{true, 100, kSourceSize - 200}}, true, -1, 256 * 1024},
        CopyCase{"a copy past the source's end", {{true, 0, 10}, {true, kSourceSize - 5, 10}}, false, kSourceSize, -1}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

}  // namespace
