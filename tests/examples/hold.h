/* Compiled in ahead of each of Allegro's examples, for the examples test: the
 * same random numbers on the desktop and in a browser (their C libraries'
 * rand() differ), retrace_count counting frames rather than time, and the
 * program held at the points of its run that the test names (hold.c), so
 * that both have drawn the same frames when their pictures are compared.
 */
#include <stdlib.h>
#include <allegro.h>

int hold_rand(void);
int hold_keypressed(void);
int hold_readkey(void);
int hold_ureadkey(int *scancode);
void hold_vsync(void);
int hold_frames(void);

#define rand() hold_rand()
#define srand(seed) ((void)(seed))
#define keypressed() hold_keypressed()
#define readkey() hold_readkey()
#define ureadkey(scancode) hold_ureadkey(scancode)
#define vsync() hold_vsync()
#define retrace_count hold_frames()
