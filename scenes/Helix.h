#pragma once
#include <cstdint>

// The spiral columns' tube: a helix of coil radius R around the y axis, the tube of radius r.
// Every turn starts and ends at angle 0, so turns stacked one on another join into one spiral.

// One turn rising from y = 0, emitted in immediate mode as quad strips (outside facing front):
// `along` segments of the coil and `around` segments of the tube, each grown by its remainder
// against the texture period (7 along with period 3 gives 8). The height step is
// height / along, so a grown turn rises a little more than `height`. The texture runs
// 0..1 every periodAlong strips and once every periodAround segments around the tube.
// A period below 1, or fewer than one segment along, draws nothing.
void drawHelixTurn(float coilRadius, float tubeRadius, float height, int32_t along,
                   int32_t around, int32_t periodAlong, int32_t periodAround);

// `turns` turns stacked into a column of the given height centred on the origin, the texture
// running once along and once around every turn. `along` and `around` are truncated to
// whole segments. No turns: nothing drawn, the matrix left as it was.
void drawHelixColumn(int32_t turns, float height, float coilRadius, float tubeRadius,
                     float along, float around);
