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
 *      Keyboard driver for the web: the page's key events, and touches as keys.
 *
 *      By the Quorvelin authors.
 *
 *      Under the MIT licence, as the rest of Quorvelin: see its LICENSE.
 */


#include <stdlib.h>
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


/* The keys that are not letters, digits, keypad digits or function keys, by
 * the name the browser gives their place on the keyboard (KeyboardEvent.code).
 */
static AL_CONST struct {
   AL_CONST char *code;
   int scancode;
} named_keys[] = {
   { "Escape",         KEY_ESC         },
   { "Backquote",      KEY_TILDE       },
   { "Minus",          KEY_MINUS       },
   { "Equal",          KEY_EQUALS      },
   { "Backspace",      KEY_BACKSPACE   },
   { "Tab",            KEY_TAB         },
   { "BracketLeft",    KEY_OPENBRACE   },
   { "BracketRight",   KEY_CLOSEBRACE  },
   { "Enter",          KEY_ENTER       },
   { "Semicolon",      KEY_COLON       },
   { "Quote",          KEY_QUOTE       },
   { "Backslash",      KEY_BACKSLASH   },
   { "IntlBackslash",  KEY_BACKSLASH2  },
   { "Comma",          KEY_COMMA       },
   { "Period",         KEY_STOP        },
   { "Slash",          KEY_SLASH       },
   { "Space",          KEY_SPACE       },
   { "Insert",         KEY_INSERT      },
   { "Delete",         KEY_DEL         },
   { "Home",           KEY_HOME        },
   { "End",            KEY_END         },
   { "PageUp",         KEY_PGUP        },
   { "PageDown",       KEY_PGDN        },
   { "ArrowLeft",      KEY_LEFT        },
   { "ArrowRight",     KEY_RIGHT       },
   { "ArrowUp",        KEY_UP          },
   { "ArrowDown",      KEY_DOWN        },
   { "NumpadDivide",   KEY_SLASH_PAD   },
   { "NumpadMultiply", KEY_ASTERISK    },
   { "NumpadSubtract", KEY_MINUS_PAD   },
   { "NumpadAdd",      KEY_PLUS_PAD    },
   { "NumpadDecimal",  KEY_DEL_PAD     },
   { "NumpadEnter",    KEY_ENTER_PAD   },
   { "NumpadEqual",    KEY_EQUALS_PAD  },
   { "PrintScreen",    KEY_PRTSCR      },
   { "Pause",          KEY_PAUSE       },
   { "IntlYen",        KEY_YEN         },
   { "ShiftLeft",      KEY_LSHIFT      },
   { "ShiftRight",     KEY_RSHIFT      },
   { "ControlLeft",    KEY_LCONTROL    },
   { "ControlRight",   KEY_RCONTROL    },
   { "AltLeft",        KEY_ALT         },
   { "AltRight",       KEY_ALTGR       },
   { "MetaLeft",       KEY_LWIN        },
   { "MetaRight",      KEY_RWIN        },
   { "ContextMenu",    KEY_MENU        },
   { "ScrollLock",     KEY_SCRLOCK     },
   { "NumLock",        KEY_NUMLOCK     },
   { "CapsLock",       KEY_CAPSLOCK    }
};

#define NAMED_KEYS   (int)(sizeof(named_keys) / sizeof(named_keys[0]))

#define FUNCTION_KEYS   12



/* scancode_of:
 *  The scancode of a key's place, or 0 for a key the library does not know.
 */
static int scancode_of(AL_CONST char *code)
{
   int i;

   if ((strncmp(code, "Key", 3) == 0) && (code[3] >= 'A') && (code[3] <= 'Z') && (!code[4]))
      return KEY_A + code[3] - 'A';

   if ((strncmp(code, "Digit", 5) == 0) && (code[5] >= '0') && (code[5] <= '9') && (!code[6]))
      return KEY_0 + code[5] - '0';

   if ((strncmp(code, "Numpad", 6) == 0) && (code[6] >= '0') && (code[6] <= '9') && (!code[7]))
      return KEY_0_PAD + code[6] - '0';

   if ((code[0] == 'F') && (code[1] >= '1') && (code[1] <= '9')) {
      i = atoi(code + 1);
      if ((i >= 1) && (i <= FUNCTION_KEYS))
         return KEY_F1 + i - 1;
   }

   for (i = 0; i < NAMED_KEYS; i++) {
      if (strcmp(code, named_keys[i].code) == 0)
         return named_keys[i].scancode;
   }

   return 0;
}



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
   int scancode = scancode_of(event->code);

   if (!scancode)
      return FALSE;

   _handle_key_press(character_of(event), scancode);
   _al_web_wake();

   /* Anything else the browser would do, like scrolling on Space or moving
    * the focus on Tab, would take the keys from the program.
    */
   return !is_for_the_browser(event, scancode);
}



static EM_BOOL web_key_up(int type, AL_CONST EmscriptenKeyboardEvent *event, void *data)
{
   int scancode = scancode_of(event->code);

   if (!scancode)
      return FALSE;

   _handle_key_release(scancode);
   _al_web_wake();
   return !is_for_the_browser(event, scancode);
}



/* _al_web_release_keys:
 *  A page that loses the focus or is hidden gets no key-up for the keys held
 *  then, so they are let go here: a key must not stay down after Alt-Tab.
 */
void _al_web_release_keys(void)
{
   int scancode;

   _al_web_touch_let_go(TRUE);
   for (scancode = 1; scancode < KEY_MAX; scancode++) {
      if (key[scancode])
         _handle_key_release(scancode);
   }

   _al_web_wake();
}



static EM_BOOL web_blur(int type, AL_CONST EmscriptenFocusEvent *event, void *data)
{
   _al_web_release_keys();
   return FALSE;
}



static int web_keyboard_init(void)
{
   emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, NULL, TRUE, web_key_down);
   emscripten_set_keyup_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, NULL, TRUE, web_key_up);
   emscripten_set_blur_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, NULL, TRUE, web_blur);
   _al_web_touch_init();
   return 0;
}



static void web_keyboard_exit(void)
{
   emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, NULL, TRUE, NULL);
   emscripten_set_keyup_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, NULL, TRUE, NULL);
   emscripten_set_blur_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, NULL, TRUE, NULL);
   _al_web_touch_exit();
}
