/* The calls of Emscripten's that the web port makes, for a build of the port
 * on this machine that its test drives as a browser would: the JavaScript
 * in the port's source becomes functions the test defines, and the sleep
 * the test's own, which runs the page's events.
 */
#ifndef WEB_PORT_TEST_EMSCRIPTEN_H
#define WEB_PORT_TEST_EMSCRIPTEN_H

#ifdef __cplusplus
extern "C" {
#endif

#define EMSCRIPTEN_KEEPALIVE
#define EM_JS(type, name, parameters, ...) type name parameters
#define EM_ASYNC_JS(type, name, parameters, ...) type name parameters

double emscripten_get_now(void);
void emscripten_sleep(unsigned int ms);
void emscripten_force_exit(int status);

#ifdef __cplusplus
}
#endif

#endif
