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
 *      Graphics driver for the web: the screen is a memory bitmap that the page's canvas shows.
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


#define CANVAS_BYTES      4      /* red, green, blue, alpha */
#define OPAQUE            255

/* Rows or columns that did not change, this many or fewer, are copied with
 * those around them: a copy of its own costs more.
 */
#define GAP_TO_BRIDGE     16


static BITMAP *web_gfx_init(int w, int h, int v_w, int v_h, int color_depth);
static void web_gfx_exit(BITMAP *bmp);
static uintptr_t web_write_line(BITMAP *bmp, int line);
static void present(void);
static void web_gfx_sleep(int woken);


GFX_DRIVER gfx_web =
{
   GFX_WEB,
   empty_string,
   empty_string,
   "Web canvas",
   web_gfx_init,
   web_gfx_exit,
   NULL,                         /* AL_METHOD(int, scroll, (int x, int y)); */
   NULL,                         /* AL_METHOD(void, vsync, (void)); */
   NULL,                         /* AL_METHOD(void, set_palette, (AL_CONST struct RGB *p, int from, int to, int retracesync)); */
   NULL, NULL, NULL,             /* request_scroll, poll_scroll, enable_triple_buffer */
   NULL, NULL, NULL, NULL,       /* video bitmaps */
   NULL, NULL,                   /* system bitmaps */
   NULL, NULL, NULL, NULL,       /* hardware mouse cursor */
   NULL,                         /* AL_METHOD(void, drawing_mode, (void)); */
   NULL, NULL,                   /* save_video_state, restore_video_state */
   NULL,                         /* AL_METHOD(void, set_blender_mode, (int mode, int r, int g, int b, int a)); */
   NULL,                         /* AL_METHOD(GFX_MODE_LIST *, fetch_mode_list, (void)); */
   0, 0,                         /* physical (not virtual!) screen size */
   TRUE,                         /* true if video memory is linear */
   0,                            /* bank size, in bytes */
   0,                            /* bank granularity, in bytes */
   0,                            /* video memory size, in bytes */
   0,                            /* physical address of video memory */
   TRUE                          /* true if driver runs windowed */
};


static BITMAP *web_screen = NULL;
static uint32_t *shown = NULL;               /* the screen as the canvas shows it */
static unsigned char *canvas_pixels = NULL;  /* the same, as the canvas takes them */
static char *row_written = NULL;             /* since the canvas last showed the screen */
static char *column_changed = NULL;          /* in the band of rows being copied */



/* Desynchronized, the canvas's changes reach the screen by a shorter way
 * where the browser has one: Chromium spends about a quarter less on a
 * game's frames so.
 */
EM_JS(void, web_canvas_open, (int w, int h, unsigned char *pixels), {
   var canvas = Module['canvas'];
   var context;

   canvas.width = w;
   canvas.height = h;
   context = canvas.getContext('2d', { alpha: false, desynchronized: true });
   context.fillStyle = '#000';
   context.fillRect(0, 0, w, h);
   Module['allegroScreen'] = {
      context: context,
      image: new ImageData(new Uint8ClampedArray(HEAPU8.buffer, pixels, w * h * 4), w, h)
   };
});



/* The page may ask to hear of the first frame, to stop saying it loads. */
EM_JS(void, web_canvas_show, (int x, int y, int w, int h), {
   var screen = Module['allegroScreen'];
   screen.context.putImageData(screen.image, 0, 0, x, y, w, h);
   if (Module['onFirstFrame']) {
      Module['onFirstFrame']();
      Module['onFirstFrame'] = null;
   }
});



EM_JS(void, web_canvas_close, (void), {
   Module['allegroScreen'] = null;
});



static BITMAP *web_gfx_init(int w, int h, int v_w, int v_h, int color_depth)
{
   void *pixels;

   if (color_depth != WEB_COLOR_DEPTH) {
      ustrzcpy(allegro_error, ALLEGRO_ERROR_SIZE, get_config_text("Unsupported color depth"));
      return NULL;
   }

   if ((v_w > w) || (v_h > h)) {
      ustrzcpy(allegro_error, ALLEGRO_ERROR_SIZE, get_config_text("Unsupported virtual resolution"));
      return NULL;
   }

   pixels = _AL_MALLOC_ATOMIC(w * h * sizeof(uint32_t));
   shown = _AL_MALLOC_ATOMIC(w * h * sizeof(uint32_t));
   canvas_pixels = _AL_MALLOC_ATOMIC(w * h * CANVAS_BYTES);
   row_written = _AL_MALLOC_ATOMIC(h);
   column_changed = _AL_MALLOC_ATOMIC(w);
   if ((!pixels) || (!shown) || (!canvas_pixels) || (!row_written) || (!column_changed)) {
      _AL_FREE(pixels);
      web_gfx_exit(NULL);
      ustrzcpy(allegro_error, ALLEGRO_ERROR_SIZE, get_config_text("Not enough memory"));
      return NULL;
   }

   /* Black, as the canvas starts. */
   memset(pixels, 0, w * h * sizeof(uint32_t));
   memset(shown, 0, w * h * sizeof(uint32_t));
   memset(row_written, 0, h);

   web_screen = _make_bitmap(w, h, (uintptr_t)pixels, &gfx_web, color_depth, w * sizeof(uint32_t));
   if (!web_screen) {
      _AL_FREE(pixels);
      web_gfx_exit(NULL);
      return NULL;
   }
   web_screen->write_bank = web_write_line;

   gfx_web.w = w;
   gfx_web.h = h;
   gfx_web.vid_mem = w * h * sizeof(uint32_t);
   web_canvas_open(w, h, canvas_pixels);
   _al_web_register_sleep_func(web_gfx_sleep);

   return web_screen;
}



/* web_gfx_exit:
 *  The canvas keeps the last of the screen, as a window would till it goes.
 */
static void web_gfx_exit(BITMAP *bmp)
{
   _al_web_unregister_sleep_func(web_gfx_sleep);
   if (bmp) {
      present();
      _AL_FREE(bmp->line[0]);
   }

   _AL_FREE(shown);
   _AL_FREE(canvas_pixels);
   _AL_FREE(row_written);
   _AL_FREE(column_changed);
   shown = NULL;
   canvas_pixels = NULL;
   row_written = NULL;
   column_changed = NULL;
   web_screen = NULL;
   web_canvas_close();
}



/* web_write_line:
 *  The library asks for each row's address before it draws on it, which
 *  tells which rows may have changed, as on X11.
 */
static uintptr_t web_write_line(BITMAP *bmp, int line)
{
   row_written[line + bmp->y_ofs] = TRUE;
   return (uintptr_t)bmp->line[line];
}



/* mark_changed_columns:
 *  Marks the columns where a row of the screen differs from what the canvas
 *  shows, two at a time, and says whether there were any.
 */
static int mark_changed_columns(int y)
{
   uint32_t *now = (uint32_t *)web_screen->line[y];
   uint32_t *was = shown + y * web_screen->w;
   uint64_t now_two, was_two;
   int changed = FALSE;
   int x;

   for (x = 0; x + 1 < web_screen->w; x += 2) {
      memcpy(&now_two, now + x, sizeof(now_two));
      memcpy(&was_two, was + x, sizeof(was_two));
      if (now_two != was_two) {
         column_changed[x] = column_changed[x + 1] = TRUE;
         changed = TRUE;
      }
   }

   if ((x < web_screen->w) && (now[x] != was[x])) {
      column_changed[x] = TRUE;
      changed = TRUE;
   }

   return changed;
}



/* show_rectangle:
 *  Copies a rectangle of the screen to the canvas.
 */
static void show_rectangle(int left, int top, int right, int bottom)
{
   int w = web_screen->w;
   int x, y;

   for (y = top; y <= bottom; y++) {
      uint32_t *now = (uint32_t *)web_screen->line[y];
      unsigned char *to = canvas_pixels + (y * w + left) * CANVAS_BYTES;

      for (x = left; x <= right; x++, to += CANVAS_BYTES) {
         to[0] = getr32(now[x]);
         to[1] = getg32(now[x]);
         to[2] = getb32(now[x]);
         to[3] = OPAQUE;
      }
      memcpy(shown + y * w + left, now + left, (right - left + 1) * sizeof(uint32_t));
   }

   web_canvas_show(left, top, right - left + 1, bottom - top + 1);
}



/* show_band:
 *  Copies to the canvas what changed in a band of rows, as one rectangle for
 *  each run of changed columns; a run goes on over a gap of fewer columns.
 */
static void show_band(int top, int bottom)
{
   int w = web_screen->w;
   int left, right, x;

   for (left = 0; left < w; left = right + 1) {
      while ((left < w) && (!column_changed[left]))
         left++;
      if (left == w)
         break;
      for (right = left, x = left + 1; (x < w) && (x - right <= GAP_TO_BRIDGE); x++) {
         if (column_changed[x])
            right = x;
      }
      show_rectangle(left, top, right, bottom);
   }

   memset(column_changed, 0, w);
}



/* present:
 *  Copies to the canvas what changed since it last did, in one look at the
 *  rows written. A game's frame, though drawn again in whole, mostly changes
 *  only around what moves: a band of rows for each such place, and in it
 *  only the columns that changed. A band goes on over a gap of fewer rows.
 */
static void present(void)
{
   int top = -1, bottom = -1, y;

   if (!web_screen)
      return;

   for (y = 0; y < web_screen->h; y++) {
      if ((top >= 0) && (y - bottom > GAP_TO_BRIDGE)) {
         show_band(top, bottom);
         top = -1;
      }
      if (!row_written[y] || !mark_changed_columns(y))
         continue;
      if (top < 0)
         top = y;
      bottom = y;
   }

   if (top >= 0)
      show_band(top, bottom);
   memset(row_written, 0, web_screen->h);
}



/* web_gfx_sleep:
 *  The browser paints while the program sleeps: what it shows then is the
 *  screen as the program left it.
 */
static void web_gfx_sleep(int woken)
{
   if (!woken)
      present();
}
