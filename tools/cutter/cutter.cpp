// cutter: the jigsaw cutter of the data build.
//
//   cutter build LIST OUTPUT_FOLDER
//       Reads LIST (see content/puzzles/puzzles.txt) and writes, for cut NN and size MM:
//       OUTPUT_FOLDER/NN/puzzle_MM.pzf, OUTPUT_FOLDER/NN/puzzle.xml (the price) and
//       OUTPUT_FOLDER/NN/preview.jpg (the first size's cut over a neutral background).
//   cutter draw PICTURE.jpg OUTPUT.jpg STYLE SEED COLUMNS ROWS
//       Draws one cut over a picture, to look at.
//
// LIST lines: "picture WIDTH HEIGHT", then "size COLUMNS ROWS" per size in the order of the start-game
// window's size boxes, then "cut STYLE SEED PRICE" per cut in folder order. '#' starts a comment line.

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/common/ByteWriter.h"
#include "tools/cutter/JigsawCutter.h"

namespace {

constexpr int kPreviewSide = 128;
constexpr int kPreviewQuality = 90;

struct CutEntry {
  jigsaw::Style style;
  std::uint32_t seed;
  int price;
};

struct List {
  int width = 0;
  int height = 0;
  std::vector<std::pair<int, int>> sizes;
  std::vector<CutEntry> cuts;
};

List ReadList(const std::string& path) {
  std::ifstream in(path);
  if (!in) {
    throw std::runtime_error("cannot open " + path);
  }
  List list;
  std::string text;
  int line = 0;
  while (std::getline(in, text)) {
    ++line;
    std::istringstream words(text);
    std::string kind;
    if (!(words >> kind) || kind[0] == '#') {
      continue;
    }
    bool ok = false;
    if (kind == "picture") {
      ok = static_cast<bool>(words >> list.width >> list.height);
    } else if (kind == "size") {
      int columns = 0, rows = 0;
      ok = static_cast<bool>(words >> columns >> rows);
      list.sizes.emplace_back(columns, rows);
    } else if (kind == "cut") {
      std::string style;
      CutEntry entry{};
      ok = static_cast<bool>(words >> style >> entry.seed >> entry.price);
      if (ok) {
        entry.style = jigsaw::ParseStyle(style);
        list.cuts.push_back(entry);
      }
    }
    if (!ok) {
      throw std::runtime_error(path + ":" + std::to_string(line) + ": cannot read \"" + text + "\"");
    }
  }
  if (list.width <= 0 || list.height <= 0 || list.sizes.empty() || list.cuts.empty()) {
    throw std::runtime_error(path + ": needs a picture size, sizes and cuts");
  }
  return list;
}

std::string TwoDigits(std::size_t n) {
  return (n < 10 ? "0" : "") + std::to_string(n);
}

void WriteBytes(const std::vector<std::uint8_t>& bytes, const std::filesystem::path& path) {
  if (!tools::WriteWholeFile(bytes, path.string())) {
    throw std::runtime_error("cannot write " + path.string());
  }
}

// A warm, plain background: light wood at the top fading into a deeper tone.
tools::RgbImage NeutralPicture(int width, int height) {
  tools::RgbImage picture = tools::MakeImage(width, height);
  for (int y = 0; y < height; ++y) {
    const double t = static_cast<double>(y) / (height - 1);
    const std::uint8_t colour[3] = {static_cast<std::uint8_t>(236 - 60 * t),
                                    static_cast<std::uint8_t>(214 - 70 * t),
                                    static_cast<std::uint8_t>(178 - 80 * t)};
    for (int x = 0; x < width; ++x) {
      std::copy(colour, colour + 3, picture.At(x, y));
    }
  }
  return picture;
}

int Build(const std::string& listPath, const std::filesystem::path& output) {
  const List list = ReadList(listPath);
  double slowest = 0.0;
  for (std::size_t n = 0; n < list.cuts.size(); ++n) {
    const CutEntry& entry = list.cuts[n];
    const std::filesystem::path folder = output / TwoDigits(n);
    std::filesystem::create_directories(folder);
    for (std::size_t m = 0; m < list.sizes.size(); ++m) {
      jigsaw::CutRequest request;
      request.pictureWidth = list.width;
      request.pictureHeight = list.height;
      request.columns = list.sizes[m].first;
      request.rows = list.sizes[m].second;
      request.style = entry.style;
      request.seed = entry.seed + static_cast<std::uint32_t>(m);
      const auto start = std::chrono::steady_clock::now();
      const jigsaw::Cut cut = jigsaw::CutPicture(request);
      const auto bytes = Puzzle::PieceShapeFile::Write(cut.shapes, static_cast<std::uint32_t>(list.width),
                                                       static_cast<std::uint32_t>(list.height));
      slowest =
          std::max(slowest, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
      WriteBytes(bytes, folder / ("puzzle_" + TwoDigits(m) + ".pzf"));
    }
    const std::string xml =
        "<content>\r\n  <puzzle_cost>" + std::to_string(entry.price) + "</puzzle_cost>\r\n</content>\r\n";
    WriteBytes(std::vector<std::uint8_t>(xml.begin(), xml.end()), folder / "puzzle.xml");

    // The preview: the first size cut at preview scale (the geometry scales with the picture), pieces
    // tinted, squeezed to a square texture.
    const int previewHeight = kPreviewSide * list.height / list.width;
    jigsaw::CutRequest request;
    request.pictureWidth = kPreviewSide;
    request.pictureHeight = previewHeight;
    request.columns = list.sizes[0].first;
    request.rows = list.sizes[0].second;
    request.style = entry.style;
    request.seed = entry.seed;
    const std::uint8_t lines[3] = {70, 52, 40};
    const tools::RgbImage drawn = jigsaw::DrawCut(jigsaw::CutPicture(request),
                                                  NeutralPicture(kPreviewSide, previewHeight), lines, true);
    tools::WriteJpeg(tools::Resample(drawn, kPreviewSide, kPreviewSide), (folder / "preview.jpg").string(),
                     kPreviewQuality);
  }
  std::printf("cutter: %zu cuts x %zu sizes, slowest cut %.3f s\n", list.cuts.size(), list.sizes.size(),
              slowest);
  return 0;
}

int Draw(char** argv) {
  const tools::RgbImage picture = tools::ReadJpeg(argv[0]);
  jigsaw::CutRequest request;
  request.pictureWidth = picture.width;
  request.pictureHeight = picture.height;
  request.style = jigsaw::ParseStyle(argv[2]);
  request.seed = static_cast<std::uint32_t>(std::stoul(argv[3]));
  request.columns = std::stoi(argv[4]);
  request.rows = std::stoi(argv[5]);
  const std::uint8_t lines[3] = {244, 235, 217};
  tools::WriteJpeg(jigsaw::DrawCut(jigsaw::CutPicture(request), picture, lines, false), argv[1], 92);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "build" && argc == 4) {
      return Build(argv[2], argv[3]);
    }
    if (command == "draw" && argc == 8) {
      return Draw(argv + 2);
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "cutter: %s\n", error.what());
    return 1;
  }
  std::fprintf(stderr,
               "usage: cutter build LIST OUTPUT_FOLDER\n"
               "       cutter draw PICTURE.jpg OUTPUT.jpg STYLE SEED COLUMNS ROWS\n");
  return 2;
}
