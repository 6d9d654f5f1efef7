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
 *      Replacement main for the web: runs the program's, then ends the page's program.
 *
 *      By the Quorvelin authors.
 *
 *      Under the MIT licence, as the rest of Quorvelin: see its LICENSE.
 */


#include "allegro.h"
#include "allegro/internal/aintern.h"
#include "allegro/platform/aintweb.h"

#ifndef ALLEGRO_WEB
   #error something is wrong with the makefile
#endif

#include <emscripten.h>

#undef main


/* Written by END_OF_MAIN(): calls the program's main. */
extern int _al_web_main(int argc, char **argv);



/* main:
 *  A program that has slept does not end when its main returns: the page
 *  keeps it running. So it is ended here, with the library shut down as
 *  other platforms do at exit, which leaves its last frame on the canvas;
 *  Module.onExit then tells the page.
 */
int main(int argc, char *argv[])
{
   int status = _al_web_main(argc, argv);

   allegro_exit();
   emscripten_force_exit(status);
   return status;
}

