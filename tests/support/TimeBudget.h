#pragma once

// Time bounds in tests are written for an optimised build; sanitizers and
// unoptimised builds run the same work several times slower.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__) || !defined(NDEBUG)
constexpr double kTimeBudgetScale = 8.0;
#else
constexpr double kTimeBudgetScale = 1.0;
#endif
