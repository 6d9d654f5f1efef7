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
 *      System driver for the web.
 *
 *      By the Quorvelin authors.
 *
 *      Under the MIT licence, as the rest of Quorvelin: see its LICENSE.
 */


#include <stdio.h>
#include <string.h>

#include "allegro.h"
#include "allegro/internal/aintern.h"
#include "allegro/platform/aintweb.h"

#ifndef ALLEGRO_WEB
   #error something is wrong with the makefile
#endif

#include <emscripten.h>


/* Focus and visibility come with events, but a browser may change them
 * without one (a frame's focus, a window manager's): while the program waits
 * for the page to come back, it also looks this often.
 */
#define PAGE_POLL_MS      250

/* The mode that GFX_SAFE falls back on. */
#define SAFE_MODE_W       320
#define SAFE_MODE_H       200
#define SAFE_MODE_DEPTH   8


static int web_sys_init(void);
static void web_sys_exit(void);
static void web_message(AL_CONST char *msg);
static int web_set_display_switch_mode(int mode);
static int web_desktop_color_depth(void);
static void web_get_gfx_safe_mode(int *driver, struct GFX_MODE *mode);


SYSTEM_DRIVER system_web =
{
   SYSTEM_WEB,
   empty_string,
   empty_string,
   "Web",
   web_sys_init,
   web_sys_exit,
   NULL,  /* AL_METHOD(void, get_executable_name, (char *output, int size)); */
   NULL,  /* AL_METHOD(int, find_resource, (char *dest, AL_CONST char *resource, int size)); */
   NULL,  /* AL_METHOD(void, set_window_title, (AL_CONST char *name)); */
   NULL,  /* AL_METHOD(int, set_close_button_callback, (AL_METHOD(void, proc, (void)))); */
   web_message,
   NULL,  /* AL_METHOD(void, assert, (AL_CONST char *msg)); */
   NULL,  /* AL_METHOD(void, save_console_state, (void)); */
   NULL,  /* AL_METHOD(void, restore_console_state, (void)); */
   NULL,  /* AL_METHOD(struct BITMAP *, create_bitmap, (int color_depth, int width, int height)); */
   NULL,  /* AL_METHOD(void, created_bitmap, (struct BITMAP *bmp)); */
   NULL,  /* AL_METHOD(struct BITMAP *, create_sub_bitmap, (struct BITMAP *parent, int x, int y, int width, int height)); */
   NULL,  /* AL_METHOD(void, created_sub_bitmap, (struct BITMAP *bmp, struct BITMAP *parent)); */
   NULL,  /* AL_METHOD(int, destroy_bitmap, (struct BITMAP *bitmap)); */
   NULL,  /* AL_METHOD(void, read_hardware_palette, (void)); */
   NULL,  /* AL_METHOD(void, set_palette_range, (AL_CONST struct RGB *p, int from, int to, int retracesync)); */
   NULL,  /* AL_METHOD(struct GFX_VTABLE *, get_vtable, (int color_depth)); */
   web_set_display_switch_mode,
   NULL,  /* AL_METHOD(void, display_switch_lock, (int lock, int foreground)); */
   web_desktop_color_depth,
   NULL,  /* AL_METHOD(int, get_desktop_resolution, (int *width, int *height)); */
   web_get_gfx_safe_mode,
   NULL,  /* AL_METHOD(void, yield_timeslice, (void)); rest(0) sleeps, called directly */
   NULL,  /* AL_METHOD(void *, create_mutex, (void)); */
   NULL,  /* AL_METHOD(void, destroy_mutex, (void *handle)); */
   NULL,  /* AL_METHOD(void, lock_mutex, (void *handle)); */
   NULL,  /* AL_METHOD(void, unlock_mutex, (void *handle)); */
   NULL,  /* AL_METHOD(_DRIVER_INFO *, gfx_drivers, (void)); */
   NULL,  /* AL_METHOD(_DRIVER_INFO *, digi_drivers, (void)); */
   NULL,  /* AL_METHOD(_DRIVER_INFO *, midi_drivers, (void)); */
   NULL,  /* AL_METHOD(_DRIVER_INFO *, keyboard_drivers, (void)); */
   NULL,  /* AL_METHOD(_DRIVER_INFO *, mouse_drivers, (void)); */
   NULL,  /* AL_METHOD(_DRIVER_INFO *, joystick_drivers, (void)); */
   NULL   /* AL_METHOD(_DRIVER_INFO *, timer_drivers, (void)); */
};



static int foreground = TRUE;   /* as the program was last told */
static int away = FALSE;        /* as the page last said */
static int absences = 0;        /* times the page went away */
static int absences_seen = 0;   /* of which the program was told */



EM_JS(int, web_page_is_away, (void), {
   return document.hidden || !document.hasFocus();
});



/* Away is hidden (another tab, a minimised window, a locked phone), without
 * the keyboard's focus (a host's frame not clicked yet, another window in
 * front), frozen or put in the back-forward cache: the page says so as it
 * goes, though the program sleeps all that time.
 */
EM_JS(void, web_page_listen, (void), {
   function look(event) {
      var gone = (event.type === 'pagehide') || (event.type === 'freeze');
      __al_web_page_changed(gone || document.hidden || !document.hasFocus());
   }
   var listening = [[document, 'visibilitychange'], [document, 'freeze'], [document, 'resume'],
                    [window, 'focus'], [window, 'blur'], [window, 'pagehide'], [window, 'pageshow']];
   listening.forEach(function(l) { l[0].addEventListener(l[1], look); });
   Module['allegroPage'] = { look: look, listening: listening };
});



EM_JS(void, web_page_unlisten, (void), {
   var page = Module['allegroPage'];
   if (page)
      page.listening.forEach(function(l) { l[0].removeEventListener(l[1], page.look); });
   Module['allegroPage'] = null;
});



/* The page may ask to be told, to say so. */
EM_JS(void, web_tell_page, (int away), {
   if (Module['onDisplaySwitch'])
      Module['onDisplaySwitch'](!away);
});



/* A browser may change the focus without an event (a frame's, a window
 * manager's): while the program waits for the page, it also looks.
 */
EM_ASYNC_JS(void, web_wait_for_page, (double poll), {
   await new Promise(function(resolve) {
      var timer = setInterval(look, poll);
      function look() {
         if (document.hidden || !document.hasFocus())
            return;
         clearInterval(timer);
         window.removeEventListener('focus', look);
         document.removeEventListener('visibilitychange', look);
         resolve();
      }
      window.addEventListener('focus', look);
      document.addEventListener('visibilitychange', look);
   });
});



/* _al_web_page_changed:
 *  The page's listeners call it as it goes away or comes back. A program
 *  held while its page is away does not count the time away.
 */
EMSCRIPTEN_KEEPALIVE void _al_web_page_changed(int now_away)
{
   if (now_away && !away) {
      absences++;
      if (get_display_switch_mode() == SWITCH_PAUSE)
         _al_web_stop_clock(emscripten_get_now());
   }
   else if (!now_away && away) {
      _al_web_start_clock(emscripten_get_now());
   }

   away = now_away;
}



/* switch_out:
 *  As on Windows: the program's callbacks run and every key is let go, for
 *  the page gets no key-up while away.
 */
static void switch_out(void)
{
   foreground = FALSE;
   _al_web_release_keys();
   web_tell_page(TRUE);
   _switch_out();
}



static void switch_in(void)
{
   foreground = TRUE;
   web_tell_page(FALSE);
   _switch_in();
}



/* web_sys_sleep:
 *  After every sleep, the only time the page can have changed: an absence
 *  that began and ended within the sleep is a switch out and in. In the
 *  modes that pause, the program is held while its page is away.
 */
static void web_sys_sleep(int phase)
{
   if (phase != WEB_AFTER_SLEEP)
      return;

   _al_web_page_changed(web_page_is_away());
   if ((absences != absences_seen) && foreground)
      switch_out();
   absences_seen = absences;

   if (away && (get_display_switch_mode() == SWITCH_PAUSE)) {
      web_wait_for_page(PAGE_POLL_MS);
      _al_web_page_changed(FALSE);
   }

   if (!away && !foreground)
      switch_in();
}



static int web_sys_init(void)
{
   os_type = OSTYPE_UNKNOWN;
   foreground = TRUE;
   away = FALSE;
   absences = absences_seen = 0;
   web_page_listen();
   _al_web_register_sleep_func(web_sys_sleep);
   return 0;
}



static void web_sys_exit(void)
{
   _al_web_unregister_sleep_func(web_sys_sleep);
   web_page_unlisten();
}



/* web_message:
 *  Goes to the browser's console, as stderr does, a line at a time: ended,
 *  as X11's driver ends it, so that it is not kept waiting for more.
 */
static void web_message(AL_CONST char *msg)
{
   fputs(msg, stderr);
   if ((!*msg) || (msg[strlen(msg) - 1] != '\n'))
      fputc('\n', stderr);
}



/* web_set_display_switch_mode:
 *  A page away can hold the program (SWITCH_PAUSE, the default) or let it
 *  run on (SWITCH_BACKGROUND); its screen is never lost.
 */
static int web_set_display_switch_mode(int mode)
{
   return ((mode == SWITCH_PAUSE) || (mode == SWITCH_BACKGROUND)) ? 0 : -1;
}



static int web_desktop_color_depth(void)
{
   return WEB_DESKTOP_DEPTH;
}



/* web_get_gfx_safe_mode:
 *  As X11's: the page's canvas at the smallest of the classic modes.
 */
static void web_get_gfx_safe_mode(int *driver, struct GFX_MODE *mode)
{
   *driver = GFX_WEB;
   mode->width = SAFE_MODE_W;
   mode->height = SAFE_MODE_H;
   mode->bpp = SAFE_MODE_DEPTH;
}
