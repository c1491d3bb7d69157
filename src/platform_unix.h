/*
 * Unix side of the plug-in's platform layer (the build defines SUN). The
 * 16-bit text routines are our own (LokSampPluginUtil), the name constants are
 * heap strings built by the entry point through the host's converter, and
 * bytes become text by UTF-8 decoding in the host.
 */
#ifndef TALMO_PLATFORM_UNIX_H
#define TALMO_PLATFORM_UNIX_H

#include <limits.h>
#include <stdlib.h>

#include "LokSampPluginUtil.h"
#include "talmo_heap.h"

#define TALMO_ENTRY_POINT extern "C" __attribute__((visibility("default")))

/* The node_utils allocation report names the bare source file. */
#define TALMO_SOURCE_FILE __FILE_NAME__

/* The nineteen name constants: null in the loaded library, built by
   initParserConstants through the host's converter and never freed. */
extern "C" {
inline const CciChar* constTALMO = nullptr;
inline const CciChar* constParserFactory = nullptr;
inline const CciChar* constNone = nullptr;
inline const CciChar* constDATATYPE = nullptr;
inline const CciChar* constCLASS = nullptr;
inline const CciChar* constCONTROLNUM = nullptr;
inline const CciChar* constMSGNAME = nullptr;
inline const CciChar* constMSGSEQNO = nullptr;
inline const CciChar* constRECLEN = nullptr;
inline const CciChar* constRECDLM = nullptr;
inline const CciChar* constRECFM = nullptr;
inline const CciChar* constSENDER = nullptr;
inline const CciChar* constSENDQUAL = nullptr;
inline const CciChar* constRECEIVER = nullptr;
inline const CciChar* constRECVQUAL = nullptr;
inline const CciChar* constFROM = nullptr;
inline const CciChar* constUNIQUEID = nullptr;
inline const CciChar* constDATE = nullptr;
inline const CciChar* constTIME = nullptr;

/* Builds, in table order, each constant that is not built yet, and keeps it
   only when the host's converter gave back its text exactly: a constant is
   made once for the life of the library, so a later entry-point call neither
   leaks a second set nor changes a name that other threads are reading.
   Returns 0 when a constant could not be made; the entry point then
   registers nothing, and a later call tries again. */
inline int initParserConstants(void) {
  struct NameConstant {
    const CciChar** slot;
    const char* text;
  };
  static const NameConstant names[] = {
      {&constTALMO, "TALMO"},       {&constParserFactory, "ComVornTALMOParserFactory"},
      {&constNone, "none"},         {&constDATATYPE, "DATATYPE"},
      {&constCLASS, "CLASS"},       {&constCONTROLNUM, "CONTROLNUM"},
      {&constMSGNAME, "MSGNAME"},   {&constMSGSEQNO, "MSGSEQNO"},
      {&constRECLEN, "RECLEN"},     {&constRECDLM, "RECDLM"},
      {&constRECFM, "RECFM"},       {&constSENDER, "SENDER"},
      {&constSENDQUAL, "SENDQUAL"}, {&constRECEIVER, "RECEIVER"},
      {&constRECVQUAL, "RECVQUAL"}, {&constFROM, "FROM"},
      {&constUNIQUEID, "UNIQUEID"}, {&constDATE, "DATE"},
      {&constTIME, "TIME"},
  };
  for (const NameConstant& name : names) {
    if (*name.slot) continue;
    CciChar* text = CciString(name.text);
    if (!text) return 0;
    size_t i = 0;
    while (name.text[i] != 0 && text[i] == static_cast<unsigned char>(name.text[i])) ++i;
    if (name.text[i] != 0 || text[i] != 0) {
      talmoFree(text);
      return 0;
    }
    *name.slot = text;
  }
  return 1;
}
}

inline bool platNamesReady() {
  return initParserConstants() != 0;
}

inline int platIsSpace(CciChar c) {
  return CciCharIsSpace(c);
}
inline int platTextCmp(const CciChar* a, const CciChar* b) {
  return CciCharCmp(a, b);
}
inline void platTextNCpy(CciChar* to, const CciChar* from, unsigned n) {
  CciCharNCpy(to, from, n);
}
inline unsigned platTextLen(const CciChar* s) {
  return CciCharLen(s);
}

/* The cursor keeps the low 16 bits of what the host hands back for a byte. */
inline CciChar platWidenByte(int hostByte) {
  return static_cast<CciChar>(hostByte & 0xFFFF);
}

/* A run of the bit stream as a 16-bit string, read as UTF-8: in the
   caller's area of areaUnits units when it fits, else on the heap. */
inline CciChar* platTextFromRun(const unsigned char* bytes, unsigned count, CciChar* area,
                                unsigned areaUnits) {
  return CciNStringInto(bytes, count, area, areaUnits);
}
inline void platFreeText(CciChar* text, const CciChar* area) {
  if (text != area) talmoFree(text);
}

/* Integer text: made into UTF-8 and read by strtol; 0 when that cannot be done. */
inline long platTextToLong(const CciChar* text) {
  char area[256];
  char* bytes = mbStringInto(text, area, sizeof area);
  if (!bytes) return 0;
  long value = strtol(bytes, nullptr, 10);
  if (bytes != area) talmoFree(bytes);
  return value;
}

/* A two-unit pair of a date or time value, read by atoi. */
inline int platPairToInt(const CciChar* pair) {
  char area[32];
  char* bytes = mbStringInto(pair, area, sizeof area);
  if (!bytes) return 0;
  int value = atoi(bytes);
  if (bytes != area) talmoFree(bytes);
  return value;
}

/* The reported class name keeps its blanks on Unix. */
inline void platEndReportedClassName(CciChar*, int) {}

/* A truth the host returns (a boolean value, a complete flag) is true when
   the whole word is non-zero. */
inline bool platTruth(int value) {
  return value != 0;
}

#endif
