#pragma once
// Short texts kept one after another in blocks that never move: a million names cost their
// own bytes and a pointer each, with no allocation per name and no copy as the store grows.
#include <cstddef>
#include <memory>
#include <vector>

class TextArena {
public:
    TextArena() = default;
    // What it gave out points into its blocks: it is neither copied nor moved.
    TextArena(const TextArena&) = delete;
    TextArena& operator=(const TextArena&) = delete;

    // Room for size bytes that stays where it is until Clear.
    char* Allocate(std::size_t size);
    // A copy of size bytes at text, followed by a NUL.
    const char* Keep(const char* text, std::size_t size);
    // Gives every block back.
    void Clear();

private:
    static const std::size_t kBlockSize = 256 * 1024;
    std::vector<std::unique_ptr<char[]>> blocks_;
    std::size_t free_ = 0;  // bytes left at the end of the last block
    char* next_ = nullptr;
};
