#include "Graphik_WindowLogic.h"

#include "UHelp.h"

#include <algorithm>
#include <cctype>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace {

std::string UpperExtension(const std::string& fileName) {
  const std::size_t dot = ExtensionDotIndex(fileName);
  if (dot == std::string::npos) return {};
  std::string ext = fileName.substr(dot + 1);
  for (char& c : ext) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return ext;
}

void PutLE(QByteArray& bytes, std::uint32_t value, int size) {
  for (int i = 0; i < size; ++i) bytes.append(static_cast<char>((value >> (8 * i)) & 0xFF));
}

}  // namespace

TDiagramFileKind DiagramFileKind(const std::string& fileName) {
  const std::string ext = UpperExtension(fileName);
  if (ext == "DIA") return TDiagramFileKind::Dia;
  if (ext == "STO") return TDiagramFileKind::Sto;
  if (ext == "FDI") return TDiagramFileKind::Fdi;
  return TDiagramFileKind::Out;
}

TExportKind ExportKind(const std::string& fileName) {
  const std::string ext = UpperExtension(fileName);
  if (ext == "BMP") return TExportKind::Bmp;
  if (ext == "PDF") return TExportKind::Pdf;
  return TExportKind::Fdi;
}

std::string ProposedFdiName(const std::string& currentFileName) {
  const std::size_t keep = currentFileName.size() >= 3 ? currentFileName.size() - 3 : 0;
  return currentFileName.substr(0, keep) + "fdi";
}

void ApplyDefaultStyles(TNetwork_Diagramm& d) {
  for (LinkType& l : d.Links) {
    l.LineColor = 0x808080;
    l.LineWidth = 1;
    l.LineStyle = psSolid;
    for (MutationType& m : l.Mutations) {
      m.NameHeight = 6;
      m.NameColor = clRed;
    }
  }
  for (TaxonType& t : d.Taxa) {
    t.LineWidth = 1;
    t.NameHeight = 6;
    t.NameColor = clBlack;
    const TColor pie = IsMedianName(t.Name) ? clRed : clYellow;
    if (t.Pies.empty()) t.Pies.push_back(Pie{"", pie, t.Frequency, bsSolid});
    else t.Pies.front().PieColor = pie;
  }
}

std::string FreeStandingNetworkQuestion() {
  return std::string(
             "This file contains calculation results for shortest trees. The shortest tree(s) can "
             "be displayed either as a skeleton within the original, suboptimal network, or as a "
             "free-standing network. Please select:") +
         "\r\r" +
         "- Yes: Draw the shortest tree(s) as a free-standing network (recommended for graphical "
         "modification and publication) " +
         "\r\r" +
         "- No : Draw the original network, within which the shortest trees are highlighted "
         "(recommended for network comparisons, but graphical modification is difficult)" +
         "\r";
}

void ReduceToSteinerNetwork(TNetwork_Diagramm& d) {
  std::sort(d.SteinerNetwork.begin(), d.SteinerNetwork.end());
  const std::unordered_set<int> kept(d.SteinerNetwork.begin(), d.SteinerNetwork.end());

  // New 1-based number of every old link, 0 for a removed one.
  std::vector<int> renumber(d.Links.size() + 1, 0);
  std::vector<LinkType> links;
  for (std::size_t i = 0; i < d.Links.size(); ++i)
    if (kept.contains(static_cast<int>(i) + 1)) {
      links.push_back(std::move(d.Links[i]));
      renumber[i + 1] = static_cast<int>(links.size());
    }
  d.Links = std::move(links);
  // A tree naming a link outside the network loses that number rather than pointing at another.
  const auto renumberList = [&](SubTree& list) {
    SubTree out;
    for (int link : list)
      if (link >= 1 && link < static_cast<int>(renumber.size()) && renumber[link] > 0)
        out.push_back(renumber[link]);
    list = std::move(out);
  };
  for (SubTree& tree : d.SteinerTrees) renumberList(tree);
  renumberList(d.SteinerNetwork);

  std::unordered_set<std::string> ends;
  for (const LinkType& l : d.Links) ends.insert({l.Taxon1, l.Taxon2});
  std::erase_if(d.Taxa,
                [&](const TaxonType& t) { return IsMedianName(t.Name) && !ends.contains(t.Name); });

  // Peel pendant links until every remaining torso node has two torso links.
  std::unordered_map<std::string, int> degree;
  std::unordered_map<std::string, std::vector<int>> at;
  for (std::size_t i = 0; i < d.Links.size(); ++i) {
    LinkType& l = d.Links[i];
    l.InTorso = true;
    l.TorsoPart = 1;
    ++degree[l.Taxon1];
    ++degree[l.Taxon2];
    at[l.Taxon1].push_back(static_cast<int>(i));
    at[l.Taxon2].push_back(static_cast<int>(i));
  }
  std::vector<std::string> pendant;
  for (const auto& [name, n] : degree)
    if (n < 2) pendant.push_back(name);
  while (!pendant.empty()) {
    const std::string name = pendant.back();
    pendant.pop_back();
    for (int i : at[name]) {
      LinkType& l = d.Links[i];
      if (!l.InTorso) continue;
      l.InTorso = false;
      for (const std::string* end : {&l.Taxon1, &l.Taxon2})
        if (--degree[*end] == 1) pendant.push_back(*end);
    }
  }
}

void ShowOriginalNetwork(TNetwork_Diagramm& d) {
  std::unordered_set<std::string> ends;
  for (LinkType& l : d.Links) {
    l.Active = true;
    ends.insert({l.Taxon1, l.Taxon2});
  }
  for (TaxonType& t : d.Taxa) t.Active = ends.contains(t.Name);
}

QByteArray Bitmap32Bytes(const QImage& source) {
  const QImage image = source.convertToFormat(QImage::Format_RGB32);
  const std::uint32_t w = static_cast<std::uint32_t>(image.width());
  const std::uint32_t h = static_cast<std::uint32_t>(image.height());
  const std::uint32_t pixelBytes = w * h * 4;
  QByteArray bytes;
  bytes.reserve(static_cast<qsizetype>(54 + pixelBytes));
  bytes.append("BM");
  PutLE(bytes, 54 + pixelBytes, 4);  // file size
  PutLE(bytes, 0, 4);                // reserved
  PutLE(bytes, 54, 4);               // offset of the pixels
  PutLE(bytes, 40, 4);               // info header size
  PutLE(bytes, w, 4);
  PutLE(bytes, h, 4);  // positive: bottom-up rows
  PutLE(bytes, 1, 2);  // planes
  PutLE(bytes, 32, 2);
  PutLE(bytes, 0, 4);  // uncompressed
  PutLE(bytes, pixelBytes, 4);
  PutLE(bytes, static_cast<std::uint32_t>(std::max(0, image.dotsPerMeterX())), 4);
  PutLE(bytes, static_cast<std::uint32_t>(std::max(0, image.dotsPerMeterY())), 4);
  PutLE(bytes, 0, 4);  // colours used
  PutLE(bytes, 0, 4);  // important colours
  for (int y = static_cast<int>(h) - 1; y >= 0; --y) {
    const QRgb* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (std::uint32_t x = 0; x < w; ++x) {
      bytes.append(static_cast<char>(qBlue(row[x])));
      bytes.append(static_cast<char>(qGreen(row[x])));
      bytes.append(static_cast<char>(qRed(row[x])));
      bytes.append('\0');
    }
  }
  return bytes;
}

bool WriteBitmap32(const QImage& image, const std::string& fileName, std::string* error) {
  const QByteArray bytes = Bitmap32Bytes(image);
  const std::string_view view(bytes.constData(), static_cast<std::size_t>(bytes.size()));
  if (WriteWholeFile(fileName, view)) return true;
  if (error) *error = "Cannot write the file " + fileName + ".";
  return false;
}
