/*
 * Unix side of the plug-in's platform layer (the build defines SUN). The
 * 16-bit text routines are our own (LokSampPluginUtil), the name constants are
 * heap strings built through the host's converter, and bytes become text by
 * UTF-8 decoding in the host.
 */
#include <stdlib.h>
#include <string.h>

#include "LokSampPluginUtil.h"
#include "platform.h"
#include "talmo_heap.h"

const CciChar* platNameText(const char* text) {
  return CciString(text);
}

void platReleaseName(const CciChar* name) {
  talmoFree(const_cast<CciChar*>(name));
}

void platTextNCpy(CciChar* to, const CciChar* from, unsigned n) {
  CciCharNCpy(to, from, n);
}

CciChar* platTextFromRun(const unsigned char* bytes, unsigned count, CciChar* area,
                         unsigned areaUnits) {
  return CciNStringInto(bytes, count, area, areaUnits);
}

void platFreeText(CciChar* text, const CciChar* area) {
  if (text != area) talmoFree(text);
}

/* Made into UTF-8 and read by strtol; 0 when that cannot be done. */
long platTextToLong(const CciChar* text) {
  char area[256];
  char* bytes = mbStringInto(text, area, sizeof area);
  if (!bytes) return 0;
  long value = strtol(bytes, nullptr, 10);
  if (bytes != area) talmoFree(bytes);
  return value;
}

/* Read by atoi. */
int platPairToInt(const CciChar* pair) {
  char area[32];
  char* bytes = mbStringInto(pair, area, sizeof area);
  if (!bytes) return 0;
  int value = atoi(bytes);
  if (bytes != area) talmoFree(bytes);
  return value;
}

void platEndReportedClassName(CciChar*, int) {}

bool platTruth(int value) {
  return value != 0;
}

const char* platSourceFileName(const char* compiledPath) {
  const char* slash = strrchr(compiledPath, '/');
  return slash ? slash + 1 : compiledPath;
}
