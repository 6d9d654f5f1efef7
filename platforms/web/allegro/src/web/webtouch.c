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
 *      Touch, as keys: the page names the keys an element stands for in its
 *      data-allegro-keys attribute, by the keys' places as the browser names
 *      them, e.g. <canvas data-allegro-keys="Enter Space">. They are down
 *      while a finger is on it.
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


#define MAX_TOUCH_AREAS   8
#define MAX_AREA_KEYS     8
#define MAX_KEY_NAME      32


typedef struct TOUCH_AREA
{
   int scancodes[MAX_AREA_KEYS];
   int count;
} TOUCH_AREA;

static TOUCH_AREA areas[MAX_TOUCH_AREAS];



/* _al_web_touch:
 *  The page's listeners call it with the fingers now on an area. Its keys go
 *  down as the first finger comes, typing what they type, and up as the
 *  last goes.
 */
EMSCRIPTEN_KEEPALIVE void _al_web_touch(int index, int fingers)
{
   TOUCH_AREA *area = &areas[index];
   int i, scancode;

   for (i = 0; i < area->count; i++) {
      scancode = area->scancodes[i];
      if ((fingers > 0) && !_al_web_key_is_down(scancode))
         _al_web_key_down(scancode, scancode_to_ascii(scancode));
      else if ((fingers == 0) && _al_web_key_is_down(scancode))
         _al_web_key_up(scancode);
   }
}



EM_JS(int, web_touch_count_areas, (int most), {
   Module['allegroTouchAreas'] = Array.prototype.slice.call(
      document.querySelectorAll('[data-allegro-keys]'), 0, most);
   return Module['allegroTouchAreas'].length;
});



/* The index-th key an area names, or FALSE after its last. */
EM_JS(int, web_touch_key_name, (int area, int index, char *name, int size), {
   var names = Module['allegroTouchAreas'][area].getAttribute('data-allegro-keys').split(' ').filter(String);
   if (index >= names.length)
      return 0;
   stringToUTF8(names[index], name, size);
   return 1;
});



/* Touches on an area are the program's alone: they neither scroll, zoom nor
 * select. A touch that gives the page the focus does only that, as a click
 * would. A finger counts where it came down, on the area or anything in it.
 */
EM_JS(void, web_touch_listen, (void), {
   var listening = [];
   Module['allegroTouchAreas'].forEach(function(element, index) {
      function onTouch(event) {
         if ((event.type === 'touchstart') && !document.hasFocus()) {
            window.focus();
            return;
         }
         event.preventDefault();
         __al_web_touch(index, Array.prototype.filter.call(event.touches, function(touch) {
            return element.contains(touch.target);
         }).length);
      }
      ['touchstart', 'touchend', 'touchcancel'].forEach(function(type) {
         element.addEventListener(type, onTouch, { passive: false });
         listening.push([element, type, onTouch]);
      });
   });
   Module['allegroTouchAreas'] = listening;
});



EM_JS(void, web_touch_unlisten, (void), {
   (Module['allegroTouchAreas'] || []).forEach(function(l) {
      l[0].removeEventListener(l[1], l[2], { passive: false });
   });
   Module['allegroTouchAreas'] = null;
});



void _al_web_touch_init(void)
{
   char name[MAX_KEY_NAME];
   int count = web_touch_count_areas(MAX_TOUCH_AREAS);
   int i, k, scancode;

   for (i = 0; i < count; i++) {
      areas[i].count = 0;
      for (k = 0; (areas[i].count < MAX_AREA_KEYS) && web_touch_key_name(i, k, name, sizeof(name)); k++) {
         scancode = _al_web_scancode_of(name);
         if (scancode)
            areas[i].scancodes[areas[i].count++] = scancode;
      }
   }

   web_touch_listen();
}



void _al_web_touch_exit(void)
{
   web_touch_unlisten();
}
