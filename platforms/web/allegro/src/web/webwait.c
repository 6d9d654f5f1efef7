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
 *      See readme.txt for copyright information.
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


static int reads_since_sleep = 0;
static double lateness = 0.0;



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



/* _al_web_sleep_until:
 *  Shows the screen, then sleeps till the deadline.
 */
void _al_web_sleep_until(double deadline)
{
   double wait;

   _al_web_present();
   reads_since_sleep = 0;

   wait = deadline - lateness - emscripten_get_now();
   if (wait <= 0.0) {
      emscripten_sleep(0);
      return;
   }

   emscripten_sleep((unsigned int)(wait + 0.5));
   lateness += LATENESS_LEARNING * (emscripten_get_now() - deadline);
   lateness = MID(0.0, lateness, MOST_LATENESS);
}



/* _al_web_wait_for_key:
 *  Shows the screen, then sleeps till a key changes or the timeout passes.
 */
void _al_web_wait_for_key(double timeout)
{
   _al_web_present();
   reads_since_sleep = 0;
   web_wait_for_key_event(timeout);
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



/* _al_web_key_array:
 *  The key array, as a C++ program reads it (see alwebcfg.h).
 */
volatile char *_al_web_key_array(void)
{
   if (++reads_since_sleep > READS_BEFORE_WAITING)
      _al_web_wait_for_key(KEY_WAIT_MS);

   return key;
}
