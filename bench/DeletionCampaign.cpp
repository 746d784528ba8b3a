// Runs randomized rounds of the delete button's work in both ways of deleting and prints
// what they found: deletion_campaign [rounds] [seed] [draws a folder]. Round i uses seed
// seed + i, so any round can be run again on its own. Exits 1 when an invariant was violated.
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>
#include "DeletionCampaign.h"

namespace {

void PrintTally(const char* prefix, const std::string& what, const std::pair<int, std::vector<std::string>>& tally) {
    const std::vector<std::string>& runs = tally.second;
    std::printf("%s %s: %d in %zu runs; seeds", prefix, what.c_str(), tally.first, runs.size());
    const std::size_t shown = runs.size() <= 24 ? runs.size() : 20;
    for (std::size_t i = 0; i < shown; ++i) std::printf(" %s,", runs[i].c_str());
    if (shown < runs.size()) std::printf(" and %zu more", runs.size() - shown);
    std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 100;
    const std::uint64_t first = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1;
    const int maxEntries = argc > 3 ? std::atoi(argv[3]) : 300;

    long long entries = 0, deletions = 0, violations = 0;
    int refused = 0, errors = 0, violatedRounds = 0;
    // Per invariant or error text: how often, and in which runs.
    std::map<std::string, std::pair<int, std::vector<std::string>>> byInvariant, byError;
    const DWORD started = GetTickCount();
    for (int i = 0; i < rounds; ++i) {
        const std::uint64_t seed = first + static_cast<std::uint64_t>(i);
        for (LinkCheck mode : {LinkCheck::None, LinkCheck::FinalPathInside}) {
            CampaignRound round;
            try {
                round = RunDeletionRound(seed, mode, maxEntries);
            } catch (const std::exception& error) {
                std::printf("seed %llu, %s: the tree could not be built: %s\n", static_cast<unsigned long long>(seed),
                            CampaignModeName(mode), error.what());
                return 2;
            }
            const std::string where = std::to_string(seed) + (mode == LinkCheck::None ? " Windows" : " Wine");
            entries += round.entries;
            deletions += round.deletions;
            refused += round.refused;
            if (!round.error.empty()) {
                ++errors;
                ++byError[round.error].first;
                byError[round.error].second.push_back(where);
                std::printf("---- ended in an error: seed %s, save path %s: %s\n", where.c_str(), round.savePath.c_str(),
                            round.error.c_str());
            }
            if (round.violations.empty()) continue;
            ++violatedRounds;
            violations += static_cast<long long>(round.violations.size());
            for (const std::string& violation : round.violations) {
                auto& tally = byInvariant[InvariantOf(violation)];
                ++tally.first;
                if (tally.second.empty() || tally.second.back() != where) tally.second.push_back(where);
            }
            std::printf("---- violated\n%s", round.report.c_str());
            std::fflush(stdout);
        }
    }

    std::printf("==== %d rounds from seed %llu, each in both modes, up to %d draws a folder, %.1f s\n", rounds,
                static_cast<unsigned long long>(first), maxEntries, (GetTickCount() - started) / 1000.0);
    std::printf("entries %lld, deletions %lld, refused %d, ended in an error %d\n", entries, deletions, refused, errors);
    for (const auto& error : byError) PrintTally("  error", error.first, error.second);
    std::printf("violations %lld in %d of %d round runs\n", violations, violatedRounds, 2 * rounds);
    for (const auto& invariant : byInvariant) PrintTally(" ", invariant.first, invariant.second);
    return violations ? 1 : 0;
}
