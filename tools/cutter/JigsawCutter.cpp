#include "tools/cutter/JigsawCutter.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <stdexcept>

namespace jigsaw {

namespace {

constexpr double kPi = 3.14159265358979323846;
// Bezier segments are sampled at this many steps each.
constexpr int kStepsPerCurve = 14;
// Outline map: full strength within kLineCore of a cut line, fading to 0 over the next kLineFade.
constexpr double kLineCore = 0.55;
constexpr double kLineFade = 1.0;
// Tabs that meet near a corner can collide; the cut is then made again with the generator's next
// numbers, so a seed still always gives the same cut.
constexpr int kAttempts = 64;

// Uniform numbers from the seeded generator, the same on every platform (the standard fixes the
// Mersenne Twister's output, not the distributions').
class Random {
 public:
  explicit Random(std::uint32_t seed) : engine_(seed) {}
  double Uniform(double low, double high) { return low + (high - low) * ((engine_() >> 8) / 16777216.0); }
  bool Coin() { return (engine_() >> 31) != 0; }

 private:
  std::mt19937 engine_;
};

struct StyleParameters {
  double cornerJitter;  // fraction of a cell
  double centreJitter;  // tab centre along the edge, fraction of the edge
  double neckLow, neckHigh;
  double bulbLow, bulbHigh;
  double heightLow, heightHigh;
  double wave;  // amplitude of the shoulders' swing, fraction of the edge
};

StyleParameters ParametersOf(Style style) {
  switch (style) {
    case Style::kClassic:
      return {0.05, 0.03, 0.085, 0.095, 0.125, 0.135, 0.225, 0.245, 0.012};
    case Style::kWavy:
      return {0.07, 0.05, 0.080, 0.095, 0.115, 0.135, 0.205, 0.235, 0.045};
    case Style::kBold:
      return {0.04, 0.03, 0.105, 0.115, 0.160, 0.170, 0.280, 0.300, 0.010};
    case Style::kIrregular:
      return {0.11, 0.08, 0.070, 0.100, 0.105, 0.150, 0.190, 0.260, 0.025};
  }
  return {};
}

struct Bezier {
  Point p0, p1, p2, p3;
  Point At(double t) const {
    const double s = 1.0 - t;
    const double a = s * s * s, b = 3 * s * s * t, c = 3 * s * t * t, d = t * t * t;
    return {a * p0.x + b * p1.x + c * p2.x + d * p3.x, a * p0.y + b * p1.y + c * p2.y + d * p3.y};
  }
};

// One tabbed edge in edge space: u runs 0 to 1 along the edge, v is the normal (the tab grows to +v),
// both in edge lengths.
std::vector<Point> TabProfile(double centre, double neck, double bulb, double height, double wave,
                              double wavePhase) {
  const double c = centre, w = neck, r = bulb, h = height;
  const double shoulder = 0.62 * h;  // height of the bulb's widest point
  const std::vector<Bezier> curves = {
      {{0, 0}, {0.35 * (c - w), 0.0}, {c - w - 0.06, -0.03}, {c - w, 0.0}},
      {{c - w, 0.0}, {c - w + 0.04, 0.03}, {c - r, shoulder - 0.12}, {c - r, shoulder}},
      {{c - r, shoulder}, {c - r, shoulder + 0.07}, {c - 0.6 * r, h}, {c, h}},
      {{c, h}, {c + 0.6 * r, h}, {c + r, shoulder + 0.07}, {c + r, shoulder}},
      {{c + r, shoulder}, {c + r, shoulder - 0.12}, {c + w - 0.04, 0.03}, {c + w, 0.0}},
      {{c + w, 0.0}, {c + w + 0.06, -0.03}, {1.0 - 0.35 * (1.0 - c - w), 0.0}, {1, 0}},
  };
  std::vector<Point> points;
  points.push_back({0, 0});
  for (const Bezier& curve : curves) {
    for (int step = 1; step <= kStepsPerCurve; ++step) {
      Point p = curve.At(static_cast<double>(step) / kStepsPerCurve);
      // The swing vanishes at both corners and is the same for both pieces of the edge.
      const double clamped = std::clamp(p.x, 0.0, 1.0);
      p.y += wave * std::sin(kPi * clamped) * std::sin(2 * kPi * clamped + wavePhase);
      points.push_back(p);
    }
  }
  points.back() = {1, 0};
  return points;
}

// The edge from a to b in picture units, the tab on the left of the direction a -> b when side is 1.
std::vector<Point> PlaceEdge(const std::vector<Point>& profile, Point a, Point b, int side) {
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double nx = -dy * side, ny = dx * side;  // length-scaled normal
  std::vector<Point> points;
  points.reserve(profile.size());
  for (const Point& p : profile) {
    points.push_back({a.x + p.x * dx + p.y * nx, a.y + p.x * dy + p.y * ny});
  }
  points.front() = a;
  points.back() = b;
  return points;
}

double DistanceToSegment(Point p, Point a, Point b) {
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double length2 = dx * dx + dy * dy;
  double t = length2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / length2 : 0.0;
  t = std::clamp(t, 0.0, 1.0);
  const double ex = a.x + t * dx - p.x, ey = a.y + t * dy - p.y;
  return std::sqrt(ex * ex + ey * ey);
}

struct Segment {
  Point low, high;  // low.y <= high.y: one orientation for both pieces of a shared edge
};

}  // namespace

Style ParseStyle(const std::string& name) {
  if (name == "classic")
    return Style::kClassic;
  if (name == "wavy")
    return Style::kWavy;
  if (name == "bold")
    return Style::kBold;
  if (name == "irregular")
    return Style::kIrregular;
  throw std::invalid_argument("unknown cut style \"" + name + "\"");
}

namespace {

// One attempt with the generator's next numbers; false with the fault when two pieces collide.
bool TryCut(const CutRequest& request, Random& random, Cut& cut, std::string& fault) {
  const int columns = request.columns, rows = request.rows;
  const int width = request.pictureWidth, height = request.pictureHeight;
  const StyleParameters style = ParametersOf(request.style);
  const double cellWidth = static_cast<double>(width) / columns;
  const double cellHeight = static_cast<double>(height) / rows;

  // Corners: border corners stay on their border line, inner ones move within a small box.
  std::vector<Point> corners(static_cast<std::size_t>((columns + 1) * (rows + 1)));
  auto corner = [&](int i, int j) -> Point& {
    return corners[static_cast<std::size_t>(j * (columns + 1) + i)];
  };
  for (int j = 0; j <= rows; ++j) {
    for (int i = 0; i <= columns; ++i) {
      Point p{i * cellWidth, j * cellHeight};
      const double jx = random.Uniform(-1, 1) * style.cornerJitter * cellWidth;
      const double jy = random.Uniform(-1, 1) * style.cornerJitter * cellHeight;
      if (i > 0 && i < columns)
        p.x += jx;
      if (j > 0 && j < rows)
        p.y += jy;
      corner(i, j) = p;
    }
  }

  auto makeEdge = [&](Point a, Point b) {
    const double centre = 0.5 + random.Uniform(-1, 1) * style.centreJitter;
    const double neck = random.Uniform(style.neckLow, style.neckHigh);
    const double bulb = random.Uniform(style.bulbLow, style.bulbHigh);
    const double tabHeight = random.Uniform(style.heightLow, style.heightHigh);
    const double wave = style.wave * random.Uniform(0.6, 1.0) * (random.Coin() ? 1 : -1);
    const double phase = random.Uniform(-0.4, 0.4);
    const int side = random.Coin() ? 1 : -1;
    return PlaceEdge(TabProfile(centre, neck, bulb, tabHeight, wave, phase), a, b, side);
  };
  auto straight = [](Point a, Point b) { return std::vector<Point>{a, b}; };

  // horizontal[j][i]: the edge along row line j from corner (i, j) to (i + 1, j).
  // vertical[i][j]: the edge along column line i from corner (i, j) to (i, j + 1).
  std::vector<std::vector<std::vector<Point>>> horizontal(static_cast<std::size_t>(rows + 1));
  std::vector<std::vector<std::vector<Point>>> vertical(static_cast<std::size_t>(columns + 1));
  cut = Cut();
  for (int j = 0; j <= rows; ++j) {
    for (int i = 0; i < columns; ++i) {
      const bool inner = j > 0 && j < rows;
      horizontal[static_cast<std::size_t>(j)].push_back(inner ? makeEdge(corner(i, j), corner(i + 1, j))
                                                              : straight(corner(i, j), corner(i + 1, j)));
      if (inner)
        cut.cutLines.push_back(horizontal[static_cast<std::size_t>(j)].back());
    }
  }
  for (int i = 0; i <= columns; ++i) {
    for (int j = 0; j < rows; ++j) {
      const bool inner = i > 0 && i < columns;
      vertical[static_cast<std::size_t>(i)].push_back(inner ? makeEdge(corner(i, j), corner(i, j + 1))
                                                            : straight(corner(i, j), corner(i, j + 1)));
      if (inner)
        cut.cutLines.push_back(vertical[static_cast<std::size_t>(i)].back());
    }
  }

  // Label every pixel with the piece whose polygon holds its centre (scanline crossings, even-odd).
  const int pieceCount = columns * rows;
  std::vector<std::int32_t> label(static_cast<std::size_t>(width) * height, -1);
  std::vector<std::vector<double>> crossings(static_cast<std::size_t>(height));
  for (int j = 0; j < rows; ++j) {
    for (int i = 0; i < columns; ++i) {
      const std::int32_t piece = j * columns + i;
      std::vector<Segment> segments;
      auto addPolyline = [&](const std::vector<Point>& line) {
        for (std::size_t k = 1; k < line.size(); ++k) {
          Point a = line[k - 1], b = line[k];
          if (a.y > b.y || (a.y == b.y && a.x > b.x))
            std::swap(a, b);
          segments.push_back({a, b});
        }
      };
      addPolyline(horizontal[static_cast<std::size_t>(j)][static_cast<std::size_t>(i)]);
      addPolyline(vertical[static_cast<std::size_t>(i + 1)][static_cast<std::size_t>(j)]);
      addPolyline(horizontal[static_cast<std::size_t>(j + 1)][static_cast<std::size_t>(i)]);
      addPolyline(vertical[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)]);
      int lowRow = height, highRow = -1;
      for (auto& list : crossings)
        list.clear();
      for (const Segment& s : segments) {
        // Rows whose centre y lies in [low.y, high.y).
        const int first = std::max(0, static_cast<int>(std::ceil(s.low.y - 0.5)));
        const int last = std::min(height - 1, static_cast<int>(std::ceil(s.high.y - 0.5)) - 1);
        for (int r = first; r <= last; ++r) {
          const double y = r + 0.5;
          const double x = s.low.x + (y - s.low.y) * (s.high.x - s.low.x) / (s.high.y - s.low.y);
          crossings[static_cast<std::size_t>(r)].push_back(x);
          lowRow = std::min(lowRow, r);
          highRow = std::max(highRow, r);
        }
      }
      for (int r = lowRow; r <= highRow; ++r) {
        auto& list = crossings[static_cast<std::size_t>(r)];
        std::sort(list.begin(), list.end());
        for (std::size_t k = 0; k + 1 < list.size(); k += 2) {
          // Pixels whose centre x lies in [list[k], list[k + 1]).
          const int from = std::max(0, static_cast<int>(std::ceil(list[k] - 0.5)));
          const int to = std::min(width - 1, static_cast<int>(std::ceil(list[k + 1] - 0.5)) - 1);
          for (int c = from; c <= to; ++c) {
            std::int32_t& owner = label[static_cast<std::size_t>(r) * width + c];
            if (owner != -1) {
              fault = "pieces " + std::to_string(owner) + " and " + std::to_string(piece) + " overlap at (" +
                      std::to_string(c) + ", " + std::to_string(r) + ")";
              return false;
            }
            owner = piece;
          }
        }
      }
    }
  }

  // Rectangles and masks.
  Puzzle::PieceShapes& shapes = cut.shapes;
  shapes.boardWidth = static_cast<float>(width);
  shapes.boardHeight = static_cast<float>(height);
  std::vector<int> left(pieceCount, width), bottom(pieceCount, height), right(pieceCount, -1),
      top(pieceCount, -1);
  for (int r = 0; r < height; ++r) {
    for (int c = 0; c < width; ++c) {
      const std::int32_t piece = label[static_cast<std::size_t>(r) * width + c];
      if (piece < 0) {
        fault = "pixel (" + std::to_string(c) + ", " + std::to_string(r) + ") is in no piece";
        return false;
      }
      left[piece] = std::min(left[piece], c);
      right[piece] = std::max(right[piece], c);
      bottom[piece] = std::min(bottom[piece], r);
      top[piece] = std::max(top[piece], r);
    }
  }
  shapes.pieces.resize(static_cast<std::size_t>(pieceCount));
  for (int piece = 0; piece < pieceCount; ++piece) {
    Puzzle::PieceShape& shape = shapes.pieces[static_cast<std::size_t>(piece)];
    shape.x = left[piece];
    shape.y = bottom[piece];
    shape.width = right[piece] - left[piece] + 1;
    shape.height = top[piece] - bottom[piece] + 1;
    shape.mask.assign(static_cast<std::size_t>(shape.width) * shape.height, 0);
    for (int r = 0; r < shape.height; ++r) {
      for (int c = 0; c < shape.width; ++c) {
        if (label[static_cast<std::size_t>(shape.y + r) * width + shape.x + c] == piece) {
          shape.mask[static_cast<std::size_t>(r) * shape.width + c] = 1;
        }
      }
    }
    const int i = piece % columns, j = piece / columns;
    if (j > 0)
      shape.neighbours.push_back(static_cast<std::uint32_t>(piece - columns));
    if (i > 0)
      shape.neighbours.push_back(static_cast<std::uint32_t>(piece - 1));
    if (i + 1 < columns)
      shape.neighbours.push_back(static_cast<std::uint32_t>(piece + 1));
    if (j + 1 < rows)
      shape.neighbours.push_back(static_cast<std::uint32_t>(piece + columns));
  }

  // The outline map: the highest coverage any cut line gives a pixel.
  shapes.outline.assign(static_cast<std::size_t>(width) * height, 0);
  const double reach = kLineCore + kLineFade;
  for (const auto& line : cut.cutLines) {
    for (std::size_t k = 1; k < line.size(); ++k) {
      const Point a = line[k - 1], b = line[k];
      const int c0 = std::max(0, static_cast<int>(std::floor(std::min(a.x, b.x) - reach)));
      const int c1 = std::min(width - 1, static_cast<int>(std::ceil(std::max(a.x, b.x) + reach)));
      const int r0 = std::max(0, static_cast<int>(std::floor(std::min(a.y, b.y) - reach)));
      const int r1 = std::min(height - 1, static_cast<int>(std::ceil(std::max(a.y, b.y) + reach)));
      for (int r = r0; r <= r1; ++r) {
        for (int c = c0; c <= c1; ++c) {
          const double d = DistanceToSegment({c + 0.5, r + 0.5}, a, b);
          const double strength = std::clamp((reach - d) / kLineFade, 0.0, 1.0);
          const auto value = static_cast<std::uint8_t>(std::lround(strength * 255.0));
          std::uint8_t& pixel = shapes.outline[static_cast<std::size_t>(r) * width + c];
          pixel = std::max(pixel, value);
        }
      }
    }
  }
  return true;
}

}  // namespace

Cut CutPicture(const CutRequest& request) {
  if (request.columns < 1 || request.rows < 1 || request.pictureWidth < request.columns * 8 ||
      request.pictureHeight < request.rows * 8) {
    throw std::invalid_argument("grid does not fit the picture");
  }
  Random random(request.seed);
  Cut cut;
  std::string fault;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    if (TryCut(request, random, cut, fault)) {
      return cut;
    }
  }
  throw std::runtime_error("no cut without colliding tabs after " + std::to_string(kAttempts) +
                           " attempts: " + fault);
}

tools::RgbImage DrawCut(const Cut& cut, const tools::RgbImage& picture, const std::uint8_t lineColour[3],
                        bool tintPieces) {
  const int width = picture.width, height = picture.height;
  tools::RgbImage out = picture;
  if (tintPieces) {
    const std::uint8_t tints[4][3] = {{255, 255, 255}, {0, 0, 0}, {255, 230, 160}, {120, 160, 255}};
    for (std::size_t p = 0; p < cut.shapes.pieces.size(); ++p) {
      const Puzzle::PieceShape& piece = cut.shapes.pieces[p];
      const std::uint8_t* tint = tints[p % 4];
      for (int r = 0; r < piece.height; ++r) {
        for (int c = 0; c < piece.width; ++c) {
          if (!piece.Contains(c, r))
            continue;
          // Rows here count from the top.
          std::uint8_t* pixel = out.At(piece.x + c, height - 1 - (piece.y + r));
          for (int k = 0; k < 3; ++k)
            pixel[k] = static_cast<std::uint8_t>((pixel[k] * 5 + tint[k]) / 6);
        }
      }
    }
  }
  for (int r = 0; r < height; ++r) {
    for (int c = 0; c < width; ++c) {
      const int alpha = cut.shapes.outline[static_cast<std::size_t>(r) * width + c];
      std::uint8_t* pixel = out.At(c, height - 1 - r);
      for (int k = 0; k < 3; ++k) {
        pixel[k] = static_cast<std::uint8_t>((pixel[k] * (255 - alpha) + lineColour[k] * alpha + 127) / 255);
      }
    }
  }
  return out;
}

}  // namespace jigsaw
