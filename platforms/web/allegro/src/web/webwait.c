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
 *      Sleeping, the only time a browser runs the page and paints it. The
 *      drivers register what they need done around each sleep, as on Unix
 *      they register with the background manager.
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


#define MAX_SLEEP_FUNCS        8

/* A browser wakes a sleeper a millisecond or so late, which would slow a
 * program that rests 20 ms a frame by a twentieth: sleeps end that much
 * earlier, by a lateness learnt from the last ones.
 */
#define LATENESS_LEARNING      0.125
#define MOST_LATENESS          5.0


static void (*sleep_funcs[MAX_SLEEP_FUNCS])(int woken);
static double lateness = 0.0;



/* _al_web_register_sleep_func:
 *  Has the function called around every sleep; -1 if there is no room.
 */
int _al_web_register_sleep_func(void (*func)(int woken))
{
   int i;

   for (i = 0; i < MAX_SLEEP_FUNCS; i++) {
      if (!sleep_funcs[i]) {
         sleep_funcs[i] = func;
         return 0;
      }
   }

   return -1;
}



void _al_web_unregister_sleep_func(void (*func)(int woken))
{
   int i;

   for (i = 0; i < MAX_SLEEP_FUNCS; i++) {
      if (sleep_funcs[i] == func)
         sleep_funcs[i] = NULL;
   }
}



static void call_sleep_funcs(int woken)
{
   int i;

   for (i = 0; i < MAX_SLEEP_FUNCS; i++) {
      if (sleep_funcs[i])
         sleep_funcs[i](woken);
   }
}



/* _al_web_sleep_until:
 *  Sleeps till the deadline, or only lets the browser run if it has passed.
 */
void _al_web_sleep_until(double deadline)
{
   double wait;

   call_sleep_funcs(FALSE);

   wait = deadline - lateness - emscripten_get_now();
   if (wait <= 0.0) {
      emscripten_sleep(0);
   }
   else {
      emscripten_sleep((unsigned int)(wait + 0.5));
      lateness += LATENESS_LEARNING * (emscripten_get_now() - deadline);
      lateness = MID(0.0, lateness, MOST_LATENESS);
   }

   call_sleep_funcs(TRUE);
}
