// A module with one thread-local pointer. Loaded at run time, its variable lives in a block
// that the dynamic linker allocates on the heap at the first access from each thread.

namespace {
thread_local void *held = nullptr;
}

// Keeps block reachable only through this thread's copy of the variable; returns where that
// copy lives.
extern "C" __attribute__((visibility("default"))) void *holdInThreadLocal(void *block)
{
    held = block;
    return &held;
}
