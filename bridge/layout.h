#pragma once
// The bridge window's layout, in twips from the top-left corner of the client area.
#include <algorithm>
#include <string>
#include <vector>

#include "win32/controls.h"
#include "win32/twips_layout.h"

namespace BridgeLayout {

constexpr int CLIENT_WIDTH = 5340, CLIENT_HEIGHT = 3825;

constexpr TwipsRect cmdFind_LJ{90, 75, 1110, 495};
constexpr TwipsRect lblFPS{1695, 165, 405, 360};
constexpr TwipsRect DevList{3630, 60, 1560, 450};
constexpr TwipsRect lblError{1290, 510, 3720, 225};
constexpr TwipsRect lblRec{90, 735, 5190, 270};

// Channel columns, channel 1 leftmost.
struct Column {
    int faderLeft, valueLeft, valueWidth, channelLeft;
};
constexpr Column COLUMNS[16] = {
    {165, 165, 240, 240},     {480, 450, 270, 540},     {795, 795, 240, 840},     {1110, 1110, 240, 1140},
    {1425, 1425, 225, 1440},  {1755, 1710, 285, 1740},  {2070, 2070, 225, 2040},  {2385, 2310, 300, 2340},
    {2715, 2670, 300, 2670},  {3015, 3015, 225, 3015},  {3330, 3300, 285, 3315},  {3630, 3630, 225, 3615},
    {3945, 3930, 240, 3915},  {4245, 4230, 240, 4215},  {4560, 4500, 270, 4515},  {4875, 4875, 240, 4845},
};
constexpr int VALUE_TOP = 990, VALUE_HEIGHT = 255;
constexpr int FADER_TOP = 1230, FADER_WIDTH = 255, FADER_HEIGHT = 2175;
constexpr int CHANNEL_TOP = 3480, CHANNEL_WIDTH = 300, CHANNEL_HEIGHT = 270;

inline TwipsRect ValueLabel(int k) { return {COLUMNS[k].valueLeft, VALUE_TOP, COLUMNS[k].valueWidth, VALUE_HEIGHT}; }
inline TwipsRect Fader(int k) { return {COLUMNS[k].faderLeft, FADER_TOP, FADER_WIDTH, FADER_HEIGHT}; }
inline TwipsRect ChannelLabel(int k) { return {COLUMNS[k].channelLeft, CHANNEL_TOP, CHANNEL_WIDTH, CHANNEL_HEIGHT}; }

// "Small Fonts" at 6.75 point, made smaller where a level "0" to "255" would not fit the
// narrowest value label: under Wine a wider face stands in for the missing raster one.
inline HFONT ValueLabelFont(int dpi) {
    std::vector<std::string> levels;
    for (int level = 0; level <= 255; ++level) levels.push_back(std::to_string(level));
    int narrowest = TwipsToPixels(CLIENT_WIDTH, dpi);
    for (int k = 0; k < 16; ++k) {
        RECT px = ToPixels(ValueLabel(k), dpi);
        narrowest = std::min(narrowest, static_cast<int>(px.right - px.left));
    }
    return CreateFittingFont("Small Fonts", 675, dpi, levels, narrowest);
}

}  // namespace BridgeLayout
