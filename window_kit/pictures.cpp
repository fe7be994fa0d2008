#include "window_kit/pictures.h"

#include <cmath>
#include <cstddef>

namespace lumadir {

namespace {

// Shapes live in a 24 x 24 box; later shapes paint over earlier ones.
enum class shape_kind { box, ellipse, polygon, stroke };

struct point {
  float x, y;
};

struct shape {
  shape_kind kind;
  uint32_t color;        // 0xAARRGGBB, straight alpha
  float x0, y0, x1, y1;  // box corners; ellipse bounds; stroke ends
  float radius;          // box corner radius; stroke half-width
  const point* points;   // polygon
  int32_t point_count;
};

constexpr shape box(float x0, float y0, float x1, float y1, uint32_t color, float radius = 0) {
  return {shape_kind::box, color, x0, y0, x1, y1, radius, nullptr, 0};
}
constexpr shape ellipse(float cx, float cy, float rx, float ry, uint32_t color) {
  return {shape_kind::ellipse, color, cx - rx, cy - ry, cx + rx, cy + ry, 0, nullptr, 0};
}
constexpr shape stroke(float x0, float y0, float x1, float y1, float width, uint32_t color) {
  return {shape_kind::stroke, color, x0, y0, x1, y1, width / 2, nullptr, 0};
}
template <size_t n>
constexpr shape polygon(const point (&points)[n], uint32_t color) {
  return {shape_kind::polygon, color, 0, 0, 0, 0, 0, points, static_cast<int32_t>(n)};
}

bool inside_box(const shape& s, float x, float y) {
  if (x < s.x0 || x > s.x1 || y < s.y0 || y > s.y1) return false;
  const float r = s.radius;
  if (r <= 0) return true;
  // Only the corners are round: measure from the nearest inner corner.
  const float cx = x < s.x0 + r ? s.x0 + r : (x > s.x1 - r ? s.x1 - r : x);
  const float cy = y < s.y0 + r ? s.y0 + r : (y > s.y1 - r ? s.y1 - r : y);
  return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r;
}

bool inside_ellipse(const shape& s, float x, float y) {
  const float rx = (s.x1 - s.x0) / 2, ry = (s.y1 - s.y0) / 2;
  const float dx = (x - s.x0 - rx) / rx, dy = (y - s.y0 - ry) / ry;
  return dx * dx + dy * dy <= 1;
}

bool inside_polygon(const shape& s, float x, float y) {
  bool in = false;
  for (int32_t i = 0, j = s.point_count - 1; i < s.point_count; j = i++) {
    const point a = s.points[i], b = s.points[j];
    if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x) in = !in;
  }
  return in;
}

bool inside_stroke(const shape& s, float x, float y) {
  const float dx = s.x1 - s.x0, dy = s.y1 - s.y0;
  const float length2 = dx * dx + dy * dy;
  float t = length2 > 0 ? ((x - s.x0) * dx + (y - s.y0) * dy) / length2 : 0;
  t = t < 0 ? 0 : (t > 1 ? 1 : t);
  const float ex = x - (s.x0 + t * dx), ey = y - (s.y0 + t * dy);
  return ex * ex + ey * ey <= s.radius * s.radius;
}

bool inside(const shape& s, float x, float y) {
  switch (s.kind) {
    case shape_kind::box:
      return inside_box(s, x, y);
    case shape_kind::ellipse:
      return inside_ellipse(s, x, y);
    case shape_kind::polygon:
      return inside_polygon(s, x, y);
    case shape_kind::stroke:
      return inside_stroke(s, x, y);
  }
  return false;
}

// Colours shared by several pictures.
constexpr uint32_t ink = 0xFF3C4650;
constexpr uint32_t paper = 0xFFFFFFFF;
constexpr uint32_t line_grey = 0xFF9AA4AE;
constexpr uint32_t folder_back = 0xFFD9A521;
constexpr uint32_t folder_front = 0xFFF6C945;

constexpr point folder_tab[] = {{2, 5}, {9, 5}, {11, 7.5f}, {22, 7.5f}, {22, 20}, {2, 20}};
constexpr point folder_body[] = {{2, 10}, {22, 10}, {22, 20}, {2, 20}};

constexpr shape save_shapes[] = {
    box(3, 3, 21, 21, 0xFF24548F, 2),                                                  // disk
    box(7, 3, 17, 9.5f, 0xFFC9D1D9),                                                   // shutter
    box(13.5f, 4.2f, 15.5f, 8.3f, 0xFF24548F), box(5.5f, 12.5f, 18.5f, 21, paper, 1),  // label
    box(7.5f, 15, 16.5f, 15.9f, line_grey),    box(7.5f, 17.5f, 16.5f, 18.4f, line_grey),
};

constexpr shape preview_shapes[] = {
    box(3, 1.5f, 17, 21.5f, 0xFF7D8893, 1),  // page
    box(4, 2.5f, 16, 20.5f, paper),
    box(6, 5, 14, 6, line_grey),
    box(6, 8, 11, 9, line_grey),
    stroke(15, 15, 21, 21, 3.4f, ink),  // handle
    ellipse(12, 12, 5.8f, 5.8f, ink),   // lens rim
    ellipse(12, 12, 4.2f, 4.2f, 0xFFCFE6F7),
    ellipse(10.6f, 10.6f, 1.3f, 1.3f, paper),
};

constexpr point octagon_outer[] = {{8, 2},   {16, 2}, {22, 8}, {22, 16},
                                   {16, 22}, {8, 22}, {2, 16}, {2, 8}};
constexpr point octagon_inner[] = {{8.6f, 3.4f},   {15.4f, 3.4f}, {20.6f, 8.6f}, {20.6f, 15.4f},
                                   {15.4f, 20.6f}, {8.6f, 20.6f}, {3.4f, 15.4f}, {3.4f, 8.6f}};
constexpr shape stop_shapes[] = {
    polygon(octagon_outer, 0xFF9E1B1B),
    polygon(octagon_inner, 0xFFD93A3A),
    box(6.5f, 10.2f, 17.5f, 13.8f, paper, 0.8f),
};

// A gear of eight teeth: per tooth two points on the tip circle and two on the
// root circle.
struct gear_outline {
  point points[32];
  gear_outline() : points{} {
    const float offsets[4] = {-9, 9, 15, 30};  // degrees from the tooth's centre line
    const float radii[4] = {10.5f, 10.5f, 7.8f, 7.8f};
    for (int i = 0; i < 32; ++i) {
      const float degrees = static_cast<float>(i / 4) * 45 + offsets[i % 4];
      const float a = degrees * 3.14159265f / 180;
      points[i] = {12 + radii[i % 4] * std::cos(a), 12 + radii[i % 4] * std::sin(a)};
    }
  }
};
const gear_outline gear;

const shape settings_shapes[] = {
    {shape_kind::polygon, 0xFF5B6670, 0, 0, 0, 0, 0, gear.points, 32},
    ellipse(12, 12, 6.6f, 6.6f, 0xFF8994A0),
    ellipse(12, 12, 3.2f, 3.2f, paper),
};

constexpr shape browse_shapes[] = {
    polygon(folder_tab, folder_back),
    polygon(folder_body, folder_front),
    box(2, 10, 22, 11, 0xFFFFE08A),
};

constexpr shape print_shapes[] = {
    box(6, 2, 18, 10, paper),  // paper in
    box(6, 2, 18, 2.8f, line_grey),
    box(2, 8, 22, 18, 0xFF5B6670, 2),  // body
    box(4, 10, 6, 11.5f, 0xFF7BD36B),
    box(6, 14, 18, 22, paper),  // paper out
    box(6, 14, 18, 14.8f, line_grey),
    box(8, 17, 16, 17.9f, line_grey),
    box(8, 19.5f, 14, 20.4f, line_grey),
};

constexpr shape close_shapes[] = {
    stroke(6, 6, 18, 18, 3.6f, 0xFFC62828),
    stroke(18, 6, 6, 18, 3.6f, 0xFFC62828),
};

constexpr shape program_shapes[] = {
    polygon(folder_tab, folder_back),
    box(5, 8, 19, 19, paper, 0.5f),  // the listing sheet in the folder
    box(7, 10.5f, 17, 11.5f, 0xFF24548F),
    box(7, 13, 17, 14, line_grey),
    box(7, 15.5f, 15, 16.5f, line_grey),
    polygon(folder_body, 0xCCF6C945),
};

struct shape_list {
  const shape* shapes;
  size_t count;
};

template <size_t n>
constexpr shape_list list_of(const shape (&shapes)[n]) {
  return {shapes, n};
}

shape_list shapes_of(picture which) {
  switch (which) {
    case picture::save:
      return list_of(save_shapes);
    case picture::preview:
      return list_of(preview_shapes);
    case picture::stop:
      return list_of(stop_shapes);
    case picture::settings:
      return list_of(settings_shapes);
    case picture::browse:
      return list_of(browse_shapes);
    case picture::print:
      return list_of(print_shapes);
    case picture::close:
      return list_of(close_shapes);
    case picture::program:
      return list_of(program_shapes);
  }
  return {nullptr, 0};
}

// The colour a sample point takes: the shapes painted over each other, back to
// front, in straight alpha.
void sample(const shape_list& list, float x, float y, float rgba[4]) {
  rgba[0] = rgba[1] = rgba[2] = rgba[3] = 0;
  for (size_t i = 0; i < list.count; ++i) {
    const shape& s = list.shapes[i];
    if (!inside(s, x, y)) continue;
    const float a = static_cast<float>(s.color >> 24) / 255;
    const float r = static_cast<float>((s.color >> 16) & 0xFF);
    const float g = static_cast<float>((s.color >> 8) & 0xFF);
    const float b = static_cast<float>(s.color & 0xFF);
    // Premultiplied "over".
    rgba[0] = r * a + rgba[0] * (1 - a);
    rgba[1] = g * a + rgba[1] * (1 - a);
    rgba[2] = b * a + rgba[2] * (1 - a);
    rgba[3] = a + rgba[3] * (1 - a);
  }
}

}  // namespace

void render_picture(picture which, int32_t size, bool disabled, uint32_t* pixels) noexcept {
  if (size <= 0 || !pixels) return;
  const shape_list list = shapes_of(which);
  constexpr int grid = 4;  // 4 x 4 samples per pixel smooth the edges
  const float unit = 24.0f / static_cast<float>(size);
  for (int32_t py = 0; py < size; ++py) {
    for (int32_t px = 0; px < size; ++px) {
      float sum[4] = {0, 0, 0, 0};
      for (int sy = 0; sy < grid; ++sy) {
        for (int sx = 0; sx < grid; ++sx) {
          float rgba[4];
          sample(list, (static_cast<float>(px) + (sx + 0.5f) / grid) * unit,
                 (static_cast<float>(py) + (sy + 0.5f) / grid) * unit, rgba);
          for (int k = 0; k < 4; ++k) sum[k] += rgba[k];
        }
      }
      constexpr float samples = grid * grid;
      float r = sum[0] / samples, g = sum[1] / samples, b = sum[2] / samples;
      float a = sum[3] / samples;
      if (disabled) {
        const float grey = 0.30f * r + 0.59f * g + 0.11f * b;
        r = g = b = grey;
        r *= 0.45f, g *= 0.45f, b *= 0.45f, a *= 0.45f;
      }
      const auto byte = [](float v) {
        return static_cast<uint32_t>(std::lround(v < 0 ? 0 : (v > 255 ? 255 : v)));
      };
      pixels[py * size + px] = byte(a * 255) << 24 | byte(r) << 16 | byte(g) << 8 | byte(b);
    }
  }
}

}  // namespace lumadir
