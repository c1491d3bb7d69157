/*
 * node_utils: the growable byte string of the header writer.
 *
 * A buffer starts with 32 bytes and grows by doubling, or by doubling plus the
 * request when doubling is not enough, so assembling n bytes costs O(log n)
 * reallocations. After every append the byte at data[length] is 0 and
 * length + 2 <= capacity. There is no error result: when memory runs out the
 * buffer reports where and aborts, since a half-written header must never
 * reach the bit stream.
 *
 * The report names the line of the failing test. The three tests stand on
 * lines 76 (the record), 87 (the first data block) and 117 (growth), the
 * lines the report has always carried and that operators search logs for:
 * keep them there when editing this file.
 */
#include "node_utils.h"

#include <stddef.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "platform.h"
#include "talmo_heap.h"

extern "C" {

/* The C heap, unless a test hands in functions that fail. */
TalmoHeap talmoHeap = {malloc, realloc, free};
}

namespace {

const unsigned kInitialCapacity = 32;

/* Writes the report, flushes it and ends the process; nothing is released,
   since the process is going down. */
[[noreturn]] void allocationFailed(const char* file, int line) {
  fprintf(stderr, "Allocation Failed raised at %s:%d\n", file, line);
  fprintf(stderr, "aborting...\n");
  fflush(stderr);
  abort();
}

}  // namespace

/* The compiler supplies both the file, as the build records it, and the line
   of the test that failed. */
#define ALLOCATION_FAILED() allocationFailed(platSourceFileName(__FILE__), __LINE__)

static void NodeStringBufferResize(NodeStringBuffer* buffer, size_t count);

extern "C" {

/* The text's terminator becomes the buffer's terminator. */
void NodeStringBufferAdd(NodeStringBuffer* buffer, const char* text) {
  size_t n = strlen(text);
  NodeStringBufferResize(buffer, n);
  memcpy(buffer->data + buffer->length, text, n + 1);
  buffer->length += static_cast<unsigned>(n);
}

/* Asks room for two bytes, the byte and its terminator. */
void NodeStringBufferAddChar(NodeStringBuffer* buffer, char c) {
  NodeStringBufferResize(buffer, 2);
  buffer->data[buffer->length++] = c;
  buffer->data[buffer->length] = 0;
}

/* A new buffer has length 0 and capacity 32. The record is taken first and
   the data block apart from it, so that the record keeps its address while
   the text moves from block to block as it grows. Both come from talmoAlloc,
   which is the C heap outside the tests. */
NodeStringBuffer* NodeStringBufferAlloc(void) {
  NodeStringBuffer* buffer = static_cast<NodeStringBuffer*>(talmoAlloc(sizeof(NodeStringBuffer)));
  if (buffer == nullptr) ALLOCATION_FAILED();
  buffer->capacity = kInitialCapacity;
  buffer->length = 0;
  /* The first data block is not cleared: the text is terminated from the
     first append on, and users only ever read length bytes of it, so
     clearing it would cost a pass over bytes that nobody reads.

     A failure here leaves the record allocated. It is not released: the
     report ends the process at once, and freeing memory on the way down
     would only put off the report. The same holds for growth below. */
  buffer->data = static_cast<char*>(talmoAlloc(kInitialCapacity));
  if (buffer->data == nullptr) ALLOCATION_FAILED();
  return buffer;
}

void NodeStringBufferFree(NodeStringBuffer* buffer) {
  talmoFree(buffer->data);
  talmoFree(buffer);
}
}

/*
 * Makes room for count more bytes and a terminator: needed is
 * length + count + 1, and the buffer grows unless needed is below capacity,
 * so it grows when needed equals capacity too and always keeps one spare
 * byte after the terminator. Growth doubles capacity, and where that is
 * still not more than needed it takes the doubled value + count + 1.
 *
 * On a new buffer, appending a 30-byte text keeps 32 (needed 31), a 31-byte
 * text makes 64 (needed 32) and a 100-byte text makes 165 (64 + 100 + 1).
 *
 * The sums are taken in 64 bits: a capacity beyond 32 bits cannot be held,
 * so it is reported like an allocation that failed.
 */
static void NodeStringBufferResize(NodeStringBuffer* buffer, size_t count) {
  unsigned long long needed = 0ull + buffer->length + count + 1;
  if (needed < buffer->capacity) return;
  unsigned long long capacity = 2ull * buffer->capacity;
  if (needed >= capacity) capacity += count + 1ull;
  char* data =
      capacity > 0xFFFFFFFFull ? nullptr : static_cast<char*>(talmoRealloc(buffer->data, capacity));
  if (data == nullptr) ALLOCATION_FAILED();
  buffer->data = data;
  buffer->capacity = static_cast<unsigned>(capacity);
}
