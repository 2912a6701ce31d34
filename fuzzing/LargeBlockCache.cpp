// Keeps the engines' big fixed tables from costing the fuzzers most of their time.
// Every TDatabase allocates two tables of 1500 items (about 500 KB each) and every
// TRFileSystem one of 1500 values (about 100 KB). AddressSanitizer serves blocks
// that large straight from mmap and unmaps them when freed, so each new engine
// touches fresh pages, and on this kind of virtual machine the page faults cost
// more than everything else the harness does together.
//
// The fuzz executables are linked with --wrap for operator new and delete: a freed
// block of at least CachedFrom bytes is kept (poisoned, so any touch of it is still
// reported as a use after free) and handed out again for a request of the very
// same size. Blocks are still obtained from and returned to the sanitizer's own
// operator new and delete, so its new/delete mismatch checks keep working.
#include <sanitizer/asan_interface.h>

#include <array>
#include <atomic>
#include <cstddef>
#include <malloc.h>
#include <new>

extern "C" {
void* __real__Znwm(size_t size);
void __real__ZdlPv(void* block) noexcept;
void __real__ZdlPvm(void* block, size_t size) noexcept;
}

namespace {

constexpr size_t CachedFrom = 64 * 1024;

struct TCachedBlock {
    void* Block = nullptr;
    size_t Size = 0;
};

std::array<TCachedBlock, 16> Cache;
size_t NextEviction = 0;
std::atomic_flag CacheLock = ATOMIC_FLAG_INIT;

class TCacheGuard {
public:
    TCacheGuard()
    {
        while (CacheLock.test_and_set(std::memory_order_acquire)) {
        }
    }
    ~TCacheGuard() { CacheLock.clear(std::memory_order_release); }
};

void* TakeCached(size_t size)
{
    TCacheGuard guard;
    for (TCachedBlock& cached : Cache)
        if (cached.Block && cached.Size == size) {
            void* block = cached.Block;
            cached.Block = nullptr;
            ASAN_UNPOISON_MEMORY_REGION(block, size);
            return block;
        }
    return nullptr;
}

// Keeps a freed large block; when every slot is taken, the slot next in turn
// gives up its block. Without that, odd-sized blocks (libFuzzer's own copies of
// big inputs) would fill the cache for good and the tables would miss it again.
// True when the block was kept; false when the caller must free it.
bool Keep(void* block)
{
    const size_t size = malloc_usable_size(block); // the sanitizer reports the size asked for
    if (size < CachedFrom)
        return false;
    void* evicted = nullptr;
    {
        TCacheGuard guard;
        TCachedBlock* slot = nullptr;
        for (TCachedBlock& cached : Cache)
            if (!cached.Block) {
                slot = &cached;
                break;
            }
        if (!slot) {
            slot = &Cache[NextEviction];
            NextEviction = (NextEviction + 1) % Cache.size();
            evicted = slot->Block;
            ASAN_UNPOISON_MEMORY_REGION(evicted, slot->Size);
        }
        ASAN_POISON_MEMORY_REGION(block, size);
        *slot = {block, size};
    }
    if (evicted)
        __real__ZdlPv(evicted);
    return true;
}

} // namespace

extern "C" {

void* __wrap__Znwm(size_t size)
{
    if (size >= CachedFrom)
        if (void* block = TakeCached(size))
            return block;
    return __real__Znwm(size);
}

void __wrap__ZdlPv(void* block) noexcept
{
    if (block && Keep(block))
        return;
    __real__ZdlPv(block);
}

void __wrap__ZdlPvm(void* block, size_t size) noexcept
{
    if (block && size >= CachedFrom && Keep(block))
        return;
    __real__ZdlPvm(block, size);
}

} // extern "C"
