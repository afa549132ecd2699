/* Tandrel: the C interface to ZEL-family cameras through their two USB Video Class
 * extension units. Every export has C linkage and returns a signed 32-bit result:
 * 0 success, a negative code below on failure. Calling convention: the C default (cdecl). */
#ifndef TANDREL_H
#define TANDREL_H

#ifdef __cplusplus
extern "C" {
#endif

#if defined(TANDREL_BUILDING)
#if defined(_WIN32)
#define TANDREL_API
#else
#define TANDREL_API __attribute__((visibility("default")))
#endif
#else
#define TANDREL_API
#endif

#ifdef __cplusplus
}
#endif

#endif /* TANDREL_H */
