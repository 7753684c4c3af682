#pragma once
// The whole simulated backend, for tests that drive the program on it.
#include "platform/sim/ProcessExited.h"
#include "platform/sim/SimCast.h"
#include "platform/sim/SimControls.h"
#include "platform/sim/SimForm.h"
#include "platform/sim/SimInstance.h"
#include "platform/sim/SimListBox.h"
#include "platform/sim/SimTabStrip.h"
#include "platform/sim/SimTextBox.h"
#include "platform/sim/SimTimer.h"
#include "platform/sim/SimWorld.h"
