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
 *      Drivers of the web platform.
 *
 *      By the Quorvelin authors.
 *
 *      Under the MIT licence, as the rest of Quorvelin: see its LICENSE.
 */


#ifndef ALWEB_H
#define ALWEB_H

#ifndef ALLEGRO_WEB
   #error bad include
#endif


#define SYSTEM_WEB              AL_ID('W','E','B',' ')
AL_VAR(SYSTEM_DRIVER, system_web);

#define TIMER_WEB               AL_ID('W','E','B','T')
AL_VAR(TIMER_DRIVER, timer_web);

#define KEYBOARD_WEB            AL_ID('W','E','B','K')
AL_VAR(KEYBOARD_DRIVER, keyboard_web);

#define GFX_WEB                 AL_ID('W','E','B','G')
AL_VAR(GFX_DRIVER, gfx_web);

#define GFX_WEB_FULLSCREEN      AL_ID('W','E','B','F')
AL_VAR(GFX_DRIVER, gfx_web_fullscreen);

#endif
