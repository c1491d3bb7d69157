// Test support: bytes placed right before an inaccessible page, so that any
// read past their end faults at once instead of passing unnoticed.
#ifndef TALMO_TESTS_GUARDED_H
#define TALMO_TESTS_GUARDED_H

#include <cstddef>
#include <string_view>

namespace talmo_test {

class GuardedBytes {
 public:
  explicit GuardedBytes(std::string_view bytes);
  ~GuardedBytes();
  GuardedBytes(const GuardedBytes&) = delete;
  GuardedBytes& operator=(const GuardedBytes&) = delete;

  const unsigned char* data() const { return data_; }
  int size() const { return static_cast<int>(size_); }

 private:
  unsigned char* region_ = nullptr;
  size_t regionSize_ = 0;
  unsigned char* data_ = nullptr;
  size_t size_ = 0;
};

}  // namespace talmo_test

#endif
