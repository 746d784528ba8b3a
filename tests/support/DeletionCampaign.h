#pragma once
// Randomized rounds of the delete button's work on real trees. From a seed, a round builds a
// save path with Data and Cache full of ordinary and awkward entries under a fresh
// temporary folder, runs SavePathRefusal and DeleteCacheFolders on it exactly as the
// button does, and judges the result from the file system alone: what was there before,
// what is there after.
#include <cstdint>
#include <string>
#include <vector>
#include "forms/CacheDeletion.h"

// What a round's tree held, so that callers can make sure their seeds reach the hard cases.
enum CampaignFeature : unsigned {
    kLookAlikeNames = 1u << 0,   // "fö.dat" beside a hidden or system "fo.dat"
    kNulInSavePath = 1u << 1,    // the save path's text goes on after a NUL
    kControlInSavePath = 1u << 2,
    kLoopingLink = 1u << 3,      // Data or Cache is a link to the save path or above it
    kMovedFolder = 1u << 4,      // Data or Cache is a link to a folder elsewhere
    kUnixLinks = 1u << 5,        // symbolic links among the entries
    kHardLinks = 1u << 6,
    kCaseTwins = 1u << 7,
    kTrailingDots = 1u << 8,     // "x." or "x " beside "x"
    kYenNames = 1u << 9,         // names holding "¥", which read back as backslashes
    kLockedFile = 1u << 10,
    kLongNames = 1u << 11,
    kUnconvertibleSavePath = 1u << 12,
    kDeviceNames = 1u << 13,         // "nul.txt", "COM1.dat": the system reads them as devices
    kDeleteSharedLock = 1u << 14,    // a file held open with delete sharing: it goes when closed
    kLoopAfterFullData = 1u << 15,   // Cache loops while Data holds plain files to delete
    kVirtualStore = 1u << 16,        // Data or Cache has a copy in VirtualStore
};

struct CampaignRound {
    std::uint64_t seed = 0;
    LinkCheck mode = LinkCheck::None;
    int maxEntries = 0;
    std::string savePath;  // as given to the run, UTF-8 with control characters as \xNN
    unsigned features = 0;
    int entries = 0;    // entries made directly in Data and Cache (or where they lead)
    int deletions = 0;  // entries of the tree gone after the run
    CacheDeletionCounts counts;  // deleted and stayed
    std::string question;        // what the user was asked, UTF-8
    bool refused = false;
    std::string error;                    // the exception that ended the run, UTF-8
    std::vector<std::string> violations;  // "invariant: what", UTF-8
    std::string report;                   // seed, mode, violations and the tree; only when violated
};

// One round in one mode. maxEntries bounds the draws of entries per folder (a draw may
// make a pair). Throws std::runtime_error when the tree cannot be built.
CampaignRound RunDeletionRound(std::uint64_t seed, LinkCheck mode, int maxEntries = 300);

// "Windows (LinkCheck::None)" or "Wine (LinkCheck::FinalPathInside)".
const char* CampaignModeName(LinkCheck mode);

// The part of a violation before ": ", which names the invariant.
std::string InvariantOf(const std::string& violation);
