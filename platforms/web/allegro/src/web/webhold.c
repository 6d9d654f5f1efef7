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


#include "allegro.h"
#include "allegro/internal/aintern.h"
#include "allegro/platform/aintweb.h"

#ifndef ALLEGRO_WEB
   #error something is wrong with the makefile
#endif


static int holders[KEY_MAX];   /* what holds each key: a key, or fingers on the page */
static int fresh[KEY_MAX];     /* down since the program last woke */
static int let_go[KEY_MAX];    /* to go up once the program has seen it down */



static void web_hold_sleep(int woken)
{
   int scancode;

   for (scancode = 1; scancode < KEY_MAX; scancode++) {
      if (woken) {
         fresh[scancode] = FALSE;
      }
      else if (let_go[scancode] && !fresh[scancode]) {
         let_go[scancode] = FALSE;
         _handle_key_release(scancode);
      }
   }
}



void _al_web_hold_init(void)
{
   _al_web_register_sleep_func(web_hold_sleep);
}



void _al_web_hold_exit(void)
{
   _al_web_unregister_sleep_func(web_hold_sleep);
   _al_web_release_keys();
}



/* _al_web_key_down:
 *  One more thing holds the key down; the first presses it.
 */
void _al_web_key_down(int scancode, int character)
{
   if (holders[scancode]++ > 0)
      return;

   let_go[scancode] = FALSE;
   fresh[scancode] = TRUE;
   _handle_key_press(character, scancode);
}



/* _al_web_key_up:
 *  One less thing holds the key down; the last lets it go.
 */
void _al_web_key_up(int scancode)
{
   if ((holders[scancode] == 0) || (--holders[scancode] > 0))
      return;

   if (fresh[scancode])
      let_go[scancode] = TRUE;
   else
      _handle_key_release(scancode);
}



/* _al_web_release_keys:
 *  Lets go of every key at once: a page away gets no key-up for the keys
 *  held as it went, and a key must not stay down after Alt-Tab.
 */
void _al_web_release_keys(void)
{
   int scancode;

   for (scancode = 1; scancode < KEY_MAX; scancode++) {
      holders[scancode] = 0;
      let_go[scancode] = FALSE;
      if (key[scancode])
         _handle_key_release(scancode);
   }
}
