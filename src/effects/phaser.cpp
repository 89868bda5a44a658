#include "effects/phaser.h"

namespace vemo {

void phaser_init(Phaser& fx, int, int) { fx.params = PhaserParams{}; }

void phaser_configure(Phaser&, int, int) {}

void phaser_clear(Phaser&, int, int) {}

void phaser_release(Phaser&) {}

PhaserParams phaser_report(const Phaser& fx) { return fx.params; }

// Not built yet: the stage leaves the samples as they are.
void phaser_process(Phaser&, int16_t*, const StageContext&) {}

}  // namespace vemo
