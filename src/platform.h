/*
 * What differs between the two builds of the plug-in, as one interface with
 * one implementation per build, chosen by the build: platform_unix.cpp
 * (our own 16-bit routines, UTF-8 through the host's converter) and
 * platform_windows.cpp (the C run-time's wide routines, one unit per byte).
 * The logic itself carries no platform tests.
 */
#ifndef TALMO_PLATFORM_H
#define TALMO_PLATFORM_H

#include "plugin/tessplug.h"

/* The text of a name constant: a new heap block built by the host's
   converter (Unix), or the static literal of that name (Windows); null when
   it cannot be had. platReleaseName gives back one the caller does not
   keep. */
const CciChar* platNameText(const char* text);
void platReleaseName(const CciChar* name);

/* 16-bit text routines. */
void platTextNCpy(CciChar* to, const CciChar* from, unsigned n);

/* The routines the parse runs on every byte or item stay inline (calls
   cost the parse a quarter of its own instructions): the build picks the
   header that defines, for its platform,
     CciChar platWidenByte(int hostByte)  the unit the cursor keeps for what
       the host hands back for a byte: its low 16 bits (Unix), or the byte
       widened with its sign (Windows), so that 0x80 to 0xFF are neither
       delimiters nor white space;
     int platIsSpace(CciChar c)           white space as the build's 16-bit
       routines see it;
   and the text routines run several times an item,
     int platTextCmp(const CciChar* a, const CciChar* b)  (the field table
       runs it sixteen times an item),
     unsigned platTextLen(const CciChar* s). */
#include TALMO_PLATFORM_INLINE

/* A run of count bytes of the bit stream as a 16-bit string, in the
   caller's area of areaUnits units when it fits, else on the heap (read as
   UTF-8 on Unix, one unit per byte on Windows); null when no memory.
   Released with platFreeText. */
CciChar* platTextFromRun(const unsigned char* bytes, unsigned count, CciChar* area,
                         unsigned areaUnits);
void platFreeText(CciChar* text, const CciChar* area);

/* Integer text, as strtol (Unix, through UTF-8) or wcstol reads it. */
long platTextToLong(const CciChar* text);
/* A two-unit pair of a date or time value as a number. */
int platPairToInt(const CciChar* pair);

/* The reported class name keeps its blanks (Unix) or ends before its first
   blank (Windows). */
void platEndReportedClassName(CciChar* buffer, int size);

/* A truth the host returns (a boolean value, a complete flag): true when
   the whole word is non-zero (Unix) or its low byte is (Windows). */
bool platTruth(int value);

/* The source file as the allocation report names it: the bare name (Unix)
   or the full path as compiled (Windows). */
const char* platSourceFileName(const char* compiledPath);

#endif
