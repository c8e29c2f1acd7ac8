#pragma once
// A network diagram in memory: nodes (taxa and median vectors) with positions and styles, links
// with their mutation labels, colour schemes, links drawn through help points, equivalent taxa and
// the Steiner (maximum-parsimony) trees found by the solver. Plain data with public fields; the
// readers fill it, DrawDiagram paints it, the windows edit it.
//
// Storage is 0-based (std::vector); the operations take 1-based node, link, segment and mutation
// numbers, and Steiner trees hold 1-based link numbers. Counts are computed from the arrays so
// they can never disagree with them.

#include "Canvas.h"
#include "UHelp.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// The most mutations a link read from a .out file keeps; longer lists are cut and counted in
// LongEdges.
constexpr int kMaxMutationsPerLink = 1000;

// True for a median vector: a name beginning "mv".
bool IsMedianName(const std::string& name);

// Text before the first `ch` and the text after it; without `ch` the whole text and an empty rest.
struct TSplit {
  std::string Head;
  std::string Rest;
};
TSplit SplitAtChar(const std::string& text, char ch);

struct TNameBox {
  double Left = 0, Top = 0, Right = 0, Bottom = 0;
  bool operator==(const TNameBox&) const = default;
};

struct InfoPair {
  std::string InfoLabel;  // at most 20 characters
  std::string InfoValue;  // at most 50 characters
  bool operator==(const InfoPair&) const = default;
};
constexpr std::size_t kInfoLabelLength = 20;
constexpr std::size_t kInfoValueLength = 50;

struct Pie {
  std::string PieLabel;
  TColor PieColor = 0;
  std::int32_t PieFrequency = 0;
  std::uint8_t PiePattern = bsSolid;
  bool operator==(const Pie&) const = default;
};
using PieType = std::vector<Pie>;

struct TaxonType {
  std::string Name;
  std::string Label;
  // 0: ethnic group / phenotype, 1: region / geography, 2: haplogroup / lineage, 3-5: groups 1-3.
  std::array<InfoPair, 6> Info;
  std::int32_t NameHeight = 0;
  std::uint8_t NameStyle = 0;
  TColor NameColor = 0;
  TNameBox NameBox;
  double X = 0, Y = 0;
  std::int32_t Frequency = 0;
  std::int32_t OrigFrequency = 0;
  PieType Pies;
  std::int32_t LineWidth = 0;
  TColor LineColor = 0;
  std::uint8_t LineStyle = psSolid;
  bool Active = false;
  bool operator==(const TaxonType&) const = default;
};

struct MutationType {
  std::string Character;
  std::string Name;
  std::int32_t NameHeight = 0;
  std::uint8_t NameStyle = 0;
  TColor NameColor = 0;
  TNameBox NameBox;
  bool operator==(const MutationType&) const = default;
};

struct LinkType {
  std::string Taxon1, Taxon2;
  bool InTorso = false;
  std::uint8_t TorsoPart = 0;
  std::vector<MutationType> Mutations;
  TColor LineColor = 0;
  std::uint8_t LineStyle = psSolid;
  std::int32_t LineWidth = 0;
  bool Active = false;

  int MutationCount() const { return static_cast<int>(Mutations.size()); }
  bool operator==(const LinkType&) const = default;
};

struct SchemeType {
  std::string SchemeName;
  bool SchemeActive = false;
  std::vector<TColor> SchemeColors;       // parallel to SchemeLabels
  std::vector<std::string> SchemeLabels;
  bool operator==(const SchemeType&) const = default;
};

struct HelpPoint {
  double X = 0, Y = 0;
  bool operator==(const HelpPoint&) const = default;
};

struct HelpPointLinkType {
  std::string Taxon1, Taxon2;
  std::vector<HelpPoint> Points;  // bend points between the two end nodes

  int PointCount() const { return static_cast<int>(Points.size()); }
  bool operator==(const HelpPointLinkType&) const = default;
};

struct EquiTaxonType {
  std::string Taxon1;  // the representative
  std::string Taxon2;  // has the same sequence as Taxon1
  bool operator==(const EquiTaxonType&) const = default;
};

using SubTree = std::vector<std::int32_t>;  // 1-based link numbers

struct TIntPoint {
  std::int32_t X = 0, Y = 0;
  bool operator==(const TIntPoint&) const = default;
};

enum class THitKind { Nothing, Node, NodeLabel, Mutation, Link };

struct THitResult {
  THitKind Kind = THitKind::Nothing;
  int Index = 0;     // 1-based node or link
  int Mutation = 0;  // 1-based, for THitKind::Mutation
};

class TNetwork_Diagramm {
public:
  std::vector<SubTree> SteinerTrees;
  SubTree SteinerNetwork;
  std::vector<TaxonType> Taxa;
  std::vector<LinkType> Links;
  std::vector<SchemeType> ColorSchemes;
  std::vector<HelpPointLinkType> HelpPointLinks;
  std::vector<EquiTaxonType> EquivalentTaxa;
  bool SpecialFileType = false;  // from a Frequency>1 run or star-contracted data
  std::int32_t LongEdges = 0;     // links whose mutation list was cut at kMaxMutationsPerLink
  std::int32_t SteinerLength = 0;
  TIntPoint DiagramCenter;        // fixed point of zooming, in diagram units
  TIntPoint ImageCenter;          // image position of the diagram centre
  std::int32_t TotalTaxa = 0;
  std::int32_t TotalHaplotypes = 0;

  bool operator==(const TNetwork_Diagramm&) const = default;

  int NodeCount() const { return static_cast<int>(Taxa.size()); }
  int LinkCount() const { return static_cast<int>(Links.size()); }
  int HelpPointLinkCount() const { return static_cast<int>(HelpPointLinks.size()); }
  int EquivalentTaxonCount() const { return static_cast<int>(EquivalentTaxa.size()); }
  int SteinerTreeCount() const { return static_cast<int>(SteinerTrees.size()); }

  // Empties everything; every reader starts with it.
  void ClearDiagram();

  // Scales positions about DiagramCenter and moves ImageCenter about the image centre; factors
  // within 0.01 of 1 change nothing.
  void ZoomDiagram(int width, int height, double factor);
  int ImageOffsetX() const { return ImageCenter.X - DiagramCenter.X; }
  int ImageOffsetY() const { return ImageCenter.Y - DiagramCenter.Y; }

  // Makes only the Steiner network (or tree t, 1-based) and its end nodes active.
  void MarkSteinerNetwork();
  void MarkSteinerTree(int t);

  // Drops Steiner link numbers outside 1..LinkCount (a damaged or foreign file).
  void DropInvalidSteinerLinks();

  // Label of the first node named `name`; the name itself when there is none.
  std::string LookupNodeLabel(const std::string& name) const;
  // 0-based index of the first node named `name`, -1 when none.
  int FindNode(const std::string& name) const;
  bool HasSinglePie(int node) const;

  // Hit test in image coordinates.
  THitResult HitTest(double px, double py, bool mutations, bool labels, bool medians,
                     bool onlyTorso) const;

  // One colour scheme per information item, labelled from the first node, listing each node's
  // non-empty values once, all yellow and inactive. A diagram without nodes gets none.
  void BuildColorSchemes();

  // Style setters. `index` addresses one element (1-based) when no selection flag is set.
  void SetLinkLineColor(int link, TColor value, bool nonTorso, bool torso);
  void SetLinkLineStyle(int link, std::uint8_t value, bool nonTorso, bool torso);
  void SetLinkLineWidth(int link, std::int32_t value, bool nonTorso, bool torso);
  void SetTaxonPieColor(int node, int segment, TColor value, bool medians, bool taxa);
  void SetTaxonPiePattern(int node, int segment, std::uint8_t value, bool medians, bool taxa);
  void SetTaxonPieFrequencies(int node, const std::vector<std::int32_t>& shares, bool medians,
                              bool taxa);
  void SetTaxonNameColor(int node, TColor value, bool medians, bool taxa);
  void SetTaxonNameHeight(int node, std::int32_t value, bool medians, bool taxa);
  void SetTaxonNameStyle(int node, std::uint8_t value, bool medians, bool taxa);
  void SetTaxonLineWidth(int node, std::int32_t value, bool medians, bool taxa);
  void SetTaxonLineColor(int node, TColor value, bool medians, bool taxa);
  void SetTaxonLineStyle(int node, std::uint8_t value, bool medians, bool taxa);
  void SetAllMutationNameHeights(std::int32_t value);
  void SetAllMutationNameColors(TColor value);
  // One mutation (link, mutation), every mutation of the link (wholeLink) or all (all).
  void SetMutationNameHeight(int link, int mutation, std::int32_t value, bool wholeLink, bool all);
  void SetMutationNameStyle(int link, int mutation, std::uint8_t value, bool wholeLink, bool all);
  void SetMutationNameColor(int link, int mutation, TColor value, bool wholeLink, bool all);

private:
  template <class F> void ForLinks(int link, bool nonTorso, bool torso, F apply);
  template <class F> void ForNodes(int node, bool medians, bool taxa, F apply);
  template <class F> void ForMutations(int link, int mutation, bool wholeLink, bool all, F apply);
  void MarkLinks(const SubTree& links);
};

using SplitType = std::vector<std::string>;

// The diagram of the drawing window, with the working lists of its layout and mouse editing.
class TDrawNetwork_Diagramm : public TNetwork_Diagramm {
public:
  std::array<SplitType, 2> LinkSides;  // node names on either side of a chosen link
  std::vector<bool> NodeDone;          // per node: expanded by the stepwise placement
  std::vector<std::int32_t> NodeDistance;  // per node: mutations on the path from the start node

  // Drawn length of one mutation; see the implementation. Asks the user when the link is off the
  // common unit and `ask` is set.
  double MutationUnitLength(int link, bool ask) const;

  // Fills LinkSides with the nodes on either side of the link's character.
  void SplitNetworkAtLink(int link);

  // Turns the side of `grabbed` around `pivot` (the two ends of `link`, 1-based node numbers)
  // towards the direction (dx, dy), keeping the link's drawn length. Needs LinkSides from
  // SplitNetworkAtLink(link).
  void RotateLinkSide(int link, int pivot, int grabbed, double dx, double dy);

  // Marks the bridges of the torso (100) and numbers the parts they separate (2..99): over the
  // torso links in index order, each bridge (while numbers last) takes the next number, every
  // torso link reachable from its Taxon2 end without crossing it or an earlier bridge takes that
  // number, and the bridge becomes 100. Every link with a part other than 0 counts as torso, so
  // numbering again gives the same parts. Near-linear in the size of the torso.
  void NumberTorsoParts();
};
