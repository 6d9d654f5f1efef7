/* The platform that a build of Allegro for the web is for. */
#define ALLEGRO_WEB

/* These are always defined now. */
#define ALLEGRO_NO_ASM
#define ALLEGRO_USE_C
