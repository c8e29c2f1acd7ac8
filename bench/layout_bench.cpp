// Lays out a network (.out or .sto) headless on a surface of the window's (777 x 553 unless --size
// says otherwise): torso parts, the layout run, the stepwise placement to the end and the spread
// for the finished drawing, then one full redraw with the window's drawing options; prints the
// times and how readable the drawing is (crossing links, overlapping nodes and names, links
// through nodes, what lies off the surface). With --generate it first
// writes a synthetic .out network (a random tree with squares hung on it) of the given node count.
//
//   layout_bench <network.out|.sto> [--size WxH] [--png picture.png]
//   layout_bench --generate <nodes> <network.out> [--seed n]

#include "Dia_File.h"
#include "Dialogs.h"
#include "DrawEdgesThread.h"
#include "Graphik_Programm.h"
#include "Graphik_WindowLogic.h"
#include "LayoutQuality.h"
#include "QtCanvas.h"

#include <QGuiApplication>
#include <QImage>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <random>
#include <string>
#include <vector>

namespace {

// Messages of the layout go to standard error; questions are answered No.
class QuietDialogs final : public Dialogs {
public:
  void showMessage(const std::string& text, DialogKind) override { std::cerr << text << '\n'; }
  DialogAnswer ask(const std::string&, DialogButtons, DialogKind) override { return DialogAnswer::No; }
  std::optional<std::string> openFileName(const FileDialogRequest&) override { return std::nullopt; }
  std::optional<std::string> saveFileName(const FileDialogRequest&) override { return std::nullopt; }
  std::optional<std::string> inputText(const std::string&, const std::string&, const std::string&) override {
    return std::nullopt;
  }
  std::optional<unsigned> chooseColor(unsigned) override { return std::nullopt; }
};

std::string Right(const std::string& s, std::size_t w) { return s.size() >= w ? s : std::string(w - s.size(), ' ') + s; }
std::string Left(const std::string& s, std::size_t w) { return s.size() >= w ? s : s + std::string(w - s.size(), ' '); }

struct GenLink {
  int a, b;
  char state;  // '0' outside the torso, '1' torso, 'a' torso bridge
  std::vector<int> characters;
};

// A random tree of about `nodes` nodes; every 25th addition is a square (two new mutations meeting
// again) joined by a torso bridge to a square before it, so the torso is a tree of small cycles
// with the rest of the network hanging on it.
bool Generate(int nodes, const std::string& fileName, unsigned seed) {
  if (nodes < 2) {
    std::cerr << "layout_bench: --generate needs at least 2 nodes\n";
    return false;
  }
  std::mt19937 rng(seed);
  std::vector<GenLink> links;
  std::vector<int> torso;  // nodes of squares
  int count = 1, character = 0;
  const auto pick = [&](int n) { return std::uniform_int_distribution<int>(1, n)(rng); };
  while (count < nodes) {
    if (count + 4 <= nodes && count % 25 == 0) {
      int a = pick(count);
      if (!torso.empty()) {
        const int bridged = ++count;
        links.push_back({torso[pick(static_cast<int>(torso.size())) - 1], bridged, 'a', {++character}});
        a = bridged;
      }
      const int x = ++character, y = ++character;
      const int b = ++count, c = ++count, d = ++count;
      links.push_back({a, b, '1', {x}});
      links.push_back({a, c, '1', {y}});
      links.push_back({b, d, '1', {y}});
      links.push_back({c, d, '1', {x}});
      torso.insert(torso.end(), {a, b, c, d});
    } else {
      const int a = pick(count), b = ++count;
      std::vector<int> muts(pick(3));
      for (int& m : muts) m = ++character;
      links.push_back({a, b, '0', muts});
    }
  }
  std::ofstream out(fileName, std::ios::binary);
  if (!out) {
    std::cerr << "layout_bench: cannot write " << fileName << '\n';
    return false;
  }
  out << "Results of file synthetic.rdf with Epsilon=0\r\n\r\nEquivalent taxa : \r\n\r\n\r\nFinal links : \r\n\r\n";
  for (std::size_t k = 0; k < links.size(); ++k) {
    const GenLink& l = links[k];
    out << "Link" << Right(std::to_string(k + 1), 5) << ' ' << l.state << " Seq. "
        << Right(std::to_string(l.a), 6) << " with Seq. " << Right(std::to_string(l.b), 6) << ", mutations at ";
    for (int c : l.characters) out << Left(std::to_string(c), 6) << " a ";
    out << "\r\n";
  }
  out << std::string(50, '*') << "\r\n";
  for (int i = 1; i <= count; ++i) out << "Frequ. of taxon   " << Right(std::to_string(i), 6) << " : " << Right("1", 4) << "\r\n";
  out << std::string(50, '*') << "\r\n";
  return static_cast<bool>(out);
}

double Millis(std::chrono::steady_clock::time_point from) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - from).count();
}

int Usage() {
  std::cerr << "usage: layout_bench <network.out|.sto> [--size WxH] [--png picture.png]\n"
               "       layout_bench --generate <nodes> <network.out> [--seed n]\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  QuietDialogs quiet;
  DialogsScope scope(quiet);
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return Usage();

  if (args[0] == "--generate") {
    if (args.size() != 3 && !(args.size() == 5 && args[3] == "--seed")) return Usage();
    const int nodes = std::atoi(args[1].c_str());
    const unsigned seed = args.size() == 5 ? static_cast<unsigned>(std::strtoul(args[4].c_str(), nullptr, 10)) : 1;
    return Generate(nodes, args[2], seed) ? 0 : 1;
  }
  std::string png;
  int width = 777, height = 553;
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--png" && i + 1 < args.size()) {
      png = args[++i];
    } else if (args[i] == "--size" && i + 1 < args.size()) {
      char x = 0;
      char rest = 0;
      if (std::sscanf(args[++i].c_str(), "%d%c%d%c", &width, &x, &height, &rest) != 3 || x != 'x' || width < 50 ||
          height < 50 || width > 20000 || height > 20000) {
        std::cerr << "layout_bench: --size wants WIDTHxHEIGHT, each 50 to 20000 pixels\n";
        return 2;
      }
    } else {
      return Usage();
    }
  }

  const std::string& file = args[0];
  TDrawNetwork_Diagramm diagram;
  std::string error;
  const bool sto = file.size() > 4 && file.substr(file.size() - 4) == ".sto";
  const auto start = std::chrono::steady_clock::now();
  if (!(sto ? LoadStoFile(diagram, file, &error) : LoadOutFile(diagram, file, &error))) {
    std::cerr << "layout_bench: " << error << '\n';
    return 1;
  }
  if (diagram.NodeCount() == 0 || diagram.LinkCount() == 0) {
    std::cerr << "layout_bench: " << file << " holds no network\n";
    return 1;
  }
  const double readMs = Millis(start);
  ApplyDefaultStyles(diagram);

  QImage surface(width, height, QImage::Format_RGB32);
  surface.fill(Qt::white);
  diagram.ImageCenter = {RoundEven(surface.width() / 2.0), RoundEven(surface.height() / 2.0)};
  diagram.DiagramCenter = diagram.ImageCenter;

  auto t = std::chrono::steady_clock::now();
  diagram.NumberTorsoParts();
  const double partsMs = Millis(t);

  TGraphik_Programm layout(diagram, surface);
  t = std::chrono::steady_clock::now();
  if (!layout.zeichnung_New()) {
    std::cerr << "layout_bench: nothing to lay out\n";
    return 1;
  }
  const double layoutMs = Millis(t);

  TDrawEdges placement(layout);
  t = std::chrono::steady_clock::now();
  placement.Start();
  while (placement.Step()) {
  }
  const double placementMs = Millis(t);
  t = std::chrono::steady_clock::now();
  layout.SpreadForDrawing(TDrawOptions{});
  const double spreadMs = Millis(t);

  int activeLinks = 0, torsoLinks = 0;
  for (const LinkType& l : diagram.Links) {
    activeLinks += l.Active;
    torsoLinks += l.InTorso;
  }
  // A repaint of the finished drawing, names and mutation labels included.
  QImage picture(surface.size(), QImage::Format_RGB32);
  picture.fill(Qt::white);
  double drawMs = 0;
  {
    TQtCanvas canvas(picture);
    t = std::chrono::steady_clock::now();
    DrawDiagram(diagram, canvas, picture.width(), picture.height(), TDrawOptions{});
    drawMs = Millis(t);
  }
  const TLayoutQuality quality = MeasureLayout(diagram, picture.width(), picture.height(), TDrawOptions{});
  if (!png.empty() && !picture.save(QString::fromStdString(png))) std::cerr << "layout_bench: cannot write " << png << '\n';

  std::printf("nodes=%d links=%d torso_links=%d active_links=%d placed=%d done=%d unit=%.3f read_ms=%.1f parts_ms=%.1f "
              "layout_ms=%.1f placement_ms=%.1f spread_ms=%.1f total_ms=%.1f draw_ms=%.1f "
              "crossings=%d overlaps=%d grazes=%d outside=%d\n",
              diagram.NodeCount(), diagram.LinkCount(), torsoLinks, activeLinks, placement.PlacementIndex(),
              placement.DrawingDone() ? 1 : 0, layout.UnitLength, readMs,
              partsMs, layoutMs, placementMs, spreadMs, partsMs + layoutMs + placementMs + spreadMs, drawMs, quality.Crossings, quality.Overlaps, quality.Grazes,
              quality.Outside);
  return 0;
}
