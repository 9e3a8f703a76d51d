#pragma once
// Blocks of one size, cut from larger chunks. A program that declares
// thousands of figures makes a dozen attributes (and a variable) for each;
// taken from the general heap, every one of them would carry the heap's own
// bookkeeping and rounding besides its bytes.
//
// A freed block goes onto a list the next allocation of that size takes
// from; chunks are kept for the whole process. Under AddressSanitizer, or
// with ZAK_PLAIN_ALLOCATION defined, every block is an allocation of its
// own, so that a use after free is still found.
#include <algorithm>
#include <cstddef>
#include <mutex>
#include <new>

#if defined(ZAK_PLAIN_ALLOCATION) || defined(__SANITIZE_ADDRESS__)
#define ZAK_BLOCK_POOL_PLAIN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZAK_BLOCK_POOL_PLAIN 1
#endif
#endif

class TBlockPool {
public:
#ifdef ZAK_BLOCK_POOL_PLAIN
    static constexpr bool Plain = true;
#else
    static constexpr bool Plain = false;
#endif

    // The pool of blocks of `Size` bytes (a multiple of the pointer size),
    // shared by every class of that size. Never destroyed: objects freed
    // while the process ends still find it.
    template <std::size_t Size>
    static TBlockPool& Of() {
        static_assert(Size >= sizeof(void*) && Size % alignof(void*) == 0);
        static auto* pool = new TBlockPool(Size);
        return *pool;
    }

    TBlockPool(const TBlockPool&) = delete;
    TBlockPool& operator=(const TBlockPool&) = delete;

    void* Allocate() {
        if constexpr (Plain) return ::operator new(BlockSize);
        const std::lock_guard lock(Mutex);
        if (FreeList) {
            void* block = FreeList;
            FreeList = FreeList->Next;
            return block;
        }
        if (Left == 0) NewChunk();
        void* block = Next;
        Next += BlockSize;
        --Left;
        return block;
    }

    void Release(void* block) noexcept {
        if (!block) return;
        if constexpr (Plain) return ::operator delete(block);
        const std::lock_guard lock(Mutex);
        FreeList = new (block) TFree{FreeList};
    }

private:
    explicit TBlockPool(std::size_t blockSize) : BlockSize(blockSize) {}

    // Chunks grow from a few blocks to 64 KiB, so that a small program
    // keeps little and a large one asks the heap seldom.
    void NewChunk() {
        constexpr std::size_t MaxChunk = std::size_t{64} << 10;
        ChunkBytes = ChunkBytes == 0 ? 32 * BlockSize : std::min(2 * ChunkBytes, MaxChunk);
        Left = ChunkBytes / BlockSize;
        Next = static_cast<char*>(::operator new(Left * BlockSize));
    }

    struct TFree {
        TFree* Next;
    };

    const std::size_t BlockSize;
    std::mutex Mutex;
    TFree* FreeList = nullptr;
    char* Next = nullptr;
    std::size_t Left = 0;
    std::size_t ChunkBytes = 0;
};
