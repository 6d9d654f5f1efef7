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
 *      Timer driver for the web: it rests; its timers tick while the program
 *      sleeps (webwait.c), the only time anything runs beside it.
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


static int web_timer_init(void);
static void web_timer_exit(void);


TIMER_DRIVER timer_web =
{
   TIMER_WEB,
   empty_string,
   empty_string,
   "Web timer",
   web_timer_init,
   web_timer_exit,
   NULL, NULL,       /* install_int, remove_int */
   NULL, NULL,       /* install_param_int, remove_param_int */
   NULL, NULL,       /* can_simulate_retrace, simulate_retrace */
   _al_web_rest
};



static double last_deadline = 0.0;
static double last_tick = 0.0;   /* when the timers last ticked, in ms */



static int web_timer_init(void)
{
   last_tick = emscripten_get_now();
   return 0;
}



static void web_timer_exit(void)
{
}



/* tick_timers:
 *  The library's timers and retrace_count go on while the program sleeps,
 *  the only time they could: nothing else runs beside it.
 */
static void tick_timers(void)
{
   double now = emscripten_get_now();
   long ticks = MSEC_TO_TIMER(now - last_tick);

   if (!_timer_installed || ticks <= 0)
      return;

   last_tick += (double)ticks / (TIMERS_PER_SECOND / 1000);
   _handle_timer_tick(ticks);
}



/* sleep_until:
 *  A program held while its page was away does not count the time away: its
 *  timers go on from where they were, and its next rest counts from its call.
 */
static void sleep_until(double deadline)
{
   _al_web_sleep_until(deadline);
   tick_timers();

   if (_al_web_handle_switch()) {
      last_tick = emscripten_get_now();
      last_deadline = 0.0;
   }
}



/* _al_web_rest:
 *  rest_callback() calls it directly, as it does the timer driver's rest on
 *  other platforms: the build follows a program's sleep only through direct
 *  calls. A rest that comes as soon as the work after the last one is done
 *  ends its time after the last one's end, so that a loop of work and rests
 *  keeps the rate its rests ask for, as a browser's timers let it; showing
 *  the screen happens while the program sleeps. One that comes later (after
 *  a slow stretch, a page away) counts from its call, with no burst to catch
 *  up.
 */
void _al_web_rest(unsigned int time, AL_METHOD(void, callback, (void)))
{
   double now = emscripten_get_now();
   double deadline = last_deadline + time;

   if (deadline < now)
      deadline = now + time;
   last_deadline = deadline;

   if (callback) {
      while (emscripten_get_now() < deadline) {
         callback();
         sleep_until(emscripten_get_now());
      }
   }
   else {
      sleep_until(deadline);
   }
}
