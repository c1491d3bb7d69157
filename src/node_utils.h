/*
 * A growable, zero-terminated byte string in which the header writer
 * assembles its text. The creator owns the record and its data and releases
 * both with NodeStringBufferFree. Running out of memory ends the process with
 * a report on the standard error stream.
 */
#ifndef TALMO_NODE_UTILS_H
#define TALMO_NODE_UTILS_H

extern "C" {

typedef struct NodeStringBuffer {
  unsigned length;   /* text bytes held, the terminator not counted */
  unsigned capacity; /* bytes allocated for data */
  char* data;
} NodeStringBuffer;

NodeStringBuffer* NodeStringBufferAlloc(void);
void NodeStringBufferFree(NodeStringBuffer* buffer);
void NodeStringBufferAdd(NodeStringBuffer* buffer, const char* text);
void NodeStringBufferAddChar(NodeStringBuffer* buffer, char c);
}

#endif
