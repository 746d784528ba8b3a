#include "base/TextArena.h"

#include <cstring>

char* TextArena::Allocate(std::size_t size) {
    if (size > free_) {
        // A text longer than a block gets a block of its own.
        const std::size_t block = size > kBlockSize ? size : kBlockSize;
        blocks_.emplace_back(new char[block]);
        next_ = blocks_.back().get();
        free_ = block;
    }
    char* room = next_;
    next_ += size;
    free_ -= size;
    return room;
}

const char* TextArena::Keep(const char* text, std::size_t size) {
    char* copy = Allocate(size + 1);
    std::memcpy(copy, text, size);
    copy[size] = '\0';
    return copy;
}

void TextArena::Clear() {
    std::vector<std::unique_ptr<char[]>>().swap(blocks_);
    free_ = 0;
    next_ = nullptr;
}
