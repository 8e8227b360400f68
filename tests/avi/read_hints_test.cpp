// Which requests the gathered read-ahead pieces become: in file order, neighbours joined, nothing lost.
#include "avi/read_hints.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct JoinCase {
    const char* name;
    std::vector<FilePiece> pieces;
    std::int64_t gap;
    std::vector<FilePiece> joined;
};

const JoinCase kJoins[] = {
    {"nothing", {}, 32, {}},
    // A standard index whose super index entry claims 8 bytes more than its chunk, then the next stream's.
    {"overlapping_pair", {{1000, 1336}, {1328, 1600}}, 0, {{1000, 1600}}},
    {"touching", {{0, 10}, {10, 20}}, 0, {{0, 20}}},
    {"within_the_gap", {{0, 10}, {42, 50}}, 32, {{0, 50}}},
    {"past_the_gap", {{0, 10}, {43, 50}}, 32, {{0, 10}, {43, 50}}},
    // The pictures' indexes of every form, then the sound's: asked for in file order, one per form.
    {"two_streams_in_turn", {{100, 200}, {5000, 5100}, {200, 260}, {5100, 5160}}, 0, {{100, 260}, {5000, 5160}}},
    {"inside_another", {{0, 100}, {20, 30}, {200, 210}}, 0, {{0, 100}, {200, 210}}},
};

class JoinTable : public testing::TestWithParam<JoinCase> {};

TEST_P(JoinTable, JoinsNeighboursInFileOrder)
{
    const std::vector<FilePiece> joined = JoinNeighbours(GetParam().pieces, GetParam().gap);
    ASSERT_EQ(joined.size(), GetParam().joined.size());
    for (std::size_t i = 0; i < joined.size(); ++i) {
        EXPECT_EQ(joined[i].start, GetParam().joined[i].start) << i;
        EXPECT_EQ(joined[i].end, GetParam().joined[i].end) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Avi, JoinTable, testing::ValuesIn(kJoins),
                         [](const testing::TestParamInfo<JoinCase>& info) { return std::string(info.param.name); });

}  // namespace
