#pragma once
// The values the style dialogs of the drawing window edit, with their rules (accepted ranges, the
// slices of a pie chart, the colours of a colour scheme), what a confirmed dialog applies to which
// nodes and links, and the dialogs' previews painted on a canvas. No widgets: the dialogs are thin
// forms over these classes, and the drawing window loads and applies them.
//
// Node, link, mutation, slice and row numbers are 1-based, as in the diagram's operations.

#include "Canvas.h"
#include "Network_Diagramm.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

using TPieColours = std::vector<TColor>;
using TPieFrequencies = std::vector<std::int32_t>;
using TPiePatterns = std::vector<std::uint8_t>;
using TSchemeColours = std::vector<TColor>;
using TSchemeLabels = std::vector<std::string>;

// The items of a slice's pattern combo, in the order shown, and the brush pattern of each.
struct TPatternItem {
  const char* Name;
  std::uint8_t Pattern;
};
inline constexpr std::array<TPatternItem, 7> kPiePatternItems = {{
    {"solid", bsSolid},
    {"backward diagonal", bsBDiagonal},
    {"forward diagonal", bsFDiagonal},
    {"cross", bsCross},
    {"diagonal cross", bsDiagCross},
    {"horizontal", bsHorizontal},
    {"vertical", bsVertical},
}};
// Combo item of a brush pattern; -1 when the list has none (nothing is shown selected).
int PiePatternItem(std::uint8_t pattern);

// The items of the outline and link style combos.
inline constexpr std::array<const char*, 2> kPenStyleItems = {"solid", "clear"};
// Combo item of a pen style: solid 0, clear 1; the dashed styles have no item (-1).
int PenStyleItem(std::uint8_t style);

// Line widths the outline and link dialogs accept.
inline constexpr int kMinLineWidth = 1;
inline constexpr int kMaxLineWidth = 4;
// Font sizes the text dialogs accept.
inline constexpr int kMinTextSize = 4;
inline constexpr int kMaxTextSize = 99;

// ---- Pie chart definition of a node ----------------------------------------------------------

// The node's outline and its pie slices. The slice arrays may hold more entries than slices are
// shown: a removed slice's row keeps its values and shows them again when a slice is added. OK
// cuts them to the slices shown.
class TTaxonStyle {
public:
  void SetTaxonFrequency(std::int32_t value) { taxonFrequency_ = value; }
  std::int32_t TaxonFrequency() const { return taxonFrequency_; }
  // Accepts 1..4 only; other values leave the previous width.
  void SetOutlineWidth(std::int32_t value);
  // The width spin's value as it stands.
  void StoreOutlineWidth(std::int32_t value) { outlineWidth_ = value; }
  std::int32_t OutlineWidth() const { return outlineWidth_; }
  void SetOutlineStyle(std::uint8_t value) { outlineStyle_ = value; }
  std::uint8_t OutlineStyle() const { return outlineStyle_; }
  void SetOutlineColor(TColor value) { outlineColor_ = value; }
  TColor OutlineColor() const { return outlineColor_; }
  void SetApplyAllTaxa(bool value) { applyAllTaxa_ = value; }
  bool ApplyAllTaxa() const { return applyAllTaxa_; }
  void SetApplyAllMedians(bool value) { applyAllMedians_ = value; }
  bool ApplyAllMedians() const { return applyAllMedians_; }

  // The slice arrays, copied in and out whole. Setting one shows one slice per colour again.
  void SetPieColours(TPieColours value);
  const TPieColours& PieColours() const { return colours_; }
  void SetPieFrequencies(TPieFrequencies value);
  const TPieFrequencies& PieFrequencies() const { return frequencies_; }
  void SetPiePatterns(TPiePatterns value);
  const TPiePatterns& PiePatterns() const { return patterns_; }

  // Number of slices shown.
  int SliceCount() const { return sliceCount_; }
  // One slice per colour. Frequency and pattern arrays shorter than the colours are completed
  // with the values of a new slice, so every shown row has all three.
  void Activate();
  // Shows one more slice: the row hidden last by a removal, or a new black solid slice of 1.
  void AddSlice();
  // Removes slice `row`; the slices after it move up. With fewer than two slices the message
  // "Can not delete last pie. At least one specification must remain." is shown and false is
  // returned.
  bool RemoveSlice(int row);
  // A value below 0 becomes 0.
  void SetSliceFrequency(int row, std::int32_t value);
  void SetSlicePattern(int row, std::uint8_t pattern);
  void SetSliceColour(int row, TColor colour);
  // Sum of the shown slices' frequencies.
  std::int64_t SliceTotal() const;
  // OK: cuts the arrays to the slices shown and, when their total differs from the node's
  // frequency, says that the values will be adjusted. Closes in every case.
  void Accept();

private:
  bool ValidRow(int row) const { return row >= 1 && row <= sliceCount_; }

  std::int32_t taxonFrequency_ = 0;
  std::int32_t outlineWidth_ = 1;
  std::uint8_t outlineStyle_ = psSolid;
  TColor outlineColor_ = clBlack;
  bool applyAllTaxa_ = false;
  bool applyAllMedians_ = false;
  TPieColours colours_;
  TPieFrequencies frequencies_;
  TPiePatterns patterns_;
  int sliceCount_ = 0;
};

// ---- Colour scheme definition -----------------------------------------------------------------

// The colours of one scheme's labels; the two arrays run in parallel.
class TSchemeColorsEdit {
public:
  // Copied in and out whole; setting one shows one row per colour again.
  void SetEditedSchemeLabels(TSchemeLabels value) {
    labels_ = std::move(value);
    Activate();
  }
  const TSchemeLabels& EditedSchemeLabels() const { return labels_; }
  void SetEditedSchemeColours(TSchemeColours value) {
    colours_ = std::move(value);
    Activate();
  }
  const TSchemeColours& EditedSchemeColours() const { return colours_; }

  // One row per colour; a colour without a label gets an empty one.
  void Activate();
  int SchemeRowCount() const { return rowCount_; }
  void SetRowColour(int row, TColor colour);
  // OK: cuts both arrays to the rows shown.
  void Accept();

private:
  TSchemeLabels labels_;
  TSchemeColours colours_;
  int rowCount_ = 0;
};

// ---- Link style ---------------------------------------------------------------------------------

class TLinkStyle {
public:
  // Accepts 1..4 only; other values leave the previous width.
  void SetWidth(std::int32_t value);
  void StoreWidth(std::int32_t value) { width_ = value; }
  std::int32_t Width() const { return width_; }
  void SetColor(TColor value) { color_ = value; }
  TColor Color() const { return color_; }
  void SetStyle(std::uint8_t value) { style_ = value; }
  std::uint8_t Style() const { return style_; }
  void SetApplyOutsideTorso(bool value) { applyOutsideTorso_ = value; }
  bool ApplyOutsideTorso() const { return applyOutsideTorso_; }
  void SetApplyWithinTorso(bool value) { applyWithinTorso_ = value; }
  bool ApplyWithinTorso() const { return applyWithinTorso_; }

private:
  std::int32_t width_ = 1;
  TColor color_ = clBlack;
  std::uint8_t style_ = psSolid;
  bool applyOutsideTorso_ = false;
  bool applyWithinTorso_ = false;
};

// ---- Text style of a node label or a mutation label --------------------------------------------

class TTextStyle {
public:
  // Accepts 4..99; other values show "Value of font size is out of range." and leave the previous
  // size.
  void SetSize(std::int32_t value);
  void StoreSize(std::int32_t value) { size_ = value; }
  std::int32_t Size() const { return size_; }
  void SetColor(TColor value) { color_ = value; }
  TColor Color() const { return color_; }
  // Font style bits: fsBold, fsItalic, fsUnderline, fsStrikeOut.
  void SetStyle(std::uint8_t value) { style_ = value; }
  std::uint8_t Style() const { return style_; }
  void SetStyleBit(std::uint8_t bit, bool on);
  // Two "apply" boxes: all taxa and all median vectors (node labels), or the complete link and
  // all links (mutation labels).
  void SetApplyFirst(bool value) { applyFirst_ = value; }
  bool ApplyFirst() const { return applyFirst_; }
  void SetApplySecond(bool value) { applySecond_ = value; }
  bool ApplySecond() const { return applySecond_; }

private:
  std::int32_t size_ = 6;
  TColor color_ = clBlack;
  std::uint8_t style_ = 0;
  bool applyFirst_ = false;
  bool applySecond_ = false;
};

// ---- Filling the dialogs from the diagram and applying them -------------------------------------

// The dialogs' values for an element, both "apply" boxes cleared. Values the setters refuse leave
// what the dialog held before.
void LoadLinkStyle(TLinkStyle& style, const LinkType& link);
// A node with one segment of frequency above 1 is offered as two slices: the segment less one,
// and one black solid slice of 1, ready to be made a pie. A node without segments gets one.
void LoadTaxonStyle(TTaxonStyle& style, const TaxonType& node);
void LoadTextStyle(TTextStyle& style, std::int32_t height, std::uint8_t fontStyle, TColor color);

// What OK applies. Link: width, style and colour of the link, or of all links outside and/or
// within the torso.
void ApplyLinkStyle(TNetwork_Diagramm& diagram, int link, const TLinkStyle& style);
// Node: outline and slices of the node, or of all taxa and/or all median vectors; switches every
// colour scheme off (the pies show the new colours).
void ApplyTaxonStyle(TNetwork_Diagramm& diagram, int node, const TTaxonStyle& style);
// Node label: colour, height and style; ApplyFirst = all taxa, ApplySecond = all median vectors.
void ApplyTaxonNameStyle(TNetwork_Diagramm& diagram, int node, const TTextStyle& style);
// Mutation label: colour, style and height; ApplyFirst = the complete link, ApplySecond = all
// links.
void ApplyMutationStyle(TNetwork_Diagramm& diagram, int link, int mutation,
                        const TTextStyle& style);
// Scheme `scheme` (1-based) takes `colours` and becomes the one active scheme.
void ActivateScheme(TNetwork_Diagramm& diagram, int scheme, const TSchemeColours& colours);

// ---- Previews -----------------------------------------------------------------------------------

// The pie chart of the shown slices (slices of frequency 0 are left out), angles growing
// counter-clockwise from 3 o'clock, outlined with the outline's colour, style and width.
void DrawPiePreview(TCanvas& canvas, int width, int height, const TTaxonStyle& style);
// A horizontal line over the middle half of the preview in the link's colour, style and width.
void DrawLinkPreview(TCanvas& canvas, int width, int height, const TLinkStyle& style);
// "example" in Arial in the text style, from a quarter of the width at half the height.
void DrawTextPreview(TCanvas& canvas, int width, int height, const TTextStyle& style);
