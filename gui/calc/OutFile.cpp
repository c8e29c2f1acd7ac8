#include "OutFile.h"

#include "Dialogs.h"
#include "Median_joining.h"
#include "UHelp.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace outfile {

std::string RightJustify(std::string_view text, std::size_t width) {
  std::string s(text.size() < width ? width - text.size() : 0, ' ');
  return s.append(text);
}

std::string RightJustify(long long value, std::size_t width) {
  return RightJustify(std::to_string(value), width);
}

std::string LeftJustify(std::string_view text, std::size_t width) {
  std::string s(text);
  if (s.size() < width) s.append(width - s.size(), ' ');
  return s;
}

std::string StarLine() { return std::string(50, '*'); }

bool IsMedianVectorName(std::string_view name) {
  return name.size() >= 2 && std::tolower(static_cast<unsigned char>(name[0])) == 'm' &&
         std::tolower(static_cast<unsigned char>(name[1])) == 'v';
}

std::string SequenceKey(std::string_view name, int number) {
  return IsMedianVectorName(name) ? std::string(name) : std::to_string(number);
}

std::string ScientificThreshold(double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.14E", value);
  const std::string text(buffer);
  const std::size_t e = text.find('E');
  std::string mantissa = text.substr(0, e);
  if (mantissa[0] != '-') mantissa.insert(0, 1, ' ');
  const int exponent = std::atoi(text.c_str() + e + 1);
  char exp[16];
  std::snprintf(exp, sizeof exp, "E%c%04d", exponent < 0 ? '-' : '+', std::abs(exponent));
  return mantissa + exp;
}

std::string MutationField(int character, char stateA, char stateB, MutationMarks marks) {
  std::string field = LeftJustify(std::to_string(character), 6);
  switch (marks) {
    case MutationMarks::Blank:
      field += "  ";
      break;
    case MutationMarks::States:
      field += stateA;
      field += stateB;
      break;
    case MutationMarks::Substitution: {
      const auto purine = [](char c) { return c == 'A' || c == 'G'; };
      const auto pyrimidine = [](char c) { return c == 'C' || c == 'T'; };
      const bool transversion =
          (purine(stateA) && pyrimidine(stateB)) || (pyrimidine(stateA) && purine(stateB));
      field += transversion ? " b" : " a";
      break;
    }
  }
  return field + ' ';
}

std::string LinkLine(int number, int state, std::string_view keyA, std::string_view keyB,
                     std::string_view mutations) {
  std::string line = "Link" + RightJustify(number, 5);
  line += state < 10 ? " " + std::to_string(state) + " Seq. " : std::string(" a Seq. ");
  line += RightJustify(keyA, 6) + " with Seq. " + RightJustify(keyB, 6) + ", mutations at ";
  return line.append(mutations);
}

std::string LinkMutations(const Trdf_DataSet& data, int a, int b, MutationMarks marks) {
  std::string fields;
  const std::string& sa = data.Taxon(a).States;
  const std::string& sb = data.Taxon(b).States;
  for (int c = 1; c <= data.CharacterCount(); ++c) {
    const auto k = static_cast<std::size_t>(c - 1);
    if (!data.Character(c).Active || sa[k] == sb[k]) continue;
    fields += MutationField(c, sa[k], sb[k], marks);
  }
  return fields;
}

void AppendLine(std::string& out, std::string_view line) {
  out.append(line);
  out.append(LineEnd);
}

void AppendEquivalentTaxa(std::string& out, const Trdf_DataSet& data, bool headerAlways) {
  std::vector<uint8_t> written(data.Taxa.size(), 0);
  std::string pairs;
  for (std::size_t i = 0; i < data.Taxa.size(); ++i) {
    const int rep = data.Taxa[i].Representative;
    if (rep <= 0 || written[i]) continue;
    for (std::size_t j = i; j < data.Taxa.size(); ++j) {
      if (data.Taxa[j].Representative != rep || written[j]) continue;
      written[j] = 1;
      AppendLine(pairs, "Tax. " + RightJustify(rep, 6) + " with tax. " +
                            RightJustify(static_cast<long long>(j + 1), 6));
    }
  }
  if (headerAlways || !pairs.empty()) {
    AppendLine(out, "Equivalent taxa : ");
    AppendLine(out, "");
  }
  out += pairs;
  AppendLine(out, "");
}

void AppendLinks(std::string& out, const Trdf_DataSet& data, const TMJLinkList& links,
                 MutationMarks marks) {
  if (links.empty()) return;
  AppendLine(out, "Final links : ");
  AppendLine(out, "");
  int k = 0;
  for (const TMJLink& l : links) {
    AppendLine(out, LinkLine(++k, l.state, SequenceKey(data.Taxon(l.a).Name, l.a),
                             SequenceKey(data.Taxon(l.b).Name, l.b),
                             LinkMutations(data, l.a, l.b, marks)));
  }
}

std::string FrequencyLine(std::string_view key, int frequency, std::size_t width) {
  return "Frequ. of taxon   " + RightJustify(key, 6) + " : " + RightJustify(frequency, width);
}

void AppendWeights(std::string& out, const Trdf_DataSet& data, bool onlyActiveRightJustified) {
  for (int c = 1; c <= data.CharacterCount(); ++c) {
    const Trdf_Character& ch = data.Character(c);
    if (onlyActiveRightJustified && !ch.Active) continue;
    const std::string number = onlyActiveRightJustified ? RightJustify(c, 6)
                                                        : LeftJustify(std::to_string(c), 6);
    AppendLine(out, "Weight of character " + number + " : " + RightJustify(ch.Weight, 3));
  }
}

void AppendCharacterMappings(std::string& out, const Trdf_DataSet& data) {
  for (int c = 1; c <= data.CharacterCount(); ++c)
    AppendLine(out, "Mapping of character;" + RightJustify(c, 6) + ";" + data.Character(c).Name);
}

void AppendTaxonMapping(std::string& out, std::string_view key, const Trdf_Sequence& taxon) {
  const std::string k = RightJustify(key, 6);
  AppendLine(out, "Mapping of taxon;" + k + ";" + taxon.Name);
  std::string info = "Other information of taxon;" + k + ";" + "Phenotype;" + taxon.Info[0] + ";" +
                     "Geography;" + taxon.Info[1] + ";" + "Lineage;" + taxon.Info[2] + ";";
  for (int g = 1; g <= 3; ++g)
    info += "Group" + std::to_string(g) + ";" + taxon.Info[static_cast<std::size_t>(2 + g)] + ";";
  AppendLine(out, info);
}

std::optional<std::string> AskOutFileName(const std::string& dataFileName,
                                          const std::string& filter) {
  FileDialogRequest request;
  request.title = "Save network";
  request.filter = filter;
  request.defaultExt = "out";
  request.fileName =
      (dataFileName.size() >= 3 ? dataFileName.substr(0, dataFileName.size() - 3) : std::string()) +
      "out";
  auto chosen = dialogs().saveFileName(request);
  if (!chosen) return std::nullopt;
  ForceFileExtension("out", *chosen);
  return chosen;
}

bool WriteOutText(const std::string& fileName, const std::string& text) {
  // Through a temporary file: a failed write leaves an existing network file as it was.
  if (!WriteWholeFile(fileName, text)) {
    dialogs().showMessage("The file " + fileName + " could not be written.", DialogKind::Error);
    return false;
  }
  return true;
}

}  // namespace outfile

using namespace outfile;

std::string MJOutText(const TMJCalculation& calc, const std::string& dataFileName) {
  const Trdf_DataSet& data = calc.Data();
  const TMJOptions& options = calc.Options();
  const int n = data.TaxaCount();
  std::string out;
  AppendLine(out, "Results of file " + dataFileName + " with Epsilon=" +
                      std::to_string(calc.SavedEpsilon()));
  AppendLine(out, std::string("Criterion for generated median vectors :") +
                      (options.Criterion == TMJCriterion::GreedyFHP
                           ? " Greedy FHP: shortest longest link first, then largest saving. "
                           : " Connection cost."));
  if (options.FrequencyCriterion) AppendLine(out, "F2Criterion: Frequency>=2");
  if (data.DataType != ' ') AppendLine(out, std::string("SpecialFileType: ") + data.DataType);
  if (!calc.Binary() && !options.AminoAcids)
    AppendLine(out, "with weighting transversions/transitions: " +
                        std::to_string(options.TransversionWeight) + "/" +
                        std::to_string(options.TransitionWeight));
  AppendLine(out, "");
  AppendEquivalentTaxa(out, data, true);
  const MutationMarks marks = options.AminoAcids ? MutationMarks::States
                              : calc.Binary()    ? MutationMarks::Blank
                                                 : MutationMarks::Substitution;
  AppendLinks(out, data, calc.Links(), marks);
  AppendLine(out, StarLine());
  for (int i = 1; i <= n; ++i)
    AppendLine(out, FrequencyLine(SequenceKey(data.Taxon(i).Name, i), data.Taxon(i).Frequency, 4));
  const auto& removed = calc.RemovedList();
  for (std::size_t r = 0; r < removed.size(); ++r)
    AppendLine(out, FrequencyLine(SequenceKey(removed[r].Name, n + static_cast<int>(r) + 1),
                                  removed[r].Frequency, 4));
  AppendLine(out, StarLine());
  AppendWeights(out, data, false);
  AppendLine(out, StarLine());
  AppendCharacterMappings(out, data);
  for (int i = 1; i <= n; ++i) AppendTaxonMapping(out, SequenceKey(data.Taxon(i).Name, i), data.Taxon(i));
  for (std::size_t r = 0; r < removed.size(); ++r)
    AppendTaxonMapping(out, SequenceKey(removed[r].Name, n + static_cast<int>(r) + 1), removed[r]);
  return out;
}

bool MJNetworkFitsOutFile(const TMJCalculation& calc) {
  if (calc.MedianVectorCount() > MaxMedianVectors) {
    dialogs().showMessage(TooLargeMessage, DialogKind::Error);
    return false;
  }
  return true;
}

bool WriteMJOutFile(const TMJCalculation& calc, const std::string& dataFileName) {
  if (!MJNetworkFitsOutFile(calc)) return false;
  const auto name = AskOutFileName(dataFileName, MJFilter);
  if (!name) return false;
  if (!WriteOutText(*name, MJOutText(calc, dataFileName))) return false;
  dialogs().showMessage(SavedMessage);
  return true;
}

bool SaveMJNetwork(const TMJCalculation& calc, const std::string& dataFileName) {
  if (calc.Links().empty()) {
    dialogs().showMessage(NoLinksMessage, DialogKind::Warning);
    return false;
  }
  return WriteMJOutFile(calc, dataFileName);
}
