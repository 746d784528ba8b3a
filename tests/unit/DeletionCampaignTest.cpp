#include <gtest/gtest.h>

#include "DeletionCampaign.h"

namespace {

// Fixed rounds of the randomized campaign (bench/DeletionCampaign.cpp runs many more; its
// third argument set to kDraws repeats these rounds). Small trees keep the list at about ten
// seconds under Wine. Seeds 1 to 24 are ordinary rounds; the others give the save path a NUL
// (8, 9, 159, 257, 270, 294) or another control character (36, 140, 179, 241).
const int kDraws = 60;
const std::uint64_t kSeeds[] = {1,  2,  3,  4,  5,  6,  7,  8,  9,   10,  11,  12,  13,  14,  15,  16,
                                17, 18, 19, 20, 21, 22, 23, 24, 36, 140, 159, 179, 241, 257, 270, 294};

void RunFixedSeeds(LinkCheck mode, unsigned mustReach) {
    unsigned reached = 0;
    for (std::uint64_t seed : kSeeds) {
        CampaignRound round = RunDeletionRound(seed, mode, kDraws);
        reached |= round.features;
        EXPECT_TRUE(round.violations.empty()) << round.report;
    }
    // A change to the generator must not quietly stop these seeds from reaching them.
    EXPECT_EQ(reached & mustReach, mustReach) << "cases reached: " << std::hex << reached;
}

TEST(Campaign, WindowsDeletionKeepsEveryInvariant) {
    RunFixedSeeds(LinkCheck::None, kLookAlikeNames | kNulInSavePath | kControlInSavePath | kLoopingLink |
                                       kMovedFolder | kHardLinks | kTrailingDots | kYenNames | kLockedFile |
                                       kLongNames | kDeviceNames | kDeleteSharedLock | kLoopAfterFullData |
                                       kVirtualStore);
}

TEST(Campaign, WineDeletionKeepsEveryInvariant) {
    RunFixedSeeds(LinkCheck::FinalPathInside,
                  kLookAlikeNames | kNulInSavePath | kControlInSavePath | kLoopingLink | kMovedFolder | kUnixLinks |
                      kHardLinks | kCaseTwins | kTrailingDots | kYenNames | kLockedFile | kLongNames | kDeviceNames |
                      kDeleteSharedLock | kLoopAfterFullData | kVirtualStore);
}

}  // namespace
