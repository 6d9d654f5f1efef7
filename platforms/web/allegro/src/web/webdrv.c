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
 *      Driver lists for the web platform.
 *
 *      By the Quorvelin authors.
 *
 *      Under the MIT licence, as the rest of Quorvelin: see its LICENSE.
 */


#include "allegro.h"
#include "allegro/internal/aintern.h"

#ifndef ALLEGRO_WEB
   #error something is wrong with the makefile
#endif


_DRIVER_INFO _system_driver_list[] =
{
   {  SYSTEM_WEB,       &system_web,         TRUE  },
   {  SYSTEM_NONE,      &system_none,        FALSE },
   {  0,                NULL,                0     }
};


_DRIVER_INFO _keyboard_driver_list[] =
{
   {  KEYBOARD_WEB,     &keyboard_web,       TRUE  },
   {  0,                NULL,                0     }
};


_DRIVER_INFO _timer_driver_list[] =
{
   {  TIMER_WEB,        &timer_web,          TRUE  },
   {  0,                NULL,                0     }
};


_DRIVER_INFO _mouse_driver_list[] =
{
   {  0,                NULL,                0     }
};


BEGIN_GFX_DRIVER_LIST
   {  GFX_WEB,          &gfx_web,            TRUE  },
   {  GFX_WEB_FULLSCREEN, &gfx_web_fullscreen, TRUE  },
END_GFX_DRIVER_LIST


BEGIN_DIGI_DRIVER_LIST
END_DIGI_DRIVER_LIST


BEGIN_MIDI_DRIVER_LIST
END_MIDI_DRIVER_LIST


BEGIN_JOYSTICK_DRIVER_LIST
END_JOYSTICK_DRIVER_LIST
