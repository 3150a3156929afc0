#pragma once

// Which sanitizer a test runs under: g++ says so with __SANITIZE_*__, clang with __has_feature.

#if defined(__SANITIZE_THREAD__)
#define VELVOR_THREAD_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define VELVOR_THREAD_SANITIZER 1
#endif
#endif

#if defined(__SANITIZE_ADDRESS__)
#define VELVOR_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VELVOR_ADDRESS_SANITIZER 1
#endif
#endif

#if defined(VELVOR_THREAD_SANITIZER) || defined(VELVOR_ADDRESS_SANITIZER)
#define VELVOR_ANY_SANITIZER 1
#endif
