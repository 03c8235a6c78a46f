#pragma once

// TOBRIN_ADDRESS_SANITIZER is 1 in an AddressSanitizer build (gcc and clang
// say so differently), 0 otherwise.
#if defined(__SANITIZE_ADDRESS__)
#define TOBRIN_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TOBRIN_ADDRESS_SANITIZER 1
#endif
#endif
#ifndef TOBRIN_ADDRESS_SANITIZER
#define TOBRIN_ADDRESS_SANITIZER 0
#endif
