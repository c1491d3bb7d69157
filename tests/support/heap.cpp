// HeapSpy: swaps the plug-in's allocation seam (talmoHeap, found by name in
// the loaded library) for counting functions that can fail on demand, and
// puts the C heap back when it goes.
#include "heap.h"

#include <cstdlib>
#include <mutex>

#include "plugin.h"
#include "talmo_heap.h"

namespace talmo_test {

namespace {

std::mutex spyMutex;
TalmoHeap saved;
int failing = 0;
int calls = 0;
long live = 0;
std::vector<size_t> asked;
std::string kind;

TalmoHeap& pluginHeap() {
  return *pluginFunction<TalmoHeap>("talmoHeap");
}

bool next(size_t size, char k) {
  std::lock_guard<std::mutex> lock(spyMutex);
  asked.push_back(size);
  kind.push_back(k);
  return ++calls != failing;
}

void* spyAllocate(size_t size) {
  if (!next(size, 'a')) return nullptr;
  void* block = saved.allocate(size);
  std::lock_guard<std::mutex> lock(spyMutex);
  if (block) ++live;
  return block;
}

void* spyReallocate(void* block, size_t size) {
  if (!next(size, 'r')) return nullptr;
  void* moved = saved.reallocate(block, size);
  std::lock_guard<std::mutex> lock(spyMutex);
  if (moved && !block) ++live;
  return moved;
}

void spyRelease(void* block) {
  if (block) {
    std::lock_guard<std::mutex> lock(spyMutex);
    --live;
  }
  saved.release(block);
}

}  // namespace

HeapSpy::HeapSpy() {
  std::lock_guard<std::mutex> lock(spyMutex);
  saved = pluginHeap();
  failing = 0;
  calls = 0;
  live = 0;
  asked.clear();
  kind.clear();
  pluginHeap() = TalmoHeap{spyAllocate, spyReallocate, spyRelease};
}

HeapSpy::~HeapSpy() {
  std::lock_guard<std::mutex> lock(spyMutex);
  pluginHeap() = saved;
}

void HeapSpy::failAt(int n) {
  std::lock_guard<std::mutex> lock(spyMutex);
  failing = calls + n;
  if (n == 0) failing = 0;
}

int HeapSpy::count() const {
  std::lock_guard<std::mutex> lock(spyMutex);
  return calls;
}

std::vector<size_t> HeapSpy::sizes() const {
  std::lock_guard<std::mutex> lock(spyMutex);
  return asked;
}

std::string HeapSpy::kinds() const {
  std::lock_guard<std::mutex> lock(spyMutex);
  return kind;
}

long HeapSpy::outstanding() const {
  std::lock_guard<std::mutex> lock(spyMutex);
  return live;
}

}  // namespace talmo_test
