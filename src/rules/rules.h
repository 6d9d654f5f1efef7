#pragma once
#include "obstacle.h"
#include "runner.h"

// The rules of one pass, in their fixed order: each sees the results of the
// ones before it.
void apply_rules(GameState &state, bool space_down);
