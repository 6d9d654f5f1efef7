#include "rules.h"

void apply_rules(GameState &state, bool space_down)
{
    update_runner(state, space_down);
    update_animation(state);
    update_obstacle(state);
    check_pass_and_hit(state);
}
