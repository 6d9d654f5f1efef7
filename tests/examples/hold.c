/* What hold.h calls in an example. The points to hold at come as "function
 * count ..." (the count-th call of keypressed, readkey or vsync; ureadkey
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

int hold_keypressed_calls, hold_readkey_calls, hold_vsync_calls;
static unsigned random_state = RANDOM_SEED;

void hold_at(const char *function, int count)
{
   static char holds[HOLDS_SIZE];
   char point[POINT_SIZE], keys_before[KEY_MAX];
   int k, went_down = FALSE;

   if (!holds[0]) {
#ifdef __EMSCRIPTEN__
      const char *given = emscripten_run_script_string("Module.holds || ''");
#else
      const char *given = getenv("EXAMPLE_HOLDS") ? getenv("EXAMPLE_HOLDS") : "";
#endif
      snprintf(holds, sizeof(holds), " %s ", given);
   }
   snprintf(point, sizeof(point), " %s %d ", function, count);
   if (!strstr(holds, point))
      return;
   printf("held %s %d\n", function, count);
   fflush(stdout);
   while (!went_down) {
      memcpy(keys_before, (const char *)key, KEY_MAX);
      rest(HOLD_LOOK_MS);
      /* A program that polls the keyboard sees its keys change only so. */
      if (keyboard_needs_poll())
         poll_keyboard();
      for (k = 0; k < KEY_MAX; k++)
         went_down |= key[k] && !keys_before[k];
   }
   printf("let go %s %d\n", function, count);
   fflush(stdout);
}

int hold_rand(void)
{
   random_state = random_state * RANDOM_MULTIPLIER + RANDOM_INCREMENT;
   return (random_state >> RANDOM_SHIFT) & RANDOM_MASK;
}
