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
 *      The browser's names for the keys' places (KeyboardEvent.code), as
 *      the library's scancodes.
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



/* _al_web_scancode_of:
 *  The scancode of a key's place, or 0 for a key the library does not know.
 */
int _al_web_scancode_of(AL_CONST char *code)
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
