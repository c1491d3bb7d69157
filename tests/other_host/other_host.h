/*
 * The other host's own side, for its test: a fresh tree over a stream, the
 * parser and root handles, what the entry point registered, the output.
 */
#ifndef TALMO_TESTS_OTHER_HOST_H
#define TALMO_TESTS_OTHER_HOST_H

#include "plugin/tessplug.h"

#ifdef __cplusplus
extern "C" {
#endif

CCI_HOST_API void otherHostReset(const void* bytes, int size);
CCI_HOST_API CciParser* otherHostParser(void);
CCI_HOST_API CciElement* otherHostRoot(void);
CCI_HOST_API const ParserCallbackTable* otherHostTable(const CciChar** className,
                                                       int* factoryRequests);
CCI_HOST_API const unsigned char* otherHostOutput(int* size);

#ifdef __cplusplus
}
#endif

#endif
