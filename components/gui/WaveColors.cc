// Nearest GTKWave trace colour.
#include "WaveColors.h"

#include <cstdlib>
#include <cstring>

namespace OrvexGui {

namespace {

struct Rgb {
    const char* name;
    int r, g, b;
};

// The sixteen names the commands accept.
const Rgb named[] = {{"black", 0, 0, 0},         {"red", 255, 0, 0},        {"darkred", 139, 0, 0},
                     {"green", 0, 255, 0},       {"darkgreen", 0, 100, 0},  {"blue", 0, 0, 255},
                     {"darkblue", 0, 0, 139},    {"cyan", 0, 255, 255},     {"darkcyan", 0, 139, 139},
                     {"magenta", 255, 0, 255},   {"darkmagenta", 139, 0, 139}, {"yellow", 255, 255, 0},
                     {"darkyellow", 139, 139, 0}, {"gray", 128, 128, 128}, {"darkgray", 64, 64, 64},
                     {"lightgray", 211, 211, 211}};

// GTKWave's seven, by hue in degrees.
struct Hue {
    const char* menu;
    int degrees;
};
const Hue trace[] = {{"Red", 0}, {"Orange", 30}, {"Yellow", 60}, {"Green", 120},
                     {"Blue", 230}, {"Indigo", 260}, {"Violet", 300}};

} // namespace

const char* nearestTraceColor(const std::string& color) {
    int r = -1, g = 0, b = 0;
    if (color.size() == 7 && color[0] == '#') {
        const long value = std::strtol(color.c_str() + 1, nullptr, 16);
        r = static_cast<int>((value >> 16) & 255);
        g = static_cast<int>((value >> 8) & 255);
        b = static_cast<int>(value & 255);
    } else {
        for (const Rgb& c : named)
            if (color == c.name) {
                r = c.r;
                g = c.g;
                b = c.b;
            }
    }
    if (r < 0) return "Normal";
    const int high = r > g ? (r > b ? r : b) : (g > b ? g : b);
    const int low = r < g ? (r < b ? r : b) : (g < b ? g : b);
    if (high == 0 || (high - low) * 4 < high) return "Normal"; // black, white and greys have no hue
    double hue;
    const double span = high - low;
    if (high == r) hue = 60.0 * ((g - b) / span);
    else if (high == g) hue = 60.0 * ((b - r) / span) + 120.0;
    else hue = 60.0 * ((r - g) / span) + 240.0;
    if (hue < 0) hue += 360.0;
    const char* best = "Red";
    double bestDistance = 1e9;
    for (const Hue& h : trace) {
        double d = hue > h.degrees ? hue - h.degrees : h.degrees - hue;
        if (d > 180) d = 360 - d;
        if (d < bestDistance) {
            bestDistance = d;
            best = h.menu;
        }
    }
    return best;
}

} // namespace OrvexGui
