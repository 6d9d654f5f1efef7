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
 *      Internal definitions of the web platform.
 *
 *      By the Quorvelin authors.
 *
 *      Under the MIT licence, as the rest of Quorvelin: see its LICENSE.
 */


#ifndef AINTWEB_H
#define AINTWEB_H


/* The screen's and the desktop's depth: the canvas holds 32-bit colour. */
#define WEB_COLOR_DEPTH   32


/* The sleep (webwait.c). A browser runs the page's events and paints only
 * while the program sleeps: each function registered is called just before
 * every sleep with FALSE, and just after it with TRUE. It must not sleep.
 */
AL_FUNC(int, _al_web_register_sleep_func, (AL_METHOD(void, func, (int woken))));
AL_FUNC(void, _al_web_unregister_sleep_func, (AL_METHOD(void, func, (int woken))));

/* Sleeps until the time given, in milliseconds of emscripten_get_now(). */
AL_FUNC(void, _al_web_sleep_until, (double deadline));

/* The timer's rest, which rest_callback() calls directly (webtimer.c). */
AL_FUNC(void, _al_web_rest, (unsigned int time, AL_METHOD(void, callback, (void))));

/* Switches out or in as the page went away or came back, and in the modes
 * that pause, holds the program while it is away: TRUE if it did (websys.c).
 */
AL_FUNC(int, _al_web_handle_switch, (void));

/* Keys held for the program: a key stays down at least until the program
 * has woken once since it went down (webhold.c).
 */
AL_FUNC(void, _al_web_hold_init, (void));
AL_FUNC(void, _al_web_hold_exit, (void));
AL_FUNC(void, _al_web_key_down, (int scancode, int character));
AL_FUNC(void, _al_web_key_up, (int scancode));
AL_FUNC(void, _al_web_release_keys, (void));

/* The scancode of a key's place, by the browser's name for it, or 0 (webcode.c). */
AL_FUNC(int, _al_web_scancode_of, (AL_CONST char *code));

/* Touches on the page's elements that name keys, as those keys (webtouch.c). */
AL_FUNC(void, _al_web_touch_init, (void));
AL_FUNC(void, _al_web_touch_exit, (void));
AL_FUNC(void, _al_web_touch, (int index, int touched));

#endif
