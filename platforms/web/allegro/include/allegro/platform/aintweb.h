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


/* Shows on the page's canvas what the screen changed since it last did. */
AL_FUNC(void, _al_web_present, (void));

/* Rests as rest_callback() does, without a timer installed too. */
AL_FUNC(void, _al_web_rest, (unsigned int time, AL_METHOD(void, callback, (void))));

/* Sleeps until the time given, in milliseconds of emscripten_get_now(). */
AL_FUNC(void, _al_web_sleep_until, (double deadline));

/* Sleeps until a key changes or the time given has passed. */
AL_FUNC(void, _al_web_wait_for_key, (double timeout));

/* Ends a wait for a key: a key changed. */
AL_FUNC(void, _al_web_wake, (void));

/* A key of the key array, read through the wait above (see alwebcfg.h). */
AL_FUNC(volatile char *, _al_web_read_key, (int scancode));

/* Lets go of every key held: the page is away and gets no key-ups. */
AL_FUNC(void, _al_web_release_keys, (void));

/* Touch, as keys: listens on the page's picture and pause control. */
AL_FUNC(void, _al_web_touch_init, (void));
AL_FUNC(void, _al_web_touch_exit, (void));

/* A touch key was read while down; the keys let go that may be. */
AL_FUNC(void, _al_web_touch_key_read, (int scancode));
AL_FUNC(void, _al_web_touch_let_go, (int all));

#endif
