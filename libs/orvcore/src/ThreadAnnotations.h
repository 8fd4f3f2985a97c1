#pragma once

// Hand-offs between threads that ThreadSanitizer cannot see because the
// library doing them (Qt's thread pool and semaphores, GLib) is not built
// with it: release() on the giving side and acquire() on the taking side of
// the same address tell it that the hand-off orders the two. Nothing in
// other builds.

#if defined(__SANITIZE_THREAD__)
#define ORV_TSAN 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define ORV_TSAN 1
#endif
#endif

#ifdef ORV_TSAN
#include <sanitizer/tsan_interface.h>
#endif

// Marks a function whose memory accesses ThreadSanitizer leaves unrecorded
// (nothing in other builds). Only for pixel kernels that split one picture
// into bands, whose every report is a known false one; see where it is used.
#ifdef ORV_TSAN
#define ORV_TSAN_UNCHECKED __attribute__((no_sanitize("thread")))
#else
#define ORV_TSAN_UNCHECKED
#endif

namespace orv::tsan {

inline void release([[maybe_unused]] void* address) {
#ifdef ORV_TSAN
    __tsan_release(address);
#endif
}

inline void acquire([[maybe_unused]] void* address) {
#ifdef ORV_TSAN
    __tsan_acquire(address);
#endif
}

// The address for calls posted into another thread's event loop
// (QMetaObject::invokeMethod with Qt::QueuedConnection): Qt's event queue
// orders the poster before the call, under its own lock. Release it just
// before posting, acquire it first thing in the posted call.
inline void* queuedCalls() {
    static char key;
    return &key;
}

} // namespace orv::tsan
