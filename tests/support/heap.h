// Test support: watches and breaks the plug-in's heap through its allocation
// seam. While a HeapSpy lives, every allocation the plug-in makes on any
// thread is recorded, and the chosen one fails.
#ifndef TALMO_TESTS_HEAP_H
#define TALMO_TESTS_HEAP_H

#include <cstddef>
#include <string>
#include <vector>

namespace talmo_test {

class HeapSpy {
 public:
  HeapSpy();
  ~HeapSpy();
  HeapSpy(const HeapSpy&) = delete;
  HeapSpy& operator=(const HeapSpy&) = delete;

  // Makes allocation number n (1-based, counting allocate and reallocate
  // calls from now) fail; 0 fails none.
  void failAt(int n);
  int count() const;
  // Bytes asked for by each allocation so far, in order.
  std::vector<size_t> sizes() const;
  // For each allocation so far: 'a' for allocate, 'r' for reallocate.
  std::string kinds() const;
  // Blocks given out and not yet given back.
  long outstanding() const;
};

}  // namespace talmo_test

#endif
