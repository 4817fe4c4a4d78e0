// The chrome environment: every ring, marker and column of the show reflects this
// picture through GL's sphere-map coordinates, tinted by its own colour.
//
// A pixel stands for the direction a mirrored ball reflects there. The loader
// stores rows top first and each row right to left, so GL's t grows down the
// picture and s grows right to left: the upward reflections (the sky) land in the
// lower half of the file and the ground in the upper half, which keeps the sky
// above the horizon on screen.
#include "tools/paint/pictures.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kSize = 256;
constexpr float kPi = 3.14159265358979f;

struct Direction {
    float x, y, z;
};

float smooth(float e0, float e1, float v)
{
    const float t = std::clamp((v - e0) / (e1 - e0), 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

// Angular distance between two directions given by elevation and azimuth.
float angleBetween(float e0, float a0, float e1, float a1)
{
    const float c = std::sin(e0) * std::sin(e1) + std::cos(e0) * std::cos(e1) * std::cos(a0 - a1);
    return std::acos(std::clamp(c, -1.0f, 1.0f));
}

// A skyline of blocks along the horizon, as an extra elevation per azimuth.
float skyline(float azimuth)
{
    const float u = (azimuth + kPi) / (2 * kPi) * 40.0f;
    const int block = int(std::floor(u));
    const uint32_t h = uint32_t(block) * 2654435761u;
    const float height = float((h >> 8) & 0xFF) / 255.0f;
    return 0.015f + 0.09f * height * height;
}

Colour environment(Direction r)
{
    const float elevation = std::asin(std::clamp(r.y, -1.0f, 1.0f));
    const float azimuth = std::atan2(r.x, -r.z);

    Colour c;
    const float horizonTop = skyline(azimuth);
    if (elevation > horizonTop) {
        // Sky: pale near the horizon, deeper blue overhead, with a bright band.
        const float up = std::pow(std::clamp(elevation / (kPi / 2), 0.0f, 1.0f), 0.7f);
        c = mixColour({0.62f, 0.70f, 0.82f}, {0.16f, 0.26f, 0.50f}, up);
        const float band = smooth(0.16f, 0.26f, elevation) * (1.0f - smooth(0.42f, 0.6f, elevation));
        c = mixColour(c, {0.96f, 0.98f, 1.0f}, band * 0.92f);
        // Soft cloud banks, a smooth function of the direction so the picture has no seam.
        const float cloud = std::sin(5.0f * r.x + 2.0f * r.z + 1.3f) * std::sin(4.0f * r.z - 3.0f * r.x + 6.0f * r.y);
        c = mixColour(c, {0.88f, 0.92f, 1.0f}, 0.18f * std::max(0.0f, cloud) * (1.0f - band));
        // A dark line right on top of the skyline.
        c = mixColour(c, {0.05f, 0.05f, 0.07f}, 1.0f - smooth(horizonTop, horizonTop + 0.05f, elevation));
    } else if (elevation > -0.05f) {
        // Horizon: dark silhouettes.
        c = {0.04f, 0.04f, 0.055f};
    } else {
        // Ground: mid-grey floor with faint flagstones, darker straight down.
        const float down = std::clamp(-elevation / (kPi / 2), 0.0f, 1.0f);
        const float v = 0.46f - 0.18f * down;
        const float dist = 1.0f / std::max(0.05f, std::tan(-elevation));
        const float gx = r.x * dist * 3.0f, gz = r.z * dist * 3.0f;
        const float line = std::max(std::abs(gx - std::round(gx)), std::abs(gz - std::round(gz)));
        const float seam = smooth(0.44f, 0.5f, line) * 0.25f * (1.0f - smooth(2.0f, 6.0f, dist));
        c = {v * 0.98f, v, v * 1.03f};
        c = scaleColour(c, 1.0f - seam);
        c = mixColour(c, {0.05f, 0.05f, 0.07f}, smooth(-0.14f, -0.05f, elevation));
    }

    // Sharp highlights: two lamps and a window strip, with small halos.
    const float lamp1 = angleBetween(elevation, azimuth, 0.62f, 0.7f);
    const float lamp2 = angleBetween(elevation, azimuth, 0.30f, -2.3f);
    float glow = 0.0f;
    glow += 1.0f - smooth(0.045f, 0.06f, lamp1);
    glow += 0.35f * (1.0f - smooth(0.06f, 0.3f, lamp1));
    glow += 1.0f - smooth(0.03f, 0.042f, lamp2);
    glow += 0.25f * (1.0f - smooth(0.04f, 0.2f, lamp2));
    const bool inWindow = elevation > 0.95f && elevation < 1.12f && azimuth > -1.0f && azimuth < 0.1f;
    if (inWindow)
        glow += 0.9f;
    return mixColour(c, {1.0f, 1.0f, 1.0f}, std::clamp(glow, 0.0f, 1.0f));
}

}  // namespace

Image paintSphere()
{
    Image img = makeImage(kSize, kSize, {0, 0, 0});
    constexpr int kSub = 4;
    for (int py = 0; py < kSize; ++py)
        for (int px = 0; px < kSize; ++px) {
            Colour sum;
            for (int j = 0; j < kSub; ++j)
                for (int i = 0; i < kSub; ++i) {
                    const float s = 1.0f - (px + (i + 0.5f) / kSub) / kSize;   // s = 0 at the right edge
                    const float t = (py + (j + 0.5f) / kSub) / kSize;          // t = 0 at the top
                    float nx = 2.0f * s - 1.0f, ny = 2.0f * t - 1.0f;
                    const float rr = nx * nx + ny * ny;
                    if (rr > 0.998f) {   // beyond the rim: keep the rim's direction
                        const float k = std::sqrt(0.998f / rr);
                        nx *= k;
                        ny *= k;
                    }
                    const float nz = std::sqrt(std::max(0.0f, 1.0f - nx * nx - ny * ny));
                    const Direction r{2 * nz * nx, 2 * nz * ny, 2 * nz * nz - 1};
                    const Colour c = environment(r);
                    sum.r += c.r;
                    sum.g += c.g;
                    sum.b += c.b;
                }
            setPixel(img, px, py, scaleColour(sum, 1.0f / (kSub * kSub)));
        }
    return img;
}
