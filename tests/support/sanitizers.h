#pragma once
// Whether the test runs under AddressSanitizer. Its allocator keeps freed
// blocks in quarantine and maps shadow memory, so the resident size of the
// process says nothing about what the code under test holds on to.

namespace zov::testing {

#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kUnderAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kUnderAddressSanitizer = true;
#else
inline constexpr bool kUnderAddressSanitizer = false;
#endif
#else
inline constexpr bool kUnderAddressSanitizer = false;
#endif

}  // namespace zov::testing
