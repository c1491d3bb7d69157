/*
 * The one door through which the plug-in takes and gives back heap memory.
 * It is the C heap unless a test swaps the functions to make allocations
 * fail; the product itself never changes it.
 */
#ifndef TALMO_HEAP_H
#define TALMO_HEAP_H

#include <stddef.h>

extern "C" {

typedef struct TalmoHeap {
  void* (*allocate)(size_t size);
  void* (*reallocate)(void* block, size_t size);
  void (*release)(void* block);
} TalmoHeap;

/* Visible in the Unix build so that a test host can reach it by name. */
extern TalmoHeap talmoHeap;
}

inline void* talmoAlloc(size_t size) {
  return talmoHeap.allocate(size);
}
inline void* talmoRealloc(void* block, size_t size) {
  return talmoHeap.reallocate(block, size);
}
inline void talmoFree(void* block) {
  talmoHeap.release(block);
}

#endif
