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
#define PAGE_POLL_MS   250


static int web_sys_init(void);
static void web_sys_exit(void);
static void web_message(AL_CONST char *msg);
static int web_set_display_switch_mode(int mode);
static int web_desktop_color_depth(void);


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
   NULL,  /* AL_METHOD(void, get_gfx_safe_mode, (int *driver, struct GFX_MODE *mode)); */
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



static int foreground = TRUE;



static int web_sys_init(void)
{
   os_type = OSTYPE_UNKNOWN;
   foreground = TRUE;
   return 0;
}



static void web_sys_exit(void)
{
}



/* web_message:
 *  Goes to the browser's console, as stderr does.
 */
static void web_message(AL_CONST char *msg)
{
   fputs(msg, stderr);
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
   return WEB_COLOR_DEPTH;
}



/* Away is hidden (another tab, a minimised window, a locked phone) or
 * without the keyboard's focus (a host's frame not clicked yet, another
 * window in front). The page may ask to be told, to say so.
 */
EM_JS(int, web_page_is_away, (void), {
   return document.hidden || !document.hasFocus();
});



EM_JS(void, web_tell_page, (int away), {
   if (Module['onDisplaySwitch'])
      Module['onDisplaySwitch'](!away);
});



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



/* _al_web_handle_switch:
 *  Called after every sleep, the only time the page can have changed.
 */
int _al_web_handle_switch(void)
{
   int away = web_page_is_away();

   if (away && foreground)
      switch_out();
   else if (!away && !foreground)
      switch_in();

   if (foreground || (get_display_switch_mode() != SWITCH_PAUSE))
      return FALSE;

   web_wait_for_page(PAGE_POLL_MS);
   switch_in();
   return TRUE;
}
