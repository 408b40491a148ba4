// A quick Stop and Play, and a trigger switched off and on again, of a second connector while a
// pass of the pump runs: the scenario of both pumps' tests.
#pragma once

#include "connector.h"

// first's OnTrigger toggles other in the first five passes; passes counts every pass.
inline void ToggleDuringPasses(vk350::Connector& first, vk350::Connector& other, int& passes) {
    first.OnTrigger = [&other, &passes](vk350::Connector&) {
        if (++passes > 5)
            return;
        other.SetAutoTrigger(true); // joins and wakes the pump
        other.SetAutoTrigger(false);
        other.SetAutoTrigger(true);
        other.Stopped(); // and a Stop and Play in the same pass
        other.Started();
    };
}
