#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>
#include "base/TextArena.h"

// Texts of every length up to past a block's size, kept one after another: each must stay
// whole and NUL-ended while later ones fill further blocks.
TEST(TextArena, KeptTextsStayWholeAcrossBlocks) {
    TextArena arena;
    std::vector<const char*> kept;
    std::vector<std::string> expected;
    for (std::size_t length : {0u, 1u, 259u, 4000u, 262143u, 262144u, 262145u, 300000u, 7u}) {
        for (int copy = 0; copy < 3; ++copy) {
            std::string text(length, static_cast<char>('a' + kept.size() % 26));
            kept.push_back(arena.Keep(text.data(), text.size()));
            expected.push_back(text);
        }
    }
    for (std::size_t i = 0; i < kept.size(); ++i) {
        ASSERT_EQ(std::strlen(kept[i]), expected[i].size()) << i;
        EXPECT_EQ(std::string(kept[i]), expected[i]) << i;
    }
    arena.Clear();
    EXPECT_STREQ(arena.Keep("after", 5), "after");
}
