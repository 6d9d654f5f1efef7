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
 *      Graphics driver for the web: the screen is a memory bitmap, at any
 *      of the library's depths and as large as the virtual screen asked for,
 *      of which the page's canvas shows the visible part.
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
#define OPAQUE            0xFF000000u

/* Rows or columns that did not change, this many or fewer, are copied with
 * those around them: a copy of its own costs more.
 */
#define GAP_TO_BRIDGE     16

/* Rows are compared this many bytes at a time. */
#define CHUNK             8

/* How long vsync() rests between looks at the retrace count, as on X11. */
#define VSYNC_REST_MS     1


static BITMAP *web_gfx_init(int w, int h, int v_w, int v_h, int color_depth);
static void web_gfx_exit(BITMAP *bmp);
static int web_scroll(int x, int y);
static void web_set_palette(AL_CONST RGB *p, int from, int to, int retracesync);


/* The same canvas, for programs that ask for a window and for those that
 * ask for the whole screen: the page decides how large it shows it.
 */
#define WEB_GFX_DRIVER(id, name, windowed)                                    \
{                                                                             \
   id, empty_string, empty_string, name,                                      \
   web_gfx_init,                                                              \
   web_gfx_exit,                                                              \
   web_scroll,                                                                \
   _al_web_vsync,                                                             \
   web_set_palette,                                                           \
   NULL, NULL, NULL,             /* request_scroll, poll_scroll, enable_triple_buffer */ \
   NULL, NULL, NULL, NULL,       /* video bitmaps */                          \
   NULL, NULL,                   /* system bitmaps */                         \
   NULL, NULL, NULL, NULL,       /* hardware mouse cursor */                  \
   NULL,                         /* drawing_mode */                           \
   NULL, NULL,                   /* save_video_state, restore_video_state */  \
   NULL,                         /* set_blender_mode */                       \
   NULL,                         /* fetch_mode_list */                        \
   0, 0,                         /* physical (not virtual!) screen size */    \
   TRUE,                         /* true if video memory is linear */         \
   0,                            /* bank size, in bytes */                    \
   0,                            /* bank granularity, in bytes */             \
   0,                            /* video memory size, in bytes */            \
   0,                            /* physical address of video memory */       \
   windowed                      /* true if driver runs windowed */           \
}

GFX_DRIVER gfx_web = WEB_GFX_DRIVER(GFX_WEB, "Web canvas", TRUE);
GFX_DRIVER gfx_web_fullscreen = WEB_GFX_DRIVER(GFX_WEB_FULLSCREEN, "Web canvas, full screen", FALSE);


static BITMAP *web_screen = NULL;
static int pixel_bytes;                      /* of the screen */
static int screen_pitch, screen_rows;        /* as made: a program may change its w and h */
static int view_w, view_h;                   /* the visible part, which the canvas shows */
static int view_x, view_y;                   /* and where it starts */
static int show_all;                         /* the canvas needs all of it again */
static unsigned char *shown = NULL;          /* the visible part as the canvas shows it */
static uint32_t *converted = NULL;           /* the same at 32 bits, for the other depths */
static uint32_t *canvas_pixels = NULL;       /* the same, as the canvas takes them */
static char *row_written = NULL;             /* since the canvas last showed the screen */
static char *column_changed = NULL;          /* in the band of rows being copied */
static COLORCONV_BLITTER_FUNC *to_32_bits = NULL;



/* Desynchronized, the canvas's changes reach the screen by a shorter way
 * where the browser has one: Chromium spends about a quarter less on a
 * game's frames so. A canvas that the browser dropped (a lost GPU, a tab
 * in the background on Android) comes back blank: it is shown all again.
 */
EM_JS(void, web_canvas_open, (int w, int h, uint32_t *pixels), {
   var canvas = Module['canvas'];
   var context;

   canvas.width = w;
   canvas.height = h;
   context = canvas.getContext('2d', { alpha: false, desynchronized: true });
   context.fillStyle = '#000';
   context.fillRect(0, 0, w, h);
   Module['allegroScreen'] = {
      canvas: canvas,
      context: context,
      image: new ImageData(new Uint8ClampedArray(HEAPU8.buffer, pixels, w * h * 4), w, h),
      restored: function() { __al_web_canvas_restored(); }
   };
   canvas.addEventListener('contextrestored', Module['allegroScreen'].restored);
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
   var screen = Module['allegroScreen'];
   if (screen)
      screen.canvas.removeEventListener('contextrestored', screen.restored);
   Module['allegroScreen'] = null;
});



EMSCRIPTEN_KEEPALIVE void _al_web_canvas_restored(void)
{
   show_all = TRUE;
}



/* set_pixel_format:
 *  The library's pixels laid out as X11's driver lays them out for a 32-bit
 *  display, so that the library's converters give the same colours: every
 *  depth becomes 0xRRGGBB on its way to the canvas.
 */
static void set_pixel_format(void)
{
   _rgb_r_shift_15 = 10;
   _rgb_g_shift_15 = 5;
   _rgb_b_shift_15 = 0;
   _rgb_r_shift_16 = 11;
   _rgb_g_shift_16 = 5;
   _rgb_b_shift_16 = 0;
   _rgb_r_shift_24 = _rgb_r_shift_32 = 16;
   _rgb_g_shift_24 = _rgb_g_shift_32 = 8;
   _rgb_b_shift_24 = _rgb_b_shift_32 = 0;
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



static unsigned char *view_row(int y)
{
   return web_screen->line[view_y + y] + view_x * pixel_bytes;
}



/* mark_columns:
 *  Marks the columns of the pixels in a span of a row's bytes.
 */
static int mark_columns(int from, int size)
{
   int last = (from + size - 1) / pixel_bytes;
   int x;

   for (x = from / pixel_bytes; x <= last; x++)
      column_changed[x] = TRUE;

   return TRUE;
}



/* mark_changed_columns:
 *  Marks the columns where a row of the visible part differs from what the
 *  canvas shows, comparing a few pixels at a time, and says whether there
 *  were any.
 */
static int mark_changed_columns(int y)
{
   int row_bytes = view_w * pixel_bytes;
   int whole = row_bytes - row_bytes % CHUNK;
   unsigned char *now = view_row(y);
   unsigned char *was = shown + y * row_bytes;
   uint64_t now_chunk, was_chunk;
   int changed = FALSE;
   int at;

   for (at = 0; at < whole; at += CHUNK) {
      memcpy(&now_chunk, now + at, CHUNK);
      memcpy(&was_chunk, was + at, CHUNK);
      if (now_chunk != was_chunk)
         changed = mark_columns(at, CHUNK);
   }

   if ((whole < row_bytes) && memcmp(now + whole, was + whole, row_bytes - whole))
      changed = mark_columns(whole, row_bytes - whole);

   return changed;
}



/* show_rectangle:
 *  Copies a rectangle of the visible part to the canvas, by way of 32 bits.
 */
static void show_rectangle(int left, int top, int right, int bottom)
{
   GRAPHICS_RECT from, to;
   uint32_t *row, pixel;
   int w = right - left + 1, h = bottom - top + 1;
   int x, y;

   for (y = top; y <= bottom; y++)
      memcpy(shown + (y * view_w + left) * pixel_bytes, view_row(y) + left * pixel_bytes, w * pixel_bytes);

   if (to_32_bits) {
      from.width = to.width = w;
      from.height = to.height = h;
      from.pitch = screen_pitch;
      from.data = view_row(top) + left * pixel_bytes;
      to.pitch = view_w * sizeof(uint32_t);
      to.data = converted + top * view_w + left;
      to_32_bits(&from, &to);
   }

   for (y = top; y <= bottom; y++) {
      row = to_32_bits ? converted + y * view_w : (uint32_t *)view_row(y);
      for (x = left; x <= right; x++) {
         pixel = row[x];
         canvas_pixels[y * view_w + x] = OPAQUE | ((pixel & 0xFF) << 16) | (pixel & 0xFF00) | ((pixel >> 16) & 0xFF);
      }
   }

   web_canvas_show(left, top, w, h);
}



/* show_band:
 *  Copies to the canvas what changed in a band of rows, as one rectangle for
 *  each run of changed columns; a run goes on over a gap of fewer columns.
 */
static void show_band(int top, int bottom)
{
   int left, right, x;

   for (left = 0; left < view_w; left = right + 1) {
      while ((left < view_w) && (!column_changed[left]))
         left++;
      if (left == view_w)
         break;
      for (right = left, x = left + 1; (x < view_w) && (x - right <= GAP_TO_BRIDGE); x++) {
         if (column_changed[x])
            right = x;
      }
      show_rectangle(left, top, right, bottom);
   }

   memset(column_changed, 0, view_w);
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

   if (show_all) {
      show_all = FALSE;
      memset(column_changed, TRUE, view_w);
      show_band(0, view_h - 1);
   }

   for (y = 0; y < view_h; y++) {
      if ((top >= 0) && (y - bottom > GAP_TO_BRIDGE)) {
         show_band(top, bottom);
         top = -1;
      }
      if (!row_written[view_y + y] || !mark_changed_columns(y))
         continue;
      if (top < 0)
         top = y;
      bottom = y;
   }

   if (top >= 0)
      show_band(top, bottom);
   memset(row_written, 0, screen_rows);
}



/* web_gfx_sleep:
 *  The browser paints while the program sleeps: what it shows then is the
 *  screen as the program left it.
 */
static void web_gfx_sleep(int phase)
{
   if (phase == WEB_BEFORE_SLEEP)
      present();
}



static BITMAP *web_gfx_init(int w, int h, int v_w, int v_h, int color_depth)
{
   void *pixels;

   if ((color_depth != 8) && (color_depth != 15) && (color_depth != 16) && (color_depth != 24) &&
       (color_depth != 32)) {
      ustrzcpy(allegro_error, ALLEGRO_ERROR_SIZE, get_config_text("Unsupported color depth"));
      return NULL;
   }

   v_w = MAX(w, v_w);
   v_h = MAX(h, v_h);
   pixel_bytes = BYTES_PER_PIXEL(color_depth);
   set_pixel_format();
   if (color_depth != 32)
      to_32_bits = _get_colorconv_blitter(color_depth, 32);

   pixels = _AL_MALLOC_ATOMIC(v_w * v_h * pixel_bytes);
   shown = _AL_MALLOC_ATOMIC(w * h * pixel_bytes);
   converted = _AL_MALLOC_ATOMIC(w * h * sizeof(uint32_t));
   canvas_pixels = _AL_MALLOC_ATOMIC(w * h * CANVAS_BYTES);
   row_written = _AL_MALLOC_ATOMIC(v_h);
   column_changed = _AL_MALLOC_ATOMIC(w);
   if ((!pixels) || (!shown) || (!converted) || (!canvas_pixels) || (!row_written) || (!column_changed) ||
       ((color_depth != 32) && (!to_32_bits))) {
      _AL_FREE(pixels);
      web_gfx_exit(NULL);
      ustrzcpy(allegro_error, ALLEGRO_ERROR_SIZE, get_config_text("Not enough memory"));
      return NULL;
   }

   /* Black, as the canvas starts. */
   memset(pixels, 0, v_w * v_h * pixel_bytes);
   memset(shown, 0, w * h * pixel_bytes);
   memset(row_written, 0, v_h);
   memset(column_changed, 0, w);
   view_w = w;
   view_h = h;
   screen_pitch = v_w * pixel_bytes;
   screen_rows = v_h;
   view_x = view_y = 0;
   show_all = FALSE;

   web_screen = _make_bitmap(v_w, v_h, (uintptr_t)pixels, gfx_driver, color_depth, v_w * pixel_bytes);
   if (!web_screen) {
      _AL_FREE(pixels);
      web_gfx_exit(NULL);
      return NULL;
   }
   web_screen->write_bank = web_write_line;

   gfx_driver->w = w;
   gfx_driver->h = h;
   gfx_driver->vid_mem = v_w * v_h * pixel_bytes;
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

   if (to_32_bits)
      _release_colorconv_blitter(to_32_bits);
   _AL_FREE(shown);
   _AL_FREE(converted);
   _AL_FREE(canvas_pixels);
   _AL_FREE(row_written);
   _AL_FREE(column_changed);
   to_32_bits = NULL;
   shown = NULL;
   converted = NULL;
   canvas_pixels = NULL;
   row_written = NULL;
   column_changed = NULL;
   web_screen = NULL;
   web_canvas_close();
}



/* web_scroll:
 *  Moves the visible part of a larger virtual screen, which the library
 *  has kept inside it.
 */
static int web_scroll(int x, int y)
{
   view_x = x;
   view_y = y;
   show_all = TRUE;
   return 0;
}



/* web_set_palette:
 *  At 8 bits, the same pixels may now show other colours.
 */
static void web_set_palette(AL_CONST RGB *p, int from, int to, int retracesync)
{
   (void)retracesync;  /* set_palette() has waited already */
   _set_colorconv_palette(p, from, to);
   show_all = TRUE;
}



/* _al_web_vsync:
 *  As on X11, where there is no retrace to wait for either: it rests until
 *  the library's retrace count, which its timers keep, goes on. vsync()
 *  calls it directly, and so does set_palette() at 8 bits when asked to
 *  wait: the build follows a sleep only through direct calls.
 */
void _al_web_vsync(void)
{
   int last = retrace_count;

   if (_timer_installed) {
      while (retrace_count == last)
         _al_web_sleep_until(_al_web_now() + VSYNC_REST_MS);
   }
   else {
      _al_web_sleep_until(_al_web_now());
   }

   _al_web_wake();
}
