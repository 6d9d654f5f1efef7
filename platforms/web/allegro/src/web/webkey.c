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
 *      Keyboard driver for the web: the page's key events, and touches on
 *      the elements that name keys (webtouch.c).
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

#include <emscripten.h>
#include <emscripten/html5.h>


static int web_keyboard_init(void);
static void web_keyboard_exit(void);


KEYBOARD_DRIVER keyboard_web =
{
   KEYBOARD_WEB,
   empty_string,
   empty_string,
   "Web keyboard",
   FALSE,            /* the browser repeats held keys itself */
   web_keyboard_init,
   web_keyboard_exit,
   NULL,             /* poll */
   NULL,             /* set_leds */
   NULL,             /* set_rate */
   NULL,             /* wait_for_input */
   NULL,             /* stop_waiting_for_input */
   NULL,             /* scancode_to_ascii */
   NULL              /* scancode_to_name */
};


/* character_of:
 *  The character a key press types, for readkey(), or 0 when it types none.
 */
static int character_of(AL_CONST EmscriptenKeyboardEvent *event)
{
   AL_CONST char *name = event->key;
   int c;

   /* A key that types a character is named by that character alone. */
   c = ugetx((char **)&name);
   if ((c > 0) && (!*name))
      return c;

   if (strcmp(event->key, "Enter") == 0)
      return '\r';
   if (strcmp(event->key, "Tab") == 0)
      return '\t';
   if (strcmp(event->key, "Backspace") == 0)
      return '\b';
   if (strcmp(event->key, "Escape") == 0)
      return 27;

   return 0;
}



/* is_for_the_browser:
 *  Whether the browser, not only the program, acts on a key: its shortcuts,
 *  with Ctrl, Alt or Meta, and the function keys.
 */
static int is_for_the_browser(AL_CONST EmscriptenKeyboardEvent *event, int scancode)
{
   return (event->ctrlKey || event->altKey || event->metaKey ||
           ((scancode >= KEY_F1) && (scancode <= KEY_F12)));
}



static EM_BOOL web_key_down(int type, AL_CONST EmscriptenKeyboardEvent *event, void *data)
{
   int scancode = _al_web_scancode_of(event->code);

   if (!scancode)
      return FALSE;

   /* The browser repeats a held key: each adds to what readkey() returns. */
   if (event->repeat && key[scancode])
      _handle_key_press(character_of(event), scancode);
   else
      _al_web_key_down(scancode, character_of(event));

   /* Anything else the browser would do, like scrolling on Space or moving
    * the focus on Tab, would take the keys from the program.
    */
   return !is_for_the_browser(event, scancode);
}



static EM_BOOL web_key_up(int type, AL_CONST EmscriptenKeyboardEvent *event, void *data)
{
   int scancode = _al_web_scancode_of(event->code);

   if (!scancode)
      return FALSE;

   _al_web_key_up(scancode);
   return !is_for_the_browser(event, scancode);
}



static int web_keyboard_init(void)
{
   emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, NULL, TRUE, web_key_down);
   emscripten_set_keyup_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, NULL, TRUE, web_key_up);
   _al_web_hold_init();
   _al_web_touch_init();
   return 0;
}



static void web_keyboard_exit(void)
{
   emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, NULL, TRUE, NULL);
   emscripten_set_keyup_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, NULL, TRUE, NULL);
   _al_web_touch_exit();
   _al_web_hold_exit();
}
