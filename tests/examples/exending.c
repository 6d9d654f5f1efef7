/* Not one of Allegro's examples but the port's own: a program that ends
 * through exit() with a message that has no newline of its own.
 */
#include <stdlib.h>
#include <allegro.h>

int main(void)
{
   if (allegro_init() != 0 || set_gfx_mode(GFX_AUTODETECT, 320, 200, 0, 0) != 0)
      return 1;
   allegro_message("ends with exit(3)");
   exit(3);
}
END_OF_MAIN()
