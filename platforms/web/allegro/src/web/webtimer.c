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



static int web_timer_init(void)
{
   return 0;
}



static void web_timer_exit(void)
{
}



/* _al_web_rest:
 *  rest_callback() calls it directly, as it does the timer driver's rest on
 *  other platforms: the build follows a program's sleep only through direct
 *  calls. The time counts from the call, so that showing the screen, which
 *  happens while the program sleeps, does not lengthen the rest.
 */
void _al_web_rest(unsigned int time, AL_METHOD(void, callback, (void)))
{
   double deadline = emscripten_get_now() + time;

   if (callback) {
      while (emscripten_get_now() < deadline) {
         callback();
         _al_web_sleep_until(emscripten_get_now());
      }
   }
   else {
      _al_web_sleep_until(deadline);
   }
}
