#include "base/TextArena.h"

#include <cstring>

char* TextArena::Allocate(std::size_t size) {
    if (blocks_.empty() || blocks_.back().size - blocks_.back().used < size) {
        // A text longer than a block gets a block of its own.
        const std::size_t block = size > kBlockSize ? size : kBlockSize;
        blocks_.push_back(Block{std::unique_ptr<char[]>(new char[block]), block, 0});
    }
    Block& last = blocks_.back();
    char* room = last.bytes.get() + last.used;
    last.used += size;
    return room;
}

const char* TextArena::Keep(const char* text, std::size_t size) {
    char* copy = Allocate(size + 1);
    std::memcpy(copy, text, size);
    copy[size] = '\0';
    return copy;
}

void TextArena::Clear() {
    std::vector<Block>().swap(blocks_);
}
