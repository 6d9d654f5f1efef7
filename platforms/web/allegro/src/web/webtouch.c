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
 *      Touch, as keys: the picture holds Enter and Space, the pause control taps Tab.
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


/* A key pressed by touch stays down until the program has read it down and
 * the finger is off, so that a tap however short is seen; one the program
 * does not look at goes this long after the finger is off.
 */
#define TOUCH_KEY_MOST_MS   400.0


typedef struct TOUCH_KEY
{
   int scancode;
   int character;
   int down;        /* pressed by touch and not let go yet */
   int held;        /* a finger is still on it */
   int read;        /* the program read it down since it was pressed */
   double lifted;   /* when the finger came off */
} TOUCH_KEY;

static TOUCH_KEY picture_keys[] = {
   { KEY_ENTER, '\r' },
   { KEY_SPACE, ' '  }
};

static TOUCH_KEY pause_key = { KEY_TAB, '\t' };

#define PICTURE_KEYS   (int)(sizeof(picture_keys) / sizeof(picture_keys[0]))



static void press(TOUCH_KEY *k, int held)
{
   if (!key[k->scancode])
      _handle_key_press(k->character, k->scancode);

   k->down = TRUE;
   k->held = held;
   k->read = FALSE;
   k->lifted = emscripten_get_now();
   _al_web_wake();
}



static void lift(TOUCH_KEY *k)
{
   k->held = FALSE;
   k->lifted = emscripten_get_now();
}



static void let_go(TOUCH_KEY *k, int now)
{
   if ((!k->down) || ((!now) && (k->held || ((!k->read) &&
       (emscripten_get_now() - k->lifted < TOUCH_KEY_MOST_MS)))))
      return;

   k->down = FALSE;
   k->held = FALSE;
   if (key[k->scancode])
      _handle_key_release(k->scancode);
}



/* web_touch_picture:
 *  The fingers on the picture went from none to some, or back.
 */
static void web_touch_picture(int fingers)
{
   int i;

   for (i = 0; i < PICTURE_KEYS; i++) {
      if (fingers && !picture_keys[i].held)
         press(&picture_keys[i], TRUE);
      else if (!fingers && picture_keys[i].held)
         lift(&picture_keys[i]);
   }
}



static void web_touch_pause(void)
{
   press(&pause_key, FALSE);
}



/* Touches on the picture and the pause control are the program's alone: they
 * neither scroll, zoom nor select. A touch that gives the page the focus
 * does only that, as a click would.
 */
/* The two are the functions below, as the page's code calls them. */
EM_JS(void, web_touch_listen, (int picture, int pause), {
   var canvas = Module['canvas'];
   var control = Module['pauseControl'];
   var fingers = 0;

   function onPicture(event) {
      if (!document.hasFocus()) {
         window.focus();
         return;
      }
      event.preventDefault();
      if ((event.targetTouches.length > 0) != (fingers > 0))
         wasmTable.get(picture)(event.targetTouches.length);
      fingers = event.targetTouches.length;
   }
   function onPause(event) {
      if (!document.hasFocus()) {
         window.focus();
         return;
      }
      event.preventDefault();
      wasmTable.get(pause)();
   }
   var listening = [[canvas, 'touchstart', onPicture], [canvas, 'touchend', onPicture],
                    [canvas, 'touchcancel', onPicture], [control, 'touchstart', onPause]];
   listening.forEach(function(l) {
      if (l[0])
         l[0].addEventListener(l[1], l[2], { passive: false });
   });
   Module['allegroTouch'] = listening;
});



EM_JS(void, web_touch_unlisten, (void), {
   (Module['allegroTouch'] || []).forEach(function(l) {
      if (l[0])
         l[0].removeEventListener(l[1], l[2], { passive: false });
   });
   Module['allegroTouch'] = null;
});



void _al_web_touch_init(void)
{
   web_touch_listen((int)(intptr_t)web_touch_picture, (int)(intptr_t)web_touch_pause);
}



void _al_web_touch_exit(void)
{
   web_touch_unlisten();
   _al_web_touch_let_go(TRUE);
}



/* _al_web_touch_key_read:
 *  The program read a key that is down.
 */
void _al_web_touch_key_read(int scancode)
{
   int i;

   for (i = 0; i < PICTURE_KEYS; i++) {
      if (picture_keys[i].scancode == scancode)
         picture_keys[i].read = TRUE;
   }

   if (pause_key.scancode == scancode)
      pause_key.read = TRUE;
}



/* _al_web_touch_let_go:
 *  Lets go of the keys pressed by touch whose time has come, at a sleep, so
 *  that a key read down stays down for the rest of the program's pass; or of
 *  all of them.
 */
void _al_web_touch_let_go(int all)
{
   int i;

   for (i = 0; i < PICTURE_KEYS; i++)
      let_go(&picture_keys[i], all);

   let_go(&pause_key, all);
}
