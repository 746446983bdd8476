#pragma once
// TIRVANE_THREAD_SANITIZER is defined in a ThreadSanitizer build (gcc and clang announce it
// differently), for the few places that must bow to the tool's limits.

#if defined(__SANITIZE_THREAD__)
#define TIRVANE_THREAD_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define TIRVANE_THREAD_SANITIZER 1
#endif
#endif
