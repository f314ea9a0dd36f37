#pragma once
// The pieces of the bridge window the module was attached to; inside the module only.
#include "widget/outside.h"
#include "widget/serial_port.h"

namespace proVCPdriver::attached {
extern SerialPort* port;
extern MsgBox* box;
extern Clock* clock;
extern TextLabel* trace;
}  // namespace proVCPdriver::attached
