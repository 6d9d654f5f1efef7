/* Compiled in ahead of each of Allegro's examples, for the examples test: the
 * same random numbers on the desktop and in a browser (their C libraries'
 * rand() differ), retrace_count counting frames rather than time, and the
 * program held at the points of its run that the test names (hold.c), so
 * that both have drawn the same frames when their pictures are compared.
 * Within its own expansion a macro's name is the function's.
 */
#include <stdlib.h>
#include <allegro.h>

extern int hold_keypressed_calls, hold_readkey_calls, hold_vsync_calls;
void hold_at(const char *function, int count);
int hold_rand(void);

#define rand() hold_rand()
#define srand(seed) ((void)(seed))
#define keypressed() (hold_at("keypressed", ++hold_keypressed_calls), keypressed())
#define readkey() (hold_at("readkey", ++hold_readkey_calls), readkey())
#define ureadkey(scancode) (hold_at("readkey", ++hold_readkey_calls), ureadkey(scancode))
#define vsync() (hold_at("vsync", ++hold_vsync_calls), vsync())
/* A frame a look at the keys, in the examples that time theirs by it. */
#define retrace_count hold_keypressed_calls
