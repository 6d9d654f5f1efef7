/* The calls hold.h puts in an example's place. The points to hold at come as
 * " function count ..." (the nth call of keypressed, readkey or vsync; ureadkey
 * counts as readkey), from EXAMPLE_HOLDS on the desktop and Module.holds in a
 * browser. Held, the program says so on stdout and sleeps until a key goes
 * down, which the call then sees, and says it goes on: a tap's key should be
 * let go only then, as a tap may come and go between two looks at the keys.
 * A key let go, as the end of a tap that let the last hold go, lets none go.
 */
#include <stdio.h>
#include <string.h>
#include <allegro.h>
#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

#define HOLD_LOOK_MS 10
#define HOLDS_SIZE 512
#define POINT_SIZE 64
/* The C standard's own example of rand(), from the same seed everywhere. */
#define RANDOM_SEED 1u
#define RANDOM_MULTIPLIER 1103515245u
#define RANDOM_INCREMENT 12345u
#define RANDOM_SHIFT 16
#define RANDOM_MASK 0x7fff

static unsigned random_state = RANDOM_SEED;
static int keypressed_calls, readkey_calls, vsync_calls;

static void hold(const char *function, int *calls)
{
   static char holds[HOLDS_SIZE];
   char point[POINT_SIZE], keys_before[KEY_MAX];
   int k;

   if (!holds[0]) {
#ifdef __EMSCRIPTEN__
      const char *given = emscripten_run_script_string("Module.holds || ''");
#else
      const char *given = getenv("EXAMPLE_HOLDS") ? getenv("EXAMPLE_HOLDS") : "";
#endif
      snprintf(holds, sizeof(holds), " %s ", given);
   }
   snprintf(point, sizeof(point), " %s %d ", function, ++*calls);
   if (!strstr(holds, point))
      return;
   printf("held %s %d\n", function, *calls);
   fflush(stdout);
   for (;;) {
      memcpy(keys_before, (const char *)key, KEY_MAX);
      rest(HOLD_LOOK_MS);
      /* A program that polls the keyboard sees its keys change only so. */
      if (keyboard_needs_poll())
         poll_keyboard();
      for (k = 0; k < KEY_MAX; k++) {
         if (key[k] && !keys_before[k]) {
            printf("let go %s %d\n", function, *calls);
            fflush(stdout);
            return;
         }
      }
   }
}

int hold_rand(void)
{
   random_state = random_state * RANDOM_MULTIPLIER + RANDOM_INCREMENT;
   return (random_state >> RANDOM_SHIFT) & RANDOM_MASK;
}

int hold_keypressed(void)
{
   hold("keypressed", &keypressed_calls);
   return keypressed();
}

int hold_readkey(void)
{
   hold("readkey", &readkey_calls);
   return readkey();
}

int hold_ureadkey(int *scancode)
{
   hold("readkey", &readkey_calls);
   return ureadkey(scancode);
}

void hold_vsync(void)
{
   hold("vsync", &vsync_calls);
   vsync();
}

/* A frame a look at the keys, in the examples that time theirs by retrace_count. */
int hold_frames(void)
{
   return keypressed_calls;
}
