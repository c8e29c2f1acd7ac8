#include "DiagramStyles.h"

#include "Dialogs.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr TColor kNewSliceColour = clBlack;
constexpr std::int32_t kNewSliceFrequency = 1;
constexpr std::uint8_t kNewSlicePattern = bsSolid;

template <class T> void ResizeTo(std::vector<T>& values, int count, T fill) {
  values.resize(static_cast<std::size_t>(std::max(0, count)), fill);
}

void ClearPreview(TCanvas& canvas, int width, int height) {
  canvas.SetPen({clWhite, 1, psSolid});
  canvas.SetBrush({clWhite, bsSolid});
  canvas.Rectangle(0, 0, width, height);
}

}  // namespace

int PiePatternItem(std::uint8_t pattern) {
  for (std::size_t i = 0; i < kPiePatternItems.size(); ++i)
    if (kPiePatternItems[i].Pattern == pattern) return static_cast<int>(i);
  return -1;
}

int PenStyleItem(std::uint8_t style) {
  if (style == psSolid) return 0;
  if (style == psClear) return 1;
  return -1;
}

// ---- TTaxonStyle ---------------------------------------------------------------------------------

void TTaxonStyle::SetOutlineWidth(std::int32_t value) {
  if (value >= kMinLineWidth && value <= kMaxLineWidth) outlineWidth_ = value;
}

void TTaxonStyle::SetPieColours(TPieColours value) {
  colours_ = std::move(value);
  Activate();
}

void TTaxonStyle::SetPieFrequencies(TPieFrequencies value) {
  frequencies_ = std::move(value);
  Activate();
}

void TTaxonStyle::SetPiePatterns(TPiePatterns value) {
  patterns_ = std::move(value);
  Activate();
}

void TTaxonStyle::Activate() {
  sliceCount_ = static_cast<int>(colours_.size());
  if (static_cast<int>(frequencies_.size()) < sliceCount_)
    ResizeTo(frequencies_, sliceCount_, kNewSliceFrequency);
  if (static_cast<int>(patterns_.size()) < sliceCount_)
    ResizeTo(patterns_, sliceCount_, kNewSlicePattern);
}

void TTaxonStyle::AddSlice() {
  ++sliceCount_;
  if (sliceCount_ > static_cast<int>(colours_.size())) {
    ResizeTo(colours_, sliceCount_, kNewSliceColour);
    ResizeTo(frequencies_, sliceCount_, kNewSliceFrequency);
    ResizeTo(patterns_, sliceCount_, kNewSlicePattern);
  }
}

bool TTaxonStyle::RemoveSlice(int row) {
  if (sliceCount_ < 2) {
    dialogs().showMessage("Can not delete last pie. At least one specification must remain.");
    return false;
  }
  if (!ValidRow(row)) return false;
  // The values after the removed slice move up; the last shown row keeps its values, hidden.
  for (int k = row; k < sliceCount_; ++k) {
    colours_[k - 1] = colours_[k];
    frequencies_[k - 1] = frequencies_[k];
    patterns_[k - 1] = patterns_[k];
  }
  --sliceCount_;
  return true;
}

void TTaxonStyle::SetSliceFrequency(int row, std::int32_t value) {
  if (ValidRow(row)) frequencies_[row - 1] = std::max<std::int32_t>(0, value);
}

void TTaxonStyle::SetSlicePattern(int row, std::uint8_t pattern) {
  if (ValidRow(row)) patterns_[row - 1] = pattern;
}

void TTaxonStyle::SetSliceColour(int row, TColor colour) {
  if (ValidRow(row)) colours_[row - 1] = colour;
}

std::int64_t TTaxonStyle::SliceTotal() const {
  std::int64_t total = 0;
  for (int k = 0; k < sliceCount_; ++k) total += frequencies_[k];
  return total;
}

void TTaxonStyle::Accept() {
  ResizeTo(colours_, sliceCount_, kNewSliceColour);
  ResizeTo(frequencies_, sliceCount_, kNewSliceFrequency);
  ResizeTo(patterns_, sliceCount_, kNewSlicePattern);
  const std::int64_t total = SliceTotal();
  if (total != taxonFrequency_)
    dialogs().showMessage("The entered number of individuals (" + std::to_string(total) +
                          ") does not agree with the real number of individuals within the node (" +
                          std::to_string(taxonFrequency_) +
                          "). Tarvane will adjust your values to the real number of individuals.");
}

// ---- TSchemeColorsEdit ---------------------------------------------------------------------------

void TSchemeColorsEdit::Activate() {
  rowCount_ = static_cast<int>(colours_.size());
  if (static_cast<int>(labels_.size()) < rowCount_) ResizeTo(labels_, rowCount_, std::string());
}

void TSchemeColorsEdit::SetRowColour(int row, TColor colour) {
  if (row >= 1 && row <= rowCount_) colours_[row - 1] = colour;
}

void TSchemeColorsEdit::Accept() {
  ResizeTo(colours_, rowCount_, clYellow);
  ResizeTo(labels_, rowCount_, std::string());
}

// ---- TLinkStyle, TTextStyle -------------------------------------------------------------------

void TLinkStyle::SetWidth(std::int32_t value) {
  if (value >= kMinLineWidth && value <= kMaxLineWidth) width_ = value;
}

void TTextStyle::SetSize(std::int32_t value) {
  if (value < kMinTextSize || value > kMaxTextSize) {
    dialogs().showMessage("Value of font size is out of range.");
    return;
  }
  size_ = value;
}

void TTextStyle::SetStyleBit(std::uint8_t bit, bool on) {
  style_ = static_cast<std::uint8_t>(on ? style_ | bit : style_ & ~bit);
}

// ---- Loading and applying --------------------------------------------------------------------

void LoadLinkStyle(TLinkStyle& style, const LinkType& link) {
  style.SetWidth(link.LineWidth);
  style.SetStyle(link.LineStyle);
  style.SetColor(link.LineColor);
  style.SetApplyOutsideTorso(false);
  style.SetApplyWithinTorso(false);
}

void LoadTaxonStyle(TTaxonStyle& style, const TaxonType& node) {
  TPieColours colours;
  TPieFrequencies frequencies;
  TPiePatterns patterns;
  for (const Pie& p : node.Pies) {
    colours.push_back(p.PieColor);
    frequencies.push_back(p.PieFrequency);
    patterns.push_back(p.PiePattern);
  }
  if (colours.empty()) {
    colours.push_back(kNewSliceColour);
    frequencies.push_back(node.Frequency);
    patterns.push_back(kNewSlicePattern);
  } else if (colours.size() == 1 && frequencies[0] > 1) {
    // Offered ready to be split: one individual in a black slice of its own.
    --frequencies[0];
    colours.push_back(kNewSliceColour);
    frequencies.push_back(kNewSliceFrequency);
    patterns.push_back(kNewSlicePattern);
  }
  style.SetTaxonFrequency(node.Frequency);
  style.SetOutlineWidth(node.LineWidth);
  style.SetOutlineStyle(node.LineStyle);
  style.SetOutlineColor(node.LineColor);
  style.SetPieColours(std::move(colours));
  style.SetPieFrequencies(std::move(frequencies));
  style.SetPiePatterns(std::move(patterns));
  style.SetApplyAllTaxa(false);
  style.SetApplyAllMedians(false);
}

void LoadTextStyle(TTextStyle& style, std::int32_t height, std::uint8_t fontStyle, TColor color) {
  style.SetSize(height);
  style.SetStyle(fontStyle);
  style.SetColor(color);
  style.SetApplyFirst(false);
  style.SetApplySecond(false);
}

void ApplyLinkStyle(TNetwork_Diagramm& diagram, int link, const TLinkStyle& style) {
  const bool outside = style.ApplyOutsideTorso(), within = style.ApplyWithinTorso();
  diagram.SetLinkLineWidth(link, style.Width(), outside, within);
  diagram.SetLinkLineStyle(link, style.Style(), outside, within);
  diagram.SetLinkLineColor(link, style.Color(), outside, within);
}

void ApplyTaxonStyle(TNetwork_Diagramm& diagram, int node, const TTaxonStyle& style) {
  if (node < 1 || node > diagram.NodeCount()) return;
  for (SchemeType& scheme : diagram.ColorSchemes) scheme.SchemeActive = false;
  const bool medians = style.ApplyAllMedians(), taxa = style.ApplyAllTaxa();
  diagram.SetTaxonLineWidth(node, style.OutlineWidth(), medians, taxa);
  diagram.SetTaxonLineStyle(node, style.OutlineStyle(), medians, taxa);
  diagram.SetTaxonLineColor(node, style.OutlineColor(), medians, taxa);
  const TPieColours& colours = style.PieColours();
  diagram.Taxa[node - 1].Pies.resize(colours.size());
  // The frequencies first: they give every selected node as many segments as the dialog has
  // slices, so the colours and patterns below reach all of them, not only the clicked node.
  diagram.SetTaxonPieFrequencies(node, style.PieFrequencies(), medians, taxa);
  const TPiePatterns& patterns = style.PiePatterns();
  for (std::size_t k = 0; k < colours.size(); ++k) {
    const int segment = static_cast<int>(k) + 1;
    diagram.SetTaxonPieColor(node, segment, colours[k], medians, taxa);
    if (k < patterns.size()) diagram.SetTaxonPiePattern(node, segment, patterns[k], medians, taxa);
  }
}

void ApplyTaxonNameStyle(TNetwork_Diagramm& diagram, int node, const TTextStyle& style) {
  const bool taxa = style.ApplyFirst(), medians = style.ApplySecond();
  diagram.SetTaxonNameColor(node, style.Color(), medians, taxa);
  diagram.SetTaxonNameHeight(node, style.Size(), medians, taxa);
  diagram.SetTaxonNameStyle(node, style.Style(), medians, taxa);
}

void ApplyMutationStyle(TNetwork_Diagramm& diagram, int link, int mutation,
                        const TTextStyle& style) {
  const bool wholeLink = style.ApplyFirst(), all = style.ApplySecond();
  diagram.SetMutationNameColor(link, mutation, style.Color(), wholeLink, all);
  diagram.SetMutationNameStyle(link, mutation, style.Style(), wholeLink, all);
  diagram.SetMutationNameHeight(link, mutation, style.Size(), wholeLink, all);
}

void ActivateScheme(TNetwork_Diagramm& diagram, int scheme, const TSchemeColours& colours) {
  if (scheme < 1 || scheme > static_cast<int>(diagram.ColorSchemes.size())) return;
  SchemeType& chosen = diagram.ColorSchemes[scheme - 1];
  chosen.SchemeColors = colours;
  // Painting reads colours and labels in parallel.
  chosen.SchemeColors.resize(chosen.SchemeLabels.size(), clYellow);
  for (SchemeType& s : diagram.ColorSchemes) s.SchemeActive = false;
  chosen.SchemeActive = true;
}

// ---- Previews -----------------------------------------------------------------------------------

void DrawPiePreview(TCanvas& canvas, int width, int height, const TTaxonStyle& style) {
  ClearPreview(canvas, width, height);
  const int r = RoundEven(width / 4.0);
  const int cx = RoundEven(width / 2.0), cy = RoundEven(height / 2.0);
  const std::int64_t total = style.SliceTotal();
  if (total > 0) {
    double start = 0;
    for (int k = 0; k < style.SliceCount(); ++k) {
      const std::int32_t f = style.PieFrequencies()[k];
      if (f <= 0) continue;
      const double sweep = static_cast<double>(f) / static_cast<double>(total) * 2 * std::numbers::pi;
      canvas.SetPen({style.PieColours()[k], 1, psSolid});
      canvas.SetBrush({style.PieColours()[k], style.PiePatterns()[k]});
      canvas.Pie(cx - r, cy - r, cx + r, cy + r, start, sweep);
      start += sweep;
    }
  }
  canvas.SetPen({style.OutlineColor(), style.OutlineWidth(), style.OutlineStyle()});
  canvas.SetBrush({clWhite, bsClear});
  canvas.Ellipse(cx - r, cy - r, cx + r, cy + r);
}

void DrawLinkPreview(TCanvas& canvas, int width, int height, const TLinkStyle& style) {
  ClearPreview(canvas, width, height);
  canvas.SetPen({style.Color(), style.Width(), style.Style()});
  const int y = RoundEven(height / 2.0);
  canvas.Line(RoundEven(width / 4.0), y, RoundEven(3.0 * width / 4.0), y);
}

void DrawTextPreview(TCanvas& canvas, int width, int height, const TTextStyle& style) {
  ClearPreview(canvas, width, height);
  canvas.SetFont({"Arial", style.Size(), style.Style(), style.Color()});
  canvas.TextOut(RoundEven(width / 4.0), RoundEven(height / 2.0), "example");
}
