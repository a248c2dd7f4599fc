#pragma once
// Memory for the rows a static recordset keeps, in blocks of one size. A recordset that goes gives
// its blocks back, and the next one opened takes them again: memory fresh from the system costs a
// page fault at every page first written, which for a large recordset costs more than reading its
// rows from the file. The blocks kept idle are bounded (idleLimit); any beyond go back to the system.
// For the layer's own use.
#include <cstddef>
#include <memory>
#include <memory_resource>
#include <vector>

namespace db {

inline constexpr std::size_t rowBlockSize = 256 * 1024;

struct RowBlockRelease {
    bool pooled = true; // of rowBlockSize, from the idle blocks; else a larger one of its own
    void operator()(char* block) const noexcept;
};
using RowBlock = std::unique_ptr<char[], RowBlockRelease>;

// A block of rowBlockSize bytes, or of `size` when more is needed; its contents are undefined.
RowBlock takeRowBlock(std::size_t size = rowBlockSize);

// The most bytes of blocks kept idle between recordsets.
inline constexpr std::size_t idleLimit = 64 * 1024 * 1024;

// Room for things that all go together, laid one after the other in row blocks: a recordset's pending
// values, made for many rows at once by a batch and all let go of when it is written. Room given back
// is reused only once everything in it has gone (tell it with `released` at each thing's end, after
// `holding` at its start): the room then starts again at the beginning of its first block and gives
// back the others. Pieces larger than a quarter block are allocations of their own.
class BlockArena : public std::pmr::memory_resource {
public:
    BlockArena() = default;
    BlockArena(const BlockArena&) = delete;
    BlockArena& operator=(const BlockArena&) = delete;
    ~BlockArena() override = default;

    void holding() { ++held_; }
    void released()
    {
        if (--held_ == 0)
            rewind();
    }

private:
    void* do_allocate(std::size_t bytes, std::size_t alignment) override;
    void do_deallocate(void* p, std::size_t bytes, std::size_t alignment) override;
    bool do_is_equal(const std::pmr::memory_resource& other) const noexcept override { return this == &other; }
    void rewind();

    static constexpr std::size_t largePiece = rowBlockSize / 4;
    std::vector<RowBlock> blocks_;
    std::size_t used_ = 0; // of the last block
    long held_ = 0;
};

} // namespace db
