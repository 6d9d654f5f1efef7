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
 *      Timer driver for the web: it rests; its timers tick after each of the
 *      program's sleeps (webwait.c), the only time anything runs beside it.
 *
 *      By the Quorvelin authors.
 *
 *      Under the MIT licence, as the rest of Quorvelin: see its LICENSE.
 */


#include <math.h>

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


/* The library takes its ticks as an int: a long absence is handed over in
 * steps of this many milliseconds, which stay well inside one.
 */
#define MOST_MS_A_STEP    1000.0


static double last_tick = 0.0;        /* when the timers last ticked, on the program's clock */
static double last_deadline = 0.0;    /* the last rest's end */
static unsigned int last_time = 0;    /* and how long it was asked for */



/* tick_timers:
 *  The library's timers and retrace_count go on after every sleep, the only
 *  time they could: nothing else runs beside the program.
 */
static void tick_timers(void)
{
   double ms = floor(_al_web_now() - last_tick);
   double step;

   while (ms > 0.0) {
      step = MIN(ms, MOST_MS_A_STEP);
      _handle_timer_tick(MSEC_TO_TIMER((long)step));
      last_tick += step;
      ms -= step;
   }
}



static void web_timer_sleep(int phase)
{
   if (phase == WEB_AFTER_SLEEP)
      tick_timers();
}



static int web_timer_init(void)
{
   last_tick = _al_web_now();
   last_time = 0;
   _al_web_register_sleep_func(web_timer_sleep);
   return 0;
}



static void web_timer_exit(void)
{
   _al_web_unregister_sleep_func(web_timer_sleep);
}



/* _al_web_rest:
 *  rest_callback() calls it directly, as it does the timer driver's rest on
 *  other platforms: the build follows a program's sleep only through direct
 *  calls. A rest of no time only lets the page run, as yield_timeslice()
 *  does elsewhere. A rest as long as the last, that comes as soon as the
 *  work after it is done, ends its time after the last one's end, so that a
 *  loop of work and rests keeps the rate its rests ask for, as a browser's
 *  timers let it; showing the screen happens while the program sleeps. Any
 *  other counts from its call. The callback runs between sleeps, and the
 *  program wakes only once its time has come.
 */
void _al_web_rest(unsigned int time, AL_METHOD(void, callback, (void)))
{
   double now = _al_web_now();
   double deadline = now + time;

   if (time == 0) {
      _al_web_sleep_until(now);
      _al_web_wake();
      return;
   }

   if ((time == last_time) && (last_deadline + time >= now))
      deadline = last_deadline + time;
   last_deadline = deadline;
   last_time = time;

   if (callback) {
      do {
         callback();
         _al_web_sleep_until(_al_web_now());
      } while (_al_web_now() < deadline);
   }
   else {
      while (!_al_web_sleep_until(deadline))
         ;
   }

   _al_web_wake();
}
