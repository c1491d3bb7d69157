/*
 * The TALMO header's names, in one place: the sixteen fields with the value
 * type the plug-in reads each as (in the order it searches them; any other
 * name is character text), and the names it registers with. The plug-in's
 * name constants and type table and talmo's knowledge of the fields are
 * made from these lists.
 *
 *   TALMO_FIELDS(X)             X(NAME, valueType), constant constNAME
 *   TALMO_REGISTRATION_NAMES(X) X(constant, "text")
 */
#ifndef TALMO_FIELDS_H
#define TALMO_FIELDS_H

#include "plugin/tessplug.h"

#define TALMO_FIELDS(X)           \
  X(DATATYPE, valueTypeCharacter) \
  X(CLASS, valueTypeCharacter)    \
  X(CONTROLNUM, valueTypeInteger) \
  X(MSGNAME, valueTypeCharacter)  \
  X(MSGSEQNO, valueTypeCharacter) \
  X(RECLEN, valueTypeInteger)     \
  X(RECDLM, valueTypeCharacter)   \
  X(RECFM, valueTypeCharacter)    \
  X(SENDER, valueTypeCharacter)   \
  X(SENDQUAL, valueTypeCharacter) \
  X(RECEIVER, valueTypeCharacter) \
  X(RECVQUAL, valueTypeCharacter) \
  X(FROM, valueTypeCharacter)     \
  X(UNIQUEID, valueTypeCharacter) \
  X(DATE, valueTypeDate)          \
  X(TIME, valueTypeTime)

#define TALMO_REGISTRATION_NAMES(X)                  \
  X(constTALMO, "TALMO")                             \
  X(constParserFactory, "ComVornTALMOParserFactory") \
  X(constNone, "none")

#endif
