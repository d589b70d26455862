// Runs the leak check at exit over a thread-local block that starts 16 bytes into a page,
// the placement for which clang 14's runtime reads a glibc header that no longer exists and
// hands the checker a bogus range. Ends normally when the checker copes; with "leak", also
// drops one block, which the checker must still report.
//
//   tst_dynamictls <module> [leak]

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <dlfcn.h>

namespace {

constexpr std::uintptr_t PageSize = 4096;
constexpr std::uintptr_t HeaderSize = 16; // the two words the runtime reads in front of it
constexpr int SkipCode = 77;
constexpr std::size_t SmallBlock = 8; // the size of the module's thread-local block
constexpr int MaxBlocks = 1 << 16;

// Global, so that the blocks stay reachable and are no leaks of their own.
void *padding[MaxBlocks];

std::uintptr_t pageOffset(const void *p)
{
    return reinterpret_cast<std::uintptr_t>(p) % PageSize;
}

// Small blocks of one size come out of their region in address order; stopping one block
// short of a page's start puts the next block of that size, the module's, 16 bytes into it.
bool fillToPageEnd()
{
    for (int i = 0; i < MaxBlocks; ++i) {
        padding[i] = std::malloc(SmallBlock);
        if (pageOffset(padding[i]) == PageSize - HeaderSize)
            return true;
    }
    return false;
}

// Not inlined, so that the block's address is gone from the stack that the checker scans.
__attribute__((noinline)) void dropBlock()
{
    [[maybe_unused]] void *volatile block = std::malloc(77);
    block = nullptr;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: tst_dynamictls <module> [leak]\n");
        return 2;
    }
    void *module = dlopen(argv[1], RTLD_NOW);
    if (!module) {
        std::fprintf(stderr, "tst_dynamictls: %s\n", dlerror());
        return 1;
    }
    using Hold = void *(*)(void *);
    const auto hold = reinterpret_cast<Hold>(dlsym(module, "holdInThreadLocal"));
    if (!hold) {
        std::fprintf(stderr, "tst_dynamictls: %s\n", dlerror());
        return 1;
    }

    const bool filled = fillToPageEnd();
    // The first access allocates the module's block; the pointer in it must count as held.
    const void *variable = hold(std::malloc(100));
    if (!filled || pageOffset(variable) != HeaderSize) {
        std::fprintf(stderr,
                     "tst_dynamictls: the thread-local block landed at page offset %u, not %u; "
                     "this run tests nothing\n",
                     unsigned(pageOffset(variable)), unsigned(HeaderSize));
        return SkipCode;
    }
    if (argc > 2 && std::strcmp(argv[2], "leak") == 0)
        dropBlock();
    std::printf("thread-local block at %p\n", variable);
    return 0;
}
