#include "platform/db/row_blocks.h"

#include <cstddef>
#include <mutex>
#include <new>
#include <vector>

namespace db {

namespace {

struct Idle {
    Idle() { blocks.reserve(idleLimit / rowBlockSize); } // giving a block back never allocates
    std::mutex lock; // recordsets of different threads share the blocks
    std::vector<char*> blocks;
};

// Never destroyed: a recordset that outlives the program's static objects still gives its blocks back.
Idle& idle()
{
    static Idle* const blocks = new Idle;
    return *blocks;
}

char* allocate(std::size_t size)
{
    return static_cast<char*>(::operator new(size));
}

} // namespace

void RowBlockRelease::operator()(char* block) const noexcept
{
    if (!block)
        return;
    if (pooled) {
        Idle& pool = idle();
        const std::lock_guard<std::mutex> hold(pool.lock);
        if (pool.blocks.size() < idleLimit / rowBlockSize) {
            pool.blocks.push_back(block);
            return;
        }
    }
    ::operator delete(block);
}

RowBlock takeRowBlock(std::size_t size)
{
    if (size > rowBlockSize)
        return RowBlock(allocate(size), RowBlockRelease{false});
    {
        Idle& pool = idle();
        const std::lock_guard<std::mutex> hold(pool.lock);
        if (!pool.blocks.empty()) {
            char* block = pool.blocks.back();
            pool.blocks.pop_back();
            return RowBlock(block, RowBlockRelease{true});
        }
    }
    return RowBlock(allocate(rowBlockSize), RowBlockRelease{true});
}

void* BlockArena::do_allocate(std::size_t bytes, std::size_t alignment)
{
    if (bytes > largePiece || alignment > alignof(std::max_align_t))
        return ::operator new(bytes, std::align_val_t(alignment));
    std::size_t at = (used_ + alignment - 1) & ~(alignment - 1);
    if (blocks_.empty() || at + bytes > rowBlockSize) {
        blocks_.push_back(takeRowBlock());
        at = 0;
    }
    used_ = at + bytes;
    return blocks_.back().get() + at;
}

void BlockArena::do_deallocate(void* p, std::size_t bytes, std::size_t alignment)
{
    if (bytes > largePiece || alignment > alignof(std::max_align_t))
        ::operator delete(p, bytes, std::align_val_t(alignment));
}

void BlockArena::rewind()
{
    if (blocks_.size() > 1)
        blocks_.erase(blocks_.begin() + 1, blocks_.end());
    used_ = 0;
}

} // namespace db
