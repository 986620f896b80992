#pragma once
// The jigsaw cutter: cuts a picture of a given size into a grid of classic jigsaw pieces. Every inner
// edge carries one round tab on one side (a blank on the other), with its place, size and the grid's
// corners varied by a seeded generator, so one style and seed always give the same cut. The result is
// the piece-shape data the game reads: rectangles, masks, neighbours and an antialiased outline map of
// the cut lines, all with row 0 at the bottom of the picture.
//
// Geometry is in picture units with y upwards; pixel (column, row) has its centre at
// (column + 0.5, row + 0.5). Each piece is the polygon of its four edges; a pixel belongs to the piece
// whose polygon holds its centre. Shared edges are the same polyline for both pieces and crossings are
// computed from one canonical orientation, so every pixel belongs to exactly one piece.

#include <cstdint>
#include <string>
#include <vector>

#include "game/PieceShapeFile.h"
#include "tools/imagefile/ImageFile.h"

namespace jigsaw {

struct Point {
  double x = 0.0;
  double y = 0.0;
};

enum class Style {
  kClassic,    // near-regular grid, even tabs
  kWavy,       // edges swing gently on both sides of their tab
  kBold,       // large, rounded tabs
  kIrregular,  // uneven grid, tabs off centre and of varied size
};

// Parses "classic", "wavy", "bold", "irregular"; throws std::invalid_argument otherwise.
Style ParseStyle(const std::string& name);

struct CutRequest {
  int pictureWidth = 640;
  int pictureHeight = 480;
  int columns = 4;
  int rows = 3;
  Style style = Style::kClassic;
  std::uint32_t seed = 1;
};

struct Cut {
  Puzzle::PieceShapes shapes;
  // The inner cut lines as polylines, for previews.
  std::vector<std::vector<Point>> cutLines;
};

// Tabs that collide (a pixel in two pieces or in none) make the cutter try again with the generator's
// next numbers; std::runtime_error when no attempt succeeds.
Cut CutPicture(const CutRequest& request);

// Draws the cut over a picture of the same size (top-down rows, as the JPEG reader gives them): the
// outline map in `lineColour`, and each piece faintly tinted so that pieces can be told apart.
tools::RgbImage DrawCut(const Cut& cut, const tools::RgbImage& picture, const std::uint8_t lineColour[3],
                        bool tintPieces);

}  // namespace jigsaw
