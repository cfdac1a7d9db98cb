// Sample-exact comparison that names the first differing sample.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

inline std::vector<int16_t> Part(const std::vector<int16_t> &v, size_t from, size_t count) {
  return std::vector<int16_t>(v.begin() + from, v.begin() + from + count);
}

inline ::testing::AssertionResult SameSamples(const std::vector<int16_t> &heard,
                                              const std::vector<int16_t> &expected) {
  if (heard.size() != expected.size())
    return ::testing::AssertionFailure() << "heard " << heard.size() << " samples, expected " << expected.size();
  for (size_t i = 0; i < heard.size(); ++i) {
    if (heard[i] != expected[i])
      return ::testing::AssertionFailure()
             << "sample " << i << " is " << heard[i] << ", expected " << expected[i];
  }
  return ::testing::AssertionSuccess();
}

inline ::testing::AssertionResult Silent(const std::vector<int16_t> &heard) {
  return SameSamples(heard, std::vector<int16_t>(heard.size(), 0));
}
