// Ordering rows by their disc and track numbers.
#include <gtest/gtest.h>

#include "join/intake/TagOrder.h"

using namespace velmora;
using Numbers = std::vector<std::pair<std::optional<int>, std::optional<int>>>;  // (disc, track)

TEST(TagOrder, DiscThenTrackNumberedRowsFirst)
{
    const std::vector<std::tuple<Numbers, std::vector<size_t>>> cases{
        {{{{}, 3}, {{}, 1}, {{}, 2}}, {1, 2, 0}},
        {{{2, 1}, {1, 2}, {1, 1}, {2, 2}}, {2, 1, 0, 3}},
        // Rows without a track number follow in their list order, whatever their disc.
        {{{{}, {}}, {1, 2}, {1, {}}, {{}, 1}}, {3, 1, 0, 2}},
        // No disc counts as the first disc; equal numbers keep the list order.
        {{{2, 1}, {{}, 5}, {1, 5}, {{}, 5}}, {1, 2, 3, 0}},
        {{{{}, 0}, {{}, 1}}, {0, 1}},
        {{}, {}},
    };
    for (const auto& [numbers, order] : cases) {
        std::vector<RowMetadata> rows(numbers.size());
        for (size_t i = 0; i < numbers.size(); ++i)
            std::tie(rows[i].disc, rows[i].track) = numbers[i];
        EXPECT_EQ(trackNumberOrder(rows), order) << numbers.size() << " rows";
    }
}
