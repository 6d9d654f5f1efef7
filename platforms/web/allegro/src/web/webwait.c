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
 *      Sleeping, the only time a browser runs the page and paints it.
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


/* A program that reads the keys this many times without sleeping is waiting
 * on one in a loop of its own: it then sleeps until a key changes, or this
 * long, so that a loop that also watches something else still runs.
 */
#define READS_BEFORE_WAITING   16
#define KEY_WAIT_MS            100

/* A browser wakes a sleeper a millisecond or so late, which would slow a
 * program that rests 20 ms a frame by a twentieth: sleeps end that much
 * earlier, by a lateness learnt from the last ones.
 */
#define LATENESS_LEARNING      0.125
#define MOST_LATENESS          5.0

/* Focus and visibility come with events, but a browser may change them
 * without one (a frame's focus, a window manager's): looked at this often too.
 */
#define PAGE_POLL_MS           250


static int reads_since_sleep = 0;
static double lateness = 0.0;
static double last_tick = 0.0;   /* when the timer last ticked, in ms */



EM_ASYNC_JS(void, web_wait_for_key_event, (double timeout), {
   await new Promise(function(resolve) {
      var timer = setTimeout(wake, timeout);
      function wake() {
         clearTimeout(timer);
         Module['allegroWake'] = null;
         resolve();
      }
      Module['allegroWake'] = wake;
   });
});



EM_JS(int, web_page_is_away, (void), {
   return document.hidden || !document.hasFocus();
});



EM_ASYNC_JS(void, web_wait_for_page, (double poll), {
   await new Promise(function(resolve) {
      var timer = setInterval(look, poll);
      function look() {
         if (document.hidden || !document.hasFocus())
            return;
         clearInterval(timer);
         window.removeEventListener('focus', look);
         document.removeEventListener('visibilitychange', look);
         resolve();
      }
      window.addEventListener('focus', look);
      document.addEventListener('visibilitychange', look);
   });
});



/* tick_timer:
 *  The library's timers and retrace_count go on while the program sleeps,
 *  the only time they could: nothing else runs beside it.
 */
static void tick_timer(void)
{
   double now = emscripten_get_now();
   long ticks = MSEC_TO_TIMER(now - last_tick);

   if (!_timer_installed || ticks <= 0)
      return;

   last_tick += (double)ticks / (TIMERS_PER_SECOND / 1000);
   _handle_timer_tick(ticks);
}



/* after_sleep:
 *  A page hidden or without the keyboard's focus holds the program where it
 *  is, as a desktop game stopped by its window being away would not be
 *  played meanwhile: it goes on from the same place once the page is back,
 *  and its timers do not count the time away. No key stays held meanwhile:
 *  the page gets no key-up while it is away.
 */
static void after_sleep(void)
{
   if (web_page_is_away()) {
      tick_timer();
      _al_web_release_keys();
      web_wait_for_page(PAGE_POLL_MS);
      last_tick = emscripten_get_now();
   }

   tick_timer();
   _al_web_touch_let_go(FALSE);
   reads_since_sleep = 0;
}



/* _al_web_sleep_until:
 *  Shows the screen, then sleeps till the deadline.
 */
void _al_web_sleep_until(double deadline)
{
   double wait;

   _al_web_present();

   wait = deadline - lateness - emscripten_get_now();
   if (wait <= 0.0) {
      emscripten_sleep(0);
   }
   else {
      emscripten_sleep((unsigned int)(wait + 0.5));
      lateness += LATENESS_LEARNING * (emscripten_get_now() - deadline);
      lateness = MID(0.0, lateness, MOST_LATENESS);
   }

   after_sleep();
}



/* _al_web_wait_for_key:
 *  Shows the screen, then sleeps till a key changes or the timeout passes.
 */
void _al_web_wait_for_key(double timeout)
{
   _al_web_present();
   web_wait_for_key_event(timeout);
   after_sleep();
}



/* _al_web_wake:
 *  Ends a wait for a key; the keyboard calls it on every key event.
 */
void _al_web_wake(void)
{
   EM_ASM({
      if (Module['allegroWake'])
         Module['allegroWake']();
   });
}



/* _al_web_read_key:
 *  A key of the key array, as a C++ program reads it (see alwebcfg.h).
 */
volatile char *_al_web_read_key(int scancode)
{
   if (++reads_since_sleep > READS_BEFORE_WAITING)
      _al_web_wait_for_key(KEY_WAIT_MS);

   if (key[scancode])
      _al_web_touch_key_read(scancode);

   return &key[scancode];
}
