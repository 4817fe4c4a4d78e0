#include "tools/paint/image_kit.h"

#include <turbojpeg.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

Colour mixColour(Colour a, Colour b, float k)
{
    return {a.r + (b.r - a.r) * k, a.g + (b.g - a.g) * k, a.b + (b.b - a.b) * k};
}

Colour scaleColour(Colour c, float k)
{
    return {c.r * k, c.g * k, c.b * k};
}

Image makeImage(int width, int height, Colour fill)
{
    Image img;
    img.width = width;
    img.height = height;
    img.rgb.resize(size_t(width) * height * 3);
    for (size_t i = 0; i < img.rgb.size(); i += 3) {
        img.rgb[i] = fill.r;
        img.rgb[i + 1] = fill.g;
        img.rgb[i + 2] = fill.b;
    }
    return img;
}

Mask makeMask(int width, int height)
{
    Mask m;
    m.width = width;
    m.height = height;
    m.a.assign(size_t(width) * height, 0.0f);
    return m;
}

Colour pixelAt(const Image& img, int x, int y)
{
    const float* p = &img.rgb[(size_t(y) * img.width + x) * 3];
    return {p[0], p[1], p[2]};
}

void setPixel(Image& img, int x, int y, Colour c)
{
    float* p = &img.rgb[(size_t(y) * img.width + x) * 3];
    p[0] = c.r;
    p[1] = c.g;
    p[2] = c.b;
}

float coverageAt(const Mask& m, int x, int y)
{
    if (x < 0 || y < 0 || x >= m.width || y >= m.height)
        return 0.0f;
    return m.a[size_t(y) * m.width + x];
}

static int wrapIndex(int v, int n)
{
    v %= n;
    return v < 0 ? v + n : v;
}

float coverageWrapped(const Mask& m, int x, int y)
{
    return m.a[size_t(wrapIndex(y, m.height)) * m.width + wrapIndex(x, m.width)];
}

Mask rasterise(int width, int height, const std::function<void(cairo_t*)>& draw, bool tiled)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_A8, width, height);
    cairo_t* cr = cairo_create(surface);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_GOOD);
    cairo_set_source_rgba(cr, 1, 1, 1, 1);
    if (tiled) {
        for (int j = -1; j <= 1; ++j)
            for (int i = -1; i <= 1; ++i) {
                cairo_save(cr);
                cairo_translate(cr, i * width, j * height);
                draw(cr);
                cairo_restore(cr);
            }
    } else {
        draw(cr);
    }
    cairo_destroy(cr);
    cairo_surface_flush(surface);

    Mask m = makeMask(width, height);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            m.a[size_t(y) * width + x] = data[y * stride + x] / 255.0f;
    cairo_surface_destroy(surface);
    return m;
}

void paintMask(Image& img, const Mask& m, Colour c, float opacity)
{
    for (size_t i = 0; i < m.a.size(); ++i) {
        const float k = m.a[i] * opacity;
        if (k <= 0.0f)
            continue;
        float* p = &img.rgb[i * 3];
        p[0] += (c.r - p[0]) * k;
        p[1] += (c.g - p[1]) * k;
        p[2] += (c.b - p[2]) * k;
    }
}

void addMask(Image& img, const Mask& m, Colour c)
{
    for (size_t i = 0; i < m.a.size(); ++i) {
        const float k = m.a[i];
        if (k <= 0.0f)
            continue;
        float* p = &img.rgb[i * 3];
        p[0] += c.r * k;
        p[1] += c.g * k;
        p[2] += c.b * k;
    }
}

void paintMaskWith(Image& img, const Mask& m, const std::function<Colour(int, int)>& colourAt, float opacity)
{
    for (int y = 0; y < m.height; ++y)
        for (int x = 0; x < m.width; ++x) {
            const size_t i = size_t(y) * m.width + x;
            const float k = m.a[i] * opacity;
            if (k <= 0.0f)
                continue;
            const Colour c = colourAt(x, y);
            float* p = &img.rgb[i * 3];
            p[0] += (c.r - p[0]) * k;
            p[1] += (c.g - p[1]) * k;
            p[2] += (c.b - p[2]) * k;
        }
}

Mask multiplyMasks(const Mask& a, const Mask& b)
{
    Mask out = a;
    for (size_t i = 0; i < out.a.size(); ++i)
        out.a[i] *= b.a[i];
    return out;
}

Mask subtractMask(const Mask& a, const Mask& b)
{
    Mask out = a;
    for (size_t i = 0; i < out.a.size(); ++i)
        out.a[i] = std::max(0.0f, a.a[i] - b.a[i]);
    return out;
}

Mask invertMask(const Mask& m)
{
    Mask out = m;
    for (float& v : out.a)
        v = 1.0f - v;
    return out;
}

Mask edgeFacing(const Mask& m, int dx, int dy, bool wrap)
{
    Mask out = makeMask(m.width, m.height);
    for (int y = 0; y < m.height; ++y)
        for (int x = 0; x < m.width; ++x) {
            const float here = m.a[size_t(y) * m.width + x];
            const float there = wrap ? coverageWrapped(m, x - dx, y - dy) : coverageAt(m, x - dx, y - dy);
            out.a[size_t(y) * m.width + x] = std::max(0.0f, here - there);
        }
    return out;
}

Mask erodeMask(const Mask& m, int radius, bool wrap)
{
    // Separable minimum: rows, then columns.
    Mask rows = makeMask(m.width, m.height);
    for (int y = 0; y < m.height; ++y)
        for (int x = 0; x < m.width; ++x) {
            float v = 1.0f;
            for (int k = -radius; k <= radius; ++k)
                v = std::min(v, wrap ? coverageWrapped(m, x + k, y) : coverageAt(m, x + k, y));
            rows.a[size_t(y) * m.width + x] = v;
        }
    Mask out = makeMask(m.width, m.height);
    for (int y = 0; y < m.height; ++y)
        for (int x = 0; x < m.width; ++x) {
            float v = 1.0f;
            for (int k = -radius; k <= radius; ++k)
                v = std::min(v, wrap ? coverageWrapped(rows, x, y + k) : coverageAt(rows, x, y + k));
            out.a[size_t(y) * m.width + x] = v;
        }
    return out;
}

// One box pass over `count` interleaved channels along one line.
static void boxLine(const float* src, float* dst, int n, int stride, int channels, int radius, bool wrap)
{
    const float norm = 1.0f / float(2 * radius + 1);
    for (int c = 0; c < channels; ++c) {
        auto at = [&](int i) {
            if (wrap)
                i = wrapIndex(i, n);
            else
                i = std::clamp(i, 0, n - 1);
            return src[size_t(i) * stride + c];
        };
        float sum = 0.0f;
        for (int k = -radius; k <= radius; ++k)
            sum += at(k);
        for (int i = 0; i < n; ++i) {
            dst[size_t(i) * stride + c] = sum * norm;
            sum += at(i + radius + 1) - at(i - radius);
        }
    }
}

static void blurPlanes(std::vector<float>& data, int width, int height, int channels, int radius, int passes, bool wrap)
{
    std::vector<float> line(size_t(std::max(width, height)) * channels);
    std::vector<float> out(line.size());
    for (int p = 0; p < passes; ++p) {
        for (int y = 0; y < height; ++y) {
            float* row = &data[size_t(y) * width * channels];
            std::copy(row, row + size_t(width) * channels, line.begin());
            boxLine(line.data(), row, width, channels, channels, radius, wrap);
        }
        for (int x = 0; x < width; ++x) {
            for (int y = 0; y < height; ++y)
                for (int c = 0; c < channels; ++c)
                    line[size_t(y) * channels + c] = data[(size_t(y) * width + x) * channels + c];
            boxLine(line.data(), out.data(), height, channels, channels, radius, wrap);
            for (int y = 0; y < height; ++y)
                for (int c = 0; c < channels; ++c)
                    data[(size_t(y) * width + x) * channels + c] = out[size_t(y) * channels + c];
        }
    }
}

Mask blurMask(const Mask& m, int radius, int passes, bool wrap)
{
    Mask out = m;
    blurPlanes(out.a, m.width, m.height, 1, radius, passes, wrap);
    return out;
}

Image blurImage(const Image& img, int radius, int passes, bool wrap)
{
    Image out = img;
    blurPlanes(out.rgb, img.width, img.height, 3, radius, passes, wrap);
    return out;
}

void addImage(Image& dst, const Image& src, float k)
{
    for (size_t i = 0; i < dst.rgb.size(); ++i)
        dst.rgb[i] += src.rgb[i] * k;
}

static uint32_t hashCell(int x, int y, uint32_t seed)
{
    uint32_t h = seed * 0x9E3779B1u ^ uint32_t(x) * 0x85EBCA77u ^ uint32_t(y) * 0xC2B2AE3Du;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return h;
}

float tileNoise(float x, float y, int period, uint32_t seed)
{
    const float fx = std::floor(x);
    const float fy = std::floor(y);
    const int x0 = int(fx);
    const int y0 = int(fy);
    float tx = x - fx;
    float ty = y - fy;
    tx = tx * tx * (3.0f - 2.0f * tx);
    ty = ty * ty * (3.0f - 2.0f * ty);
    auto v = [&](int cx, int cy) {
        return float(hashCell(wrapIndex(cx, period), wrapIndex(cy, period), seed) & 0xFFFF) / 65535.0f;
    };
    const float a = v(x0, y0) + (v(x0 + 1, y0) - v(x0, y0)) * tx;
    const float b = v(x0, y0 + 1) + (v(x0 + 1, y0 + 1) - v(x0, y0 + 1)) * tx;
    return a + (b - a) * ty;
}

float tileFbm(float x, float y, int period, int octaves, uint32_t seed)
{
    float sum = 0.0f;
    float weight = 0.5f;
    float total = 0.0f;
    for (int o = 0; o < octaves; ++o) {
        sum += tileNoise(x, y, period, seed + uint32_t(o) * 101u) * weight;
        total += weight;
        x *= 2.0f;
        y *= 2.0f;
        period *= 2;
        weight *= 0.5f;
    }
    return sum / total;
}

std::vector<uint8_t> toRgb8(const Image& img)
{
    std::vector<uint8_t> out(img.rgb.size());
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = uint8_t(std::lround(std::clamp(img.rgb[i], 0.0f, 1.0f) * 255.0f));
    return out;
}

bool writeJpg(const std::string& path, const Image& img, int quality)
{
    std::vector<uint8_t> rgb = toRgb8(img);
    tjhandle tj = tjInitCompress();
    if (!tj)
        return false;
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    // 4:4:4 keeps the thin coloured lines sharp.
    const int rc = tjCompress2(tj, rgb.data(), img.width, 0, img.height, TJPF_RGB, &jpeg, &size, TJSAMP_444,
                               quality, TJFLAG_ACCURATEDCT);
    bool ok = rc == 0;
    if (ok) {
        FILE* f = std::fopen(path.c_str(), "wb");
        ok = f && std::fwrite(jpeg, 1, size, f) == size;
        if (f)
            ok = (std::fclose(f) == 0) && ok;
    }
    tjFree(jpeg);
    tjDestroy(tj);
    return ok;
}

bool writePng(const std::string& path, const Image& img)
{
    std::vector<uint8_t> rgb = toRgb8(img);
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, img.width, img.height);
    unsigned char* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) {
            const uint8_t* p = &rgb[(size_t(y) * img.width + x) * 3];
            uint32_t* q = reinterpret_cast<uint32_t*>(data + y * stride) + x;
            *q = (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
        }
    cairo_surface_mark_dirty(s);
    const bool ok = cairo_surface_write_to_png(s, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(s);
    return ok;
}
