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

#ifdef __cplusplus
   extern "C" {
#endif


/* The desktop's depth: the canvas holds 32-bit colour. */
#define WEB_DESKTOP_DEPTH   32


/* The sleep (webwait.c). A browser runs the page's events and paints only
 * while the program sleeps. Each function registered is called with one of
 * these as the program goes to sleep, wakes from a sleep, and gets control
 * back from the library; it must not sleep itself.
 */
#define WEB_BEFORE_SLEEP    0
#define WEB_AFTER_SLEEP     1
#define WEB_WAKING          2

AL_FUNC(int, _al_web_register_sleep_func, (AL_METHOD(void, func, (int phase))));
AL_FUNC(void, _al_web_unregister_sleep_func, (AL_METHOD(void, func, (int phase))));

/* Sleeps once, until the time given on the program's clock or, if that has
 * passed, only while the page runs; FALSE if the clock stood still meanwhile,
 * as the page went away, and the time has not come.
 */
AL_FUNC(int, _al_web_sleep_until, (double deadline));
/* The program gets control back: a key seen down since stays so till now. */
AL_FUNC(void, _al_web_wake, (void));
/* Sleeps once if the program has not slept for a while: for its polls. */
AL_FUNC(void, _al_web_let_page_run, (void));

/* The program's clock, in milliseconds: the page's, stopped while the
 * program is held (websys.c) as its page is away.
 */
AL_FUNC(double, _al_web_now, (void));
AL_FUNC(void, _al_web_stop_clock, (double at));
AL_FUNC(void, _al_web_start_clock, (double at));

/* What the library calls directly, where other platforms call their
 * drivers through pointers: the build follows a sleep only through direct
 * calls (allegro-web.patch).
 */
AL_FUNC(void, _al_web_rest, (unsigned int time, AL_METHOD(void, callback, (void))));
AL_FUNC(void, _al_web_vsync, (void));

/* Keys held for the program: a key stays down at least until the program
 * has woken once since it went down (webhold.c).
 */
AL_FUNC(void, _al_web_hold_init, (void));
AL_FUNC(void, _al_web_hold_exit, (void));
AL_FUNC(void, _al_web_key_down, (int scancode, int character));
AL_FUNC(void, _al_web_key_up, (int scancode));
AL_FUNC(int, _al_web_key_is_down, (int scancode));
AL_FUNC(void, _al_web_release_keys, (void));

/* The scancode of a key's place, by the browser's name for it, or 0 (webcode.c). */
AL_FUNC(int, _al_web_scancode_of, (AL_CONST char *code));

/* Touches on the page's elements that name keys, as those keys (webtouch.c). */
AL_FUNC(void, _al_web_touch_init, (void));
AL_FUNC(void, _al_web_touch_exit, (void));

/* What the page's listeners call, by these names, as events come. The
 * page's modifier keys and locks come as these bits.
 */
#define WEB_SHIFT           0x01
#define WEB_CTRL            0x02
#define WEB_ALT             0x04
#define WEB_META            0x08
#define WEB_ALTGRAPH        0x10
#define WEB_CAPSLOCK        0x20
#define WEB_NUMLOCK         0x40
#define WEB_SCROLLLOCK      0x80

/* A key went down or up: its place and name are in the buffers the
 * keyboard driver gave its listener. TRUE if the browser is to leave it be.
 */
AL_FUNC(int, _al_web_key, (int down, int modifiers));
/* The fingers now on the index-th element that names keys. */
AL_FUNC(void, _al_web_touch, (int index, int fingers));
/* The page went away (hidden, frozen, without the keyboard's focus) or came back. */
AL_FUNC(void, _al_web_page_changed, (int away));
/* The canvas was dropped and given back blank. */
AL_FUNC(void, _al_web_canvas_restored, (void));

#ifdef __cplusplus
   }
#endif

#endif
