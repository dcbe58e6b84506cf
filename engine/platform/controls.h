// Host controls: windows and controls wrapping Qt widgets, reached by scripts
// and form text through their published properties.
#pragma once

#include "platform/controls_base.h"
#include "platform/controls_form.h"
#include "platform/controls_std.h"

namespace platform {

// Registers every host control class (and its property types) with the class
// registry, so that form text can create them by name. Idempotent. The
// controls themselves need a QApplication.
void registerHostControls();

} // namespace platform
