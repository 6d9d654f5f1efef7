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


/* Room for the browser's name of a key's place (KeyboardEvent.code) and of
 * what it types (KeyboardEvent.key), as UTF-8.
 */
#define NAME_SIZE         32

#define DELETE_CHARACTER  127

/* Keys that type their character only when the next one comes: no entry. */
#define IS_DEAD(name)     ((strcmp(name, "Dead") == 0) || (strcmp(name, "Process") == 0))


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


static char place[NAME_SIZE];   /* the last key event's code, */
static char typed[NAME_SIZE];   /* and its key */



/* shifts_of:
 *  Allegro's key_shifts from the page's modifier keys and locks, as X11's
 *  driver reads them: AltGr is the menu key there, and Windows browsers
 *  add Ctrl and Alt to it, which it has not.
 */
static int shifts_of(int modifiers)
{
   int shifts = 0;

   if (modifiers & WEB_ALTGRAPH)
      modifiers &= ~(WEB_CTRL | WEB_ALT);

   if (modifiers & WEB_SHIFT)      shifts |= KB_SHIFT_FLAG;
   if (modifiers & WEB_CTRL)       shifts |= KB_CTRL_FLAG;
   if (modifiers & WEB_ALT)        shifts |= KB_ALT_FLAG;
   if (modifiers & WEB_META)       shifts |= KB_LWIN_FLAG | KB_RWIN_FLAG;
   if (modifiers & WEB_ALTGRAPH)   shifts |= KB_MENU_FLAG;
   if (modifiers & WEB_CAPSLOCK)   shifts |= KB_CAPSLOCK_FLAG;
   if (modifiers & WEB_NUMLOCK)    shifts |= KB_NUMLOCK_FLAG;
   if (modifiers & WEB_SCROLLLOCK) shifts |= KB_SCROLOCK_FLAG;

   return shifts;
}



/* control_code:
 *  What a character typed with Ctrl held gives, as Xlib gives it.
 */
static int control_code(int c)
{
   if (((c >= '@') && (c < DELETE_CHARACTER)) || (c == ' '))
      return c & 0x1F;
   if (c == '2')
      return 0;
   if ((c >= '3') && (c <= '7'))
      return c - '3' + 27;
   if (c == '8')
      return DELETE_CHARACTER;
   if (c == '/')
      return '_' & 0x1F;
   return c;
}



/* character_of:
 *  What a key press puts in the buffer, as Allegro's own drivers put it: no
 *  entry (-1) for a modifier key or a dead key, 0 with Alt held or for a key
 *  that types nothing, else the character, as Ctrl makes it.
 */
static int character_of(int scancode, AL_CONST char *name)
{
   AL_CONST char *rest = name;
   int c;

   if ((scancode >= KEY_MODIFIERS) || IS_DEAD(name))
      return -1;
   if (_key_shifts & KB_ALT_FLAG)
      return 0;

   /* A key that types a character is named by that character alone. */
   c = ugetx((char **)&rest);
   if ((c <= 0) || (*rest)) {
      if (strcmp(name, "Enter") == 0)
         c = '\r';
      else if (strcmp(name, "Tab") == 0)
         c = '\t';
      else if (strcmp(name, "Backspace") == 0)
         c = '\b';
      else if (strcmp(name, "Escape") == 0)
         c = 27;
      else if (strcmp(name, "Delete") == 0)
         c = DELETE_CHARACTER;
      else
         return 0;
   }

   return (_key_shifts & KB_CTRL_FLAG) ? control_code(c) : c;
}



/* is_for_the_browser:
 *  Whether the browser, not only the program, acts on a key: its shortcuts,
 *  with Ctrl, Alt or Meta, and the function keys.
 */
static int is_for_the_browser(int modifiers, int scancode)
{
   return ((modifiers & (WEB_CTRL | WEB_ALT | WEB_META)) || ((scancode >= KEY_F1) && (scancode <= KEY_F12)));
}



/* _al_web_key:
 *  The page's listener calls it for every key-down, the browser's repeats
 *  among them, and key-up, with the key's names in place and typed. Pause
 *  goes down and up on alternate presses, as on X11.
 */
EMSCRIPTEN_KEEPALIVE int _al_web_key(int pressed, int modifiers)
{
   int scancode = _al_web_scancode_of(place);

   if (!scancode)
      return FALSE;

   _key_shifts = shifts_of(modifiers);
   if (scancode == KEY_PAUSE) {
      if (pressed && key[KEY_PAUSE])
         _al_web_key_up(KEY_PAUSE);
      else if (pressed)
         _al_web_key_down(KEY_PAUSE, 0);
   }
   else if (pressed) {
      _al_web_key_down(scancode, character_of(scancode, typed));
   }
   else {
      _al_web_key_up(scancode);
   }

   /* Anything else the browser would do, like scrolling on Space or moving
    * the focus on Tab, would take the keys from the program.
    */
   return !is_for_the_browser(modifiers, scancode);
}



EM_JS(void, web_key_listen, (char *place, char *typed, int size), {
   function onKey(event) {
      var modifiers = 0;
      ['Shift', 'Control', 'Alt', 'Meta', 'AltGraph', 'CapsLock', 'NumLock', 'ScrollLock'].forEach(function(name, bit) {
         if (event.getModifierState && event.getModifierState(name))
            modifiers |= 1 << bit;
      });
      stringToUTF8(event.code, place, size);
      stringToUTF8(event.key, typed, size);
      if (__al_web_key(event.type === 'keydown', modifiers))
         event.preventDefault();
   }
   window.addEventListener('keydown', onKey, true);
   window.addEventListener('keyup', onKey, true);
   Module['allegroKeys'] = onKey;
});



EM_JS(void, web_key_unlisten, (void), {
   window.removeEventListener('keydown', Module['allegroKeys'], true);
   window.removeEventListener('keyup', Module['allegroKeys'], true);
   Module['allegroKeys'] = null;
});



static int web_keyboard_init(void)
{
   _al_web_hold_init();
   web_key_listen(place, typed, NAME_SIZE);
   _al_web_touch_init();
   return 0;
}



static void web_keyboard_exit(void)
{
   web_key_unlisten();
   _al_web_touch_exit();
   _al_web_hold_exit();
}
