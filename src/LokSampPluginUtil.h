/*
 * 16-bit string routines and byte/16-bit conversions of the Unix build. The
 * conversions go through the host's converters with code page 1208 (UTF-8)
 * and return a new heap block that the caller frees with talmoFree.
 */
#ifndef TALMO_LOKSAMPPLUGINUTIL_H
#define TALMO_LOKSAMPPLUGINUTIL_H

#include <stddef.h>

#include "plugin/tessplug.h"

extern "C" {

int CciCharIsSpace(CciChar c);
int CciCharIsAlnum(CciChar c);
void CciCharCpy(CciChar* destination, const CciChar* source);
void CciCharNCpy(CciChar* destination, const CciChar* source, unsigned count);
unsigned CciCharLen(const CciChar* s);
int CciCharCmp(const CciChar* a, const CciChar* b);

/* Byte string to a new 16-bit string; null when no memory. */
CciChar* CciString(const char* text);
/* A run of count bytes, not necessarily followed by a zero byte, to a new
   16-bit string of at most count units; null when no memory. */
CciChar* CciNString(const unsigned char* bytes, unsigned count);
/* 16-bit string to a new byte string; null when no memory. */
char* mbString(const CciChar* s);

/* The same two conversions into the caller's area when the result fits in
   it (areaUnits units, areaBytes bytes), into a new block otherwise: the
   caller frees the result only when it is not its area. The host sees the
   same calls either way. */
CciChar* CciNStringInto(const unsigned char* bytes, unsigned count, CciChar* area,
                        unsigned areaUnits);
char* mbStringInto(const CciChar* s, char* area, size_t areaBytes);
}

#endif
