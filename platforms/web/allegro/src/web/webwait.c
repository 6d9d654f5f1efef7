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
 *      Sleeping, the only time a browser runs the page and paints it, and
 *      the program's clock. The drivers register what they need done around
 *      each sleep, as on Unix they register with the background manager.
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

/* A program that polls without sleeping lets the page run about once a
 * frame: its loop keeps its pace, and the page its events and paint.
 */
#define MOST_AWAKE_MS          16.0


static void (*sleep_funcs[MAX_SLEEP_FUNCS])(int phase);
static double lateness = 0.0;
static double last_woken = 0.0;

static double held_ms = 0.0;       /* the clock stood still this long */
static double held_since = -1.0;   /* and stands still now, since then */



/* _al_web_register_sleep_func:
 *  Has the function called around every sleep; -1 if there is no room.
 */
int _al_web_register_sleep_func(void (*func)(int phase))
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



void _al_web_unregister_sleep_func(void (*func)(int phase))
{
   int i;

   for (i = 0; i < MAX_SLEEP_FUNCS; i++) {
      if (sleep_funcs[i] == func)
         sleep_funcs[i] = NULL;
   }
}



static void call_sleep_funcs(int phase)
{
   int i;

   for (i = 0; i < MAX_SLEEP_FUNCS; i++) {
      if (sleep_funcs[i])
         sleep_funcs[i](phase);
   }
}



/* _al_web_now:
 *  The program's clock: the page's, but for the time the program was held
 *  while its page was away, which its rests and timers do not count.
 */
double _al_web_now(void)
{
   return ((held_since >= 0.0) ? held_since : emscripten_get_now()) - held_ms;
}



void _al_web_stop_clock(double at)
{
   if (held_since < 0.0)
      held_since = at;
}



void _al_web_start_clock(double at)
{
   if (held_since >= 0.0) {
      held_ms += MAX(0.0, at - held_since);
      held_since = -1.0;
   }
}



/* clock_stood_still:
 *  Whether the clock has stood still, or stands, since it had held was_held ms.
 */
static int clock_stood_still(double was_held)
{
   return (held_ms != was_held) || (held_since >= 0.0);
}



/* _al_web_sleep_until:
 *  Sleeps till the deadline, or only lets the browser run if it has passed.
 *  The clock may stand still meanwhile, as the page goes away: then the
 *  time may not have come when the sleep ends. Otherwise it has, as near as
 *  a browser's timers let it: a second sleep for what is left would cost a
 *  wake of its own.
 */
int _al_web_sleep_until(double deadline)
{
   double wait, start, was_held = held_ms;

   call_sleep_funcs(WEB_BEFORE_SLEEP);

   start = emscripten_get_now();
   wait = deadline - lateness - _al_web_now();
   if (wait <= 0.0) {
      emscripten_sleep(0);
   }
   else {
      emscripten_sleep((unsigned int)(wait + 0.5));
      if (!clock_stood_still(was_held)) {
         lateness += LATENESS_LEARNING * (emscripten_get_now() - (start + wait + lateness));
         lateness = MID(0.0, lateness, MOST_LATENESS);
      }
   }

   call_sleep_funcs(WEB_AFTER_SLEEP);
   return (!clock_stood_still(was_held)) || (_al_web_now() >= deadline);
}



/* _al_web_wake:
 *  The program gets control back from the library, and looks again.
 */
void _al_web_wake(void)
{
   call_sleep_funcs(WEB_WAKING);
   last_woken = emscripten_get_now();
}



/* _al_web_let_page_run:
 *  A program that polls the keyboard in a loop of its own sleeps in no call
 *  of the library: the page could run none of its events, nor paint.
 */
void _al_web_let_page_run(void)
{
   if (emscripten_get_now() - last_woken >= MOST_AWAKE_MS) {
      _al_web_sleep_until(_al_web_now());
      _al_web_wake();
   }
}
