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
    // Calls found with each text kept, in the order kept; only for an arena that Keep alone filled.
    template <class Found>
    void ForEachKept(Found found) const {
        for (const Block& block : blocks_)
            for (const char* text = block.bytes.get(); text < block.bytes.get() + block.used;) {
                found(text);
                while (*text++ != '\0') {
                }
            }
    }
    // Gives every block back.
    void Clear();

private:
    static const std::size_t kBlockSize = 256 * 1024;
    struct Block {
        std::unique_ptr<char[]> bytes;
        std::size_t size;
        std::size_t used;
    };
    std::vector<Block> blocks_;
};
