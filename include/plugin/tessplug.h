/*
 * The host's plug-in support library ("tessplug") as a parser plug-in sees it:
 * handles, records, constants, the parser callback table and the 33 host
 * operations. Written from the host interface's description; any host built
 * from that description links against a plug-in compiled with this header.
 *
 * ABI rules every declaration here keeps:
 *   - the first argument of every operation is an int* return code, which the
 *     host sets on every call (0 success, 22 buffer too small, others failure);
 *   - factories, parsers and elements are opaque pointers, 0 meaning none;
 *   - every integral result is an int; 64-bit integers are long long and
 *     reals double; time and date records go in by address and come back by
 *     value;
 *   - text is zero-terminated CciChar (16-bit UCS-2) and is copied by the host.
 */
#ifndef TALMO_PLUGIN_TESSPLUG_H
#define TALMO_PLUGIN_TESSPLUG_H

#if defined(_WIN32)
#define CCI_IMPORT __declspec(dllimport)
#define CCI_EXPORT __declspec(dllexport)
/* wchar_t is a 16-bit unit on Windows, so the wide C run-time works on it. */
typedef wchar_t CciChar;
/* The parser-type callback answers in one byte on Windows. */
typedef char CciParserTypeResult;
#else
#define CCI_IMPORT
#define CCI_EXPORT __attribute__((visibility("default")))
typedef unsigned short CciChar;
typedef int CciParserTypeResult;
#endif

/* The host library itself defines TESSPLUG_BUILDING to export what it imports
   everywhere else. */
#if defined(TESSPLUG_BUILDING)
#define CCI_HOST_API CCI_EXPORT
#else
#define CCI_HOST_API CCI_IMPORT
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef struct CciFactory CciFactory;
typedef struct CciParser CciParser;
typedef struct CciElement CciElement;
/* The plug-in's per-parser record; the host only passes its address back. */
typedef void CciContext;

typedef struct CciTime {
  int hour;
  int minute;
  float seconds;
} CciTime;

typedef struct CciDate {
  int year;
  int month;
  int day;
} CciDate;

enum { rcSuccess = 0, rcFailure = 1, rcBufferTooSmall = 22 };

enum { elementTypeName = 0x01000000, elementTypeNameValue = 0x03000000 };

enum {
  valueTypeBoolean = 1,
  valueTypeInteger = 2,
  valueTypeFloat = 3,
  valueTypeDecimal = 4,
  valueTypeCharacter = 5,
  valueTypeTime = 6,
  valueTypeTime2 = 7,
  valueTypeDate = 8,
  valueTypeTimestamp = 9,
  valueTypeTimestamp2 = 10,
  /* 11 has no name: the host may report it, and writers treat it as unknown. */
  valueTypeBinary = 12,
  valueTypeBinary2 = 13
};

enum { codePageUtf8 = 1208 };

/* Fifteen slots, in the order the host calls them. The first argument of each
   callback is the host's parser handle; the second (all but slot 1) is the
   context that slot 1 returned. Empty slots are 0. */
typedef struct ParserCallbackTable {
  CciContext* (*createContext)(CciParser* parser);
  void (*deleteContext)(CciParser* parser, CciContext* context);
  int (*parseBuffer)(CciParser* parser, CciContext* context, int startOffset);
  void (*parseFirstChild)(CciParser* parser, CciContext* context, CciElement* element);
  void (*parseLastChild)(CciParser* parser, CciContext* context, CciElement* element);
  void (*parseLeftSibling)(CciParser* parser, CciContext* context, CciElement* element);
  void (*parseRightSibling)(CciParser* parser, CciContext* context, CciElement* element);
  int (*writeBuffer)(CciParser* parser, CciContext* context);
  void (*reserved9)(void);
  void (*reserved10)(void);
  void (*nextParserClassName)(CciParser* parser, CciContext* context, CciChar* buffer, int size);
  void (*setNextParserClassName)(CciParser* parser, CciContext* context, const CciChar* name,
                                 int flag);
  void (*reserved13)(void);
  void (*reserved14)(void);
  CciParserTypeResult (*parserType)(CciParser* parser, CciContext* context);
} ParserCallbackTable;

/* Registration. */
CCI_HOST_API CciFactory* cpiCreateParserFactory(int* rc, const CciChar* factoryName);
CCI_HOST_API void cpiDefineParserClass(int* rc, CciFactory* factory, const CciChar* className,
                                       ParserCallbackTable* table);

/* The bit stream. */
CCI_HOST_API const void* cpiBufferPointer(int* rc, CciParser* parser);
CCI_HOST_API int cpiBufferSize(int* rc, CciParser* parser);
CCI_HOST_API int cpiBufferByte(int* rc, CciParser* parser, int offset);
CCI_HOST_API void cpiAppendToBuffer(int* rc, CciParser* parser, const void* bytes, int count);

/* The element tree. */
CCI_HOST_API CciElement* cpiRootElement(int* rc, CciParser* parser);
CCI_HOST_API CciElement* cpiCreateElement(int* rc, CciParser* parser);
CCI_HOST_API CciElement* cpiFirstChild(int* rc, CciElement* element);
CCI_HOST_API CciElement* cpiNextSibling(int* rc, CciElement* element);
CCI_HOST_API CciElement* cpiParent(int* rc, CciElement* element);
CCI_HOST_API int cpiElementType(int* rc, CciElement* element);
CCI_HOST_API int cniElementValueType(int* rc, CciElement* element);
CCI_HOST_API void cpiSetElementType(int* rc, CciElement* element, int type);
CCI_HOST_API void cpiSetElementName(int* rc, CciElement* element, const CciChar* name);
CCI_HOST_API void cpiAddAsLastChild(int* rc, CciElement* parent, CciElement* child);
/* Writes the name, zero-terminated, within capacity units; 22 when it does not
   fit. Returns the units written without the terminator. */
CCI_HOST_API int cpiElementName(int* rc, CciElement* element, CciChar* buffer, int capacity);
CCI_HOST_API void cpiSetElementCompletePrevious(int* rc, CciElement* element, int complete);
CCI_HOST_API void cpiSetElementCompleteNext(int* rc, CciElement* element, int complete);
CCI_HOST_API int cpiElementCompleteNext(int* rc, CciElement* element);

/* Element values: setters. */
CCI_HOST_API void cpiSetElementIntegerValue(int* rc, CciElement* element, long long value);
CCI_HOST_API void cpiSetElementCharacterValue(int* rc, CciElement* element, const CciChar* text,
                                              int length);
CCI_HOST_API void cpiSetElementTimeValue(int* rc, CciElement* element, const CciTime* value);
CCI_HOST_API void cpiSetElementDateValue(int* rc, CciElement* element, const CciDate* value);

/* Element values: getters. */
CCI_HOST_API int cpiElementBooleanValue(int* rc, CciElement* element);
CCI_HOST_API long long cpiElementIntegerValue(int* rc, CciElement* element);
CCI_HOST_API double cpiElementRealValue(int* rc, CciElement* element);
CCI_HOST_API CciTime cpiElementTimeValue(int* rc, CciElement* element);
CCI_HOST_API CciDate cpiElementDateValue(int* rc, CciElement* element);
/* Both write zero-terminated text within capacity units, or set 22 when it does
   not fit. Return the units written without the terminator. */
CCI_HOST_API int cpiElementDecimalValue(int* rc, CciElement* element, CciChar* buffer,
                                        int capacity);
CCI_HOST_API int cpiElementCharacterValue(int* rc, CciElement* element, CciChar* buffer,
                                          int capacity);

/* Code pages: at most count target units, the terminator included if it fits.
   Return the units written. */
CCI_HOST_API int cciMbsToUcs(int* rc, const char* source, CciChar* target, int count, int codePage);
CCI_HOST_API int cciUcsToMbs(int* rc, const CciChar* source, char* target, int count, int codePage);

#ifdef __cplusplus
}
#endif

#endif /* TALMO_PLUGIN_TESSPLUG_H */
