/*
 * Windows side of the plug-in's platform layer. CciChar is wchar_t, so the
 * C run-time's wide-string routines do the 16-bit work, the name constants
 * are static literals, and bytes become text one unit per byte through
 * mbstowcs in the default locale (which the plug-in never changes).
 */
#ifndef TALMO_PLATFORM_WINDOWS_H
#define TALMO_PLATFORM_WINDOWS_H

#include <limits.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>
#include <wctype.h>
#include <windows.h>

#include "plugin/tessplug.h"
#include "talmo_heap.h"
#include "text_blocks.h"

/* The one symbol the DLL exports. */
#define TALMO_ENTRY_POINT extern "C" __declspec(dllexport)

/* The node_utils allocation report names the source file by its full path,
   as the compiler records it. */
#define TALMO_SOURCE_FILE __FILE__

inline const CciChar* const constTALMO = L"TALMO";
inline const CciChar* const constParserFactory = L"ComVornTALMOParserFactory";
inline const CciChar* const constNone = L"none";
inline const CciChar* const constDATATYPE = L"DATATYPE";
inline const CciChar* const constCLASS = L"CLASS";
inline const CciChar* const constCONTROLNUM = L"CONTROLNUM";
inline const CciChar* const constMSGNAME = L"MSGNAME";
inline const CciChar* const constMSGSEQNO = L"MSGSEQNO";
inline const CciChar* const constRECLEN = L"RECLEN";
inline const CciChar* const constRECDLM = L"RECDLM";
inline const CciChar* const constRECFM = L"RECFM";
inline const CciChar* const constSENDER = L"SENDER";
inline const CciChar* const constSENDQUAL = L"SENDQUAL";
inline const CciChar* const constRECEIVER = L"RECEIVER";
inline const CciChar* const constRECVQUAL = L"RECVQUAL";
inline const CciChar* const constFROM = L"FROM";
inline const CciChar* const constUNIQUEID = L"UNIQUEID";
inline const CciChar* const constDATE = L"DATE";
inline const CciChar* const constTIME = L"TIME";

/* The literals need no building. */
inline bool platNamesReady() {
  return true;
}

inline int platIsSpace(CciChar c) {
  return iswspace(c);
}
inline int platTextCmp(const CciChar* a, const CciChar* b) {
  return wcscmp(a, b);
}
inline void platTextNCpy(CciChar* to, const CciChar* from, unsigned n) {
  wcsncpy(to, from, n);
}
inline unsigned platTextLen(const CciChar* s) {
  return static_cast<unsigned>(wcslen(s));
}

/* The cursor widens a byte with its sign: 0x80 to 0xFF become 0xFF80 to 0xFFFF,
   which are neither delimiters nor white space. */
inline CciChar platWidenByte(int hostByte) {
  return static_cast<CciChar>(static_cast<signed char>(hostByte & 0xFF));
}

/* A run of the bit stream as a 16-bit string, one unit per byte; a zero
   byte ends the text. In the caller's area of areaUnits units when it fits,
   else on the heap, so a name or value of any length is read whole.
   mbstowcs gets a terminated copy of the run, so it never reads past it
   whatever the locale; a sequence it cannot convert leaves the text empty. */
inline CciChar* platTextFromRun(const unsigned char* bytes, unsigned count, CciChar* area,
                                unsigned areaUnits) {
  return textFromRun(bytes, count, area, areaUnits,
                     [](const char* source, CciChar* target, unsigned n) {
                       if (mbstowcs(target, source, n) == static_cast<size_t>(-1)) target[0] = 0;
                     });
}
inline void platFreeText(CciChar* text, const CciChar* area) {
  if (text != area) talmoFree(text);
}

inline long platTextToLong(const CciChar* text) {
  return wcstol(text, nullptr, 10);
}

/* A two-unit pair of a date or time value: narrowed in the ANSI code page
   and read by atol. */
inline int platPairToInt(const CciChar* pair) {
  char bytes[20] = {0};
  WideCharToMultiByte(CP_ACP, 0, pair, -1, bytes, sizeof bytes - 1, nullptr, nullptr);
  return static_cast<int>(atol(bytes));
}

/* The reported class name ends before its first blank. */
inline void platEndReportedClassName(CciChar* buffer, int size) {
  for (int i = 0; i < size; ++i) {
    if (buffer[i] == 0x20) {
      buffer[i] = 0;
      return;
    }
  }
}

/* A truth the host returns (a boolean value, a complete flag) is true when
   its low byte is non-zero. */
inline bool platTruth(int value) {
  return (value & 0xFF) != 0;
}

#endif
