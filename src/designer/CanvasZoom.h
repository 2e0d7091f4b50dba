#pragma once

#include <QRect>

#include <array>

namespace ostrivo {

// The scales the designer shows its page at, in percent of the original layout's. Only the
// canvas's size changes: its top-left corner keeps its place in the window, and a pointer's
// offsets are turned into twips at the scale shown, so that a drag moves the page by the same
// units at every scale.
namespace canvaszoom {

constexpr int Normal = 100;
constexpr int Smallest = 50;
constexpr int Largest = 400;
// The steps of the zoom box, Ctrl++ / Ctrl+- and the wheel.
constexpr std::array<int, 9> Steps = {50, 67, 75, 100, 125, 150, 200, 300, 400};

// A scale within Smallest and Largest.
int clamp(int percent);
// The next step above (below) percent, or the last one.
int stepIn(int percent);
int stepOut(int percent);
// The canvas's place at a scale: the same corner, the size scaled.
QRect zoomed(const QRect& normal, int percent);

}  // namespace canvaszoom

}  // namespace ostrivo
