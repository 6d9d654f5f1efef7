/*         ______   ___    ___
 *        /\  _  \ /\_ \  /\_ \
 *        \ \ \L\ \\//\ \ \//\ \      __     __   _ __   ___
 *         \ \  __ \ \ \ \  \ \ \   /'__`\ /'_ `\/\`'__\/ __`\
 *          \ \ \/\ \ \_\ \_ \_\ \_/\  __//\ \L\ \ \ \//\ \L\ \
 *           \ \_\ \_\/\____\/\____\ \____\ \____ \ \_\\ \____/
 *            \/_/\/_/\/____/\/____/\/____/\/___L\ \/_/ \/___/
 *                                           /\____/
 *                                           \_/__/
 *
 *      Configuration defines for the web, built with Emscripten.
 *
 *      By the Quorvelin authors.
 *
 *      Under the MIT licence, as the rest of Quorvelin: see its LICENSE.
 */


#ifndef ALWEBCFG_H
#define ALWEBCFG_H

#ifndef SCAN_DEPEND
   #include <fcntl.h>
   #include <unistd.h>
#endif


/* The program's main is called by the platform's own, which ends the page's
 * program when it returns. A program sleeps only through direct calls, and
 * WebAssembly traps on a call through a pointer of another type: so
 * END_OF_MAIN() calls main directly, in the form the program gave it.
 */
#ifndef ALLEGRO_NO_MAGIC_MAIN
   #define ALLEGRO_MAGIC_MAIN
   #define main _mangled_main
   #undef END_OF_MAIN
   #ifdef __cplusplus
      #define END_OF_MAIN()                                                       \
         inline int _al_web_call_main(int (*)(void), int, char **)               \
         {                                                                       \
            return reinterpret_cast<int (*)(void)>(_mangled_main)();             \
         }                                                                       \
         inline int _al_web_call_main(int (*)(int, char **), int argc, char **argv) \
         {                                                                       \
            return reinterpret_cast<int (*)(int, char **)>(_mangled_main)(argc, argv); \
         }                                                                       \
         extern "C" int _al_web_main(int argc, char **argv)                      \
         {                                                                       \
            return _al_web_call_main(_mangled_main, argc, argv);                 \
         }
   #else
      #define END_OF_MAIN()                                                       \
         int _al_web_main(int argc, char **argv)                                 \
         {                                                                       \
            (void)argc;                                                          \
            (void)argv;                                                          \
            return _Generic(&_mangled_main,                                      \
               int (*)(void): ((int (*)(void))_mangled_main)(),                  \
               default: ((int (*)(int, char **))_mangled_main)(argc, argv));     \
         }
   #endif
#else
   #undef END_OF_MAIN
   #define END_OF_MAIN()
#endif


/* The C library lacks these; the library's own stand in for them. */
#define ALLEGRO_NO_STRICMP
#define ALLEGRO_NO_STRLWR
#define ALLEGRO_NO_STRUPR

#define ALLEGRO_HAVE_DIRENT_H   1
#define ALLEGRO_HAVE_INTTYPES_H 1
#define ALLEGRO_HAVE_STDINT_H   1
#define ALLEGRO_HAVE_SYS_TIME_H 1
#define ALLEGRO_HAVE_SYS_STAT_H 1

#define ALLEGRO_PLATFORM_STR  "Web"
#define ALLEGRO_USE_CONSTRUCTOR

#define ALLEGRO_LITTLE_ENDIAN

#define ALLEGRO_EXTRA_HEADER     "allegro/platform/alweb.h"


#endif
