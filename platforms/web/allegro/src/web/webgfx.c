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
 *      See readme.txt for copyright information.
 */


#include <string.h>

#include "allegro.h"
#include "allegro/internal/aintern.h"
#include "allegro/platform/aintweb.h"

#ifndef ALLEGRO_WEB
   #error something is wrong with the makefile
#endif

#include <emscripten.h>


#define WEB_COLOR_DEPTH   32
#define CANVAS_BYTES      4      /* red, green, blue, alpha */
#define OPAQUE            255


static BITMAP *web_gfx_init(int w, int h, int v_w, int v_h, int color_depth);
static void web_gfx_exit(BITMAP *bmp);


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



EM_JS(void, web_canvas_open, (int w, int h, unsigned char *pixels), {
   var canvas = Module['canvas'];
   var context;

   canvas.width = w;
   canvas.height = h;
   context = canvas.getContext('2d', { alpha: false });
   context.fillStyle = '#000';
   context.fillRect(0, 0, w, h);
   Module['allegroScreen'] = {
      context: context,
      image: new ImageData(new Uint8ClampedArray(HEAPU8.buffer, pixels, w * h * 4), w, h)
   };
});



EM_JS(void, web_canvas_show, (int x, int y, int w, int h), {
   var screen = Module['allegroScreen'];
   screen.context.putImageData(screen.image, 0, 0, x, y, w, h);
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
   if ((!pixels) || (!shown) || (!canvas_pixels)) {
      _AL_FREE(pixels);
      web_gfx_exit(NULL);
      ustrzcpy(allegro_error, ALLEGRO_ERROR_SIZE, get_config_text("Not enough memory"));
      return NULL;
   }

   /* Black, as the canvas starts. */
   memset(pixels, 0, w * h * sizeof(uint32_t));
   memset(shown, 0, w * h * sizeof(uint32_t));

   web_screen = _make_bitmap(w, h, (uintptr_t)pixels, &gfx_web, color_depth, w * sizeof(uint32_t));
   if (!web_screen) {
      _AL_FREE(pixels);
      web_gfx_exit(NULL);
      return NULL;
   }

   gfx_web.w = w;
   gfx_web.h = h;
   gfx_web.vid_mem = w * h * sizeof(uint32_t);
   web_canvas_open(w, h, canvas_pixels);

   return web_screen;
}



static void web_gfx_exit(BITMAP *bmp)
{
   if (bmp)
      _AL_FREE(bmp->line[0]);

   _AL_FREE(shown);
   _AL_FREE(canvas_pixels);
   shown = NULL;
   canvas_pixels = NULL;
   web_screen = NULL;
   web_canvas_close();
}



/* row_changed:
 *  Whether a row of the screen differs from what the canvas shows.
 */
static int row_changed(int y)
{
   return memcmp(web_screen->line[y], shown + y * web_screen->w, web_screen->w * sizeof(uint32_t)) != 0;
}



/* _al_web_present:
 *  Copies to the canvas the one rectangle that holds what changed, since a
 *  frame of play changes little of a screen drawn again in whole.
 */
void _al_web_present(void)
{
   int w, top, bottom, left, right, x, y;

   if (!web_screen)
      return;

   w = web_screen->w;
   for (top = 0; (top < web_screen->h) && (!row_changed(top)); top++)
      ;
   if (top == web_screen->h)
      return;
   for (bottom = web_screen->h - 1; !row_changed(bottom); bottom--)
      ;

   left = w;
   right = -1;
   for (y = top; y <= bottom; y++) {
      uint32_t *now = (uint32_t *)web_screen->line[y];
      uint32_t *was = shown + y * w;

      for (x = 0; (x < left) && (now[x] == was[x]); x++)
         ;
      left = MIN(left, x);
      for (x = w - 1; (x > right) && (now[x] == was[x]); x--)
         ;
      right = MAX(right, x);
   }

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
