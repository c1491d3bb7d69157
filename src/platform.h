/*
 * Picks the plug-in's platform layer. The Unix build defines SUN; everything
 * that differs between the builds lives behind the functions of the header
 * chosen here, so the logic itself carries no platform tests.
 */
#ifndef TALMO_PLATFORM_H
#define TALMO_PLATFORM_H

#if defined(SUN)
#include "platform_unix.h"
#elif defined(_WIN32)
#include "platform_windows.h"
#else
#error "define SUN for the Unix build"
#endif

#endif
