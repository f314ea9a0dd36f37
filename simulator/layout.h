#pragma once
// The simulator window's layout, in twips from the top-left corner of the client area.
#include "win32/twips_layout.h"

namespace SimulatorLayout {

constexpr int CLIENT_WIDTH = 4680, CLIENT_HEIGHT = 3825;

constexpr TwipsRect cmdFind_LJ{120, 240, 1815, 495};

// Channel columns, channel 1 leftmost; each value label stands above its fader at the same Left.
constexpr int COLUMN_LEFT[8] = {240, 840, 1440, 1920, 2400, 2880, 3360, 3840};
constexpr int VALUE_TOP = 960, VALUE_WIDTH = 375, VALUE_HEIGHT = 255;
constexpr int FADER_TOP = 1320, FADER_WIDTH = 255, FADER_HEIGHT = 2175;

inline TwipsRect ValueLabel(int k) { return {COLUMN_LEFT[k], VALUE_TOP, VALUE_WIDTH, VALUE_HEIGHT}; }
inline TwipsRect Fader(int k) { return {COLUMN_LEFT[k], FADER_TOP, FADER_WIDTH, FADER_HEIGHT}; }

}  // namespace SimulatorLayout
