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
 *      Keys held for the program: the keyboard's and the touches'. The page
 *      runs their events only while the program sleeps, so a key pressed and
 *      let go within one sleep would never be seen down: a key stays down at
 *      least until the program has woken once since it went down.
 *
 *      By the Quorvelin authors.
 *
 *      Under the MIT licence, as the rest of Quorvelin: see its LICENSE.
 */


#include <string.h>

#include "allegro.h"
#include "allegro/internal/aintern.h"
#include "allegro/platform/aintweb.h"

#ifndef ALLEGRO_WEB
   #error something is wrong with the makefile
#endif


static char down[KEY_MAX];     /* down on the page */
static char fresh[KEY_MAX];    /* down since the program last woke */
static char let_go[KEY_MAX];   /* up on the page, down for the program till it has looked */



/* web_hold_sleep:
 *  A key let go since the program last woke goes up as it sleeps again, if
 *  it has been down while the program looked.
 */
static void web_hold_sleep(int phase)
{
   int scancode;

   if (phase == WEB_WAKING) {
      memset(fresh, 0, sizeof(fresh));
      return;
   }

   if (phase != WEB_BEFORE_SLEEP)
      return;

   for (scancode = 1; scancode < KEY_MAX; scancode++) {
      if (let_go[scancode] && !fresh[scancode]) {
         let_go[scancode] = FALSE;
         _handle_key_release(scancode);
      }
   }
}



void _al_web_hold_init(void)
{
   memset(down, 0, sizeof(down));
   memset(fresh, 0, sizeof(fresh));
   memset(let_go, 0, sizeof(let_go));
   _al_web_register_sleep_func(web_hold_sleep);
}



void _al_web_hold_exit(void)
{
   _al_web_unregister_sleep_func(web_hold_sleep);
   _al_web_release_keys();
}



/* _al_web_key_down:
 *  As in Allegro's own drivers, a press always presses: a key whose key-up
 *  was lost, or that the program cleared in key[] itself, goes down again.
 */
void _al_web_key_down(int scancode, int character)
{
   down[scancode] = TRUE;
   fresh[scancode] = TRUE;
   let_go[scancode] = FALSE;
   _handle_key_press(character, scancode);
}



/* _al_web_key_up:
 *  And a release always lets go, once the program has seen the key down.
 */
void _al_web_key_up(int scancode)
{
   down[scancode] = FALSE;
   if (fresh[scancode])
      let_go[scancode] = TRUE;
   else
      _handle_key_release(scancode);
}



int _al_web_key_is_down(int scancode)
{
   return down[scancode];
}



/* _al_web_release_keys:
 *  Lets go of every key at once: a page away gets no key-up for the keys
 *  held as it went, and a key must not stay down after Alt-Tab.
 */
void _al_web_release_keys(void)
{
   int scancode;

   for (scancode = 1; scancode < KEY_MAX; scancode++) {
      if (down[scancode] || let_go[scancode] || key[scancode])
         _handle_key_release(scancode);
      down[scancode] = let_go[scancode] = FALSE;
   }
}
