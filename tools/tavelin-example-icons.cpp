// tavelin-example-icons FOLDER: draws the example Mac's application icons, one PNG per application, so
// that the panel's cells tell the applications apart. Each is a rounded square of its own colour with a
// simple white mark on it. Its output is kept in examples/icons; run it again after changing a picture.

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <numbers>
#include <string>

#include "platform/ImageCoding.h"

namespace {

using tavelin::Bitmap;
using tavelin::Rgba;

constexpr int kSide = 128;
// Samples per pixel along each axis, for smooth edges.
constexpr int kSamples = 4;

// Whether a point of the picture (0 to 1 on each axis, y downwards) lies inside the shape.
using Shape = std::function<bool(double x, double y)>;

Shape roundedSquare(double inset, double radius) {
    return [=](double x, double y) {
        const double dx = std::max({inset + radius - x, 0.0, x - (1 - inset - radius)});
        const double dy = std::max({inset + radius - y, 0.0, y - (1 - inset - radius)});
        return x >= inset && x <= 1 - inset && y >= inset && y <= 1 - inset && dx * dx + dy * dy <= radius * radius;
    };
}

Shape rectangle(double left, double top, double right, double bottom) {
    return [=](double x, double y) { return x >= left && x <= right && y >= top && y <= bottom; };
}

Shape ring(double cx, double cy, double outer, double inner) {
    return [=](double x, double y) {
        const double d = std::hypot(x - cx, y - cy);
        return d <= outer && d >= inner;
    };
}

Shape disc(double cx, double cy, double radius) { return ring(cx, cy, radius, 0); }

// A stroke of the given width from (x0, y0) to (x1, y1).
Shape stroke(double x0, double y0, double x1, double y1, double width) {
    return [=](double x, double y) {
        const double vx = x1 - x0, vy = y1 - y0;
        const double t = std::clamp(((x - x0) * vx + (y - y0) * vy) / (vx * vx + vy * vy), 0.0, 1.0);
        return std::hypot(x - x0 - t * vx, y - y0 - t * vy) <= width / 2;
    };
}

Shape triangle(double ax, double ay, double bx, double by, double cx, double cy) {
    return [=](double x, double y) {
        const auto side = [&](double px, double py, double qx, double qy) {
            return (qx - px) * (y - py) - (qy - py) * (x - px);
        };
        const double s1 = side(ax, ay, bx, by), s2 = side(bx, by, cx, cy), s3 = side(cx, cy, ax, ay);
        return (s1 >= 0 && s2 >= 0 && s3 >= 0) || (s1 <= 0 && s2 <= 0 && s3 <= 0);
    };
}

// Paints the shape over the picture, its edge pixels in part.
void paint(Bitmap& picture, const Shape& shape, Rgba colour) {
    for (int py = 0; py < picture.height; ++py) {
        for (int px = 0; px < picture.width; ++px) {
            int inside = 0;
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    inside += shape((px + (sx + 0.5) / kSamples) / picture.width,
                                    (py + (sy + 0.5) / kSamples) / picture.height);
                }
            }
            if (inside == 0) continue;
            const double cover = double(inside) / (kSamples * kSamples) * colour.a / 255.0;
            const Rgba under = picture.pixel(px, py);
            const double alpha = cover + under.a / 255.0 * (1 - cover);
            const auto mix = [&](std::uint8_t top, std::uint8_t bottom) {
                return static_cast<std::uint8_t>(
                    std::lround((top * cover + bottom * (under.a / 255.0) * (1 - cover)) / alpha));
            };
            picture.setPixel(px, py, Rgba{mix(colour.r, under.r), mix(colour.g, under.g), mix(colour.b, under.b),
                                          static_cast<std::uint8_t>(std::lround(alpha * 255))});
        }
    }
}

constexpr Rgba kWhite{255, 255, 255, 255};

struct Icon {
    const char* name;
    Rgba background;
    std::function<void(Bitmap&)> mark;
};

const std::array<Icon, 7> kIcons = {{
    {"finder", {40, 120, 230, 255},
     [](Bitmap& p) {
         const auto half = [square = roundedSquare(0.06, 0.2)](double x, double y) { return x >= 0.5 && square(x, y); };
         paint(p, half, {150, 205, 250, 255});
         paint(p, rectangle(0.34, 0.3, 0.4, 0.48), {20, 30, 60, 255});
         paint(p, rectangle(0.62, 0.3, 0.68, 0.48), {20, 30, 60, 255});
         paint(p, stroke(0.3, 0.68, 0.7, 0.68, 0.06), {20, 30, 60, 255});
     }},
    {"safari", {30, 150, 235, 255},
     [](Bitmap& p) {
         paint(p, disc(0.5, 0.5, 0.34), kWhite);
         paint(p, triangle(0.68, 0.3, 0.45, 0.45, 0.55, 0.55), {230, 50, 50, 255});
         paint(p, triangle(0.32, 0.7, 0.45, 0.45, 0.55, 0.55), {120, 120, 130, 255});
     }},
    {"mail", {20, 100, 200, 255},
     [](Bitmap& p) {
         paint(p, rectangle(0.2, 0.3, 0.8, 0.7), kWhite);
         paint(p, stroke(0.22, 0.32, 0.5, 0.52, 0.05), {20, 100, 200, 255});
         paint(p, stroke(0.78, 0.32, 0.5, 0.52, 0.05), {20, 100, 200, 255});
     }},
    {"notes", {250, 205, 40, 255},
     [](Bitmap& p) {
         paint(p, rectangle(0.22, 0.18, 0.78, 0.82), kWhite);
         for (const double y : {0.36, 0.5, 0.64}) paint(p, stroke(0.3, y, 0.7, y, 0.04), {170, 170, 170, 255});
     }},
    {"terminal", {30, 30, 34, 255},
     [](Bitmap& p) {
         paint(p, stroke(0.26, 0.32, 0.44, 0.47, 0.07), {60, 220, 90, 255});
         paint(p, stroke(0.44, 0.47, 0.26, 0.62, 0.07), {60, 220, 90, 255});
         paint(p, stroke(0.5, 0.66, 0.72, 0.66, 0.07), {60, 220, 90, 255});
     }},
    {"preview", {0, 150, 140, 255},
     [](Bitmap& p) {
         paint(p, rectangle(0.18, 0.24, 0.82, 0.76), kWhite);
         paint(p, triangle(0.24, 0.7, 0.46, 0.4, 0.68, 0.7), {40, 160, 70, 255});
         paint(p, disc(0.66, 0.38, 0.07), {250, 190, 30, 255});
     }},
    {"system-settings", {130, 130, 140, 255},
     [](Bitmap& p) {
         for (int tooth = 0; tooth < 8; ++tooth) {
             const double angle = tooth * std::numbers::pi / 4;
             paint(p,
                   stroke(0.5 + 0.2 * std::cos(angle), 0.5 + 0.2 * std::sin(angle), 0.5 + 0.33 * std::cos(angle),
                          0.5 + 0.33 * std::sin(angle), 0.1),
                   {235, 235, 240, 255});
         }
         paint(p, ring(0.5, 0.5, 0.27, 0.12), {235, 235, 240, 255});
     }},
}};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: tavelin-example-icons FOLDER\n";
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    for (const auto& icon : kIcons) {
        Bitmap picture(kSide, kSide);
        paint(picture, roundedSquare(0.06, 0.2), icon.background);
        icon.mark(picture);
        const auto png = tavelin::encodePNG(picture);
        const auto path = folder / (std::string(icon.name) + ".png");
        std::ofstream out(path, std::ios::binary);
        if (png) out.write(reinterpret_cast<const char*>(png->data()), static_cast<std::streamsize>(png->size()));
        if (!png || !out) {
            std::cerr << "tavelin-example-icons: cannot write " << path.string() << '\n';
            return 1;
        }
    }
    return 0;
}
