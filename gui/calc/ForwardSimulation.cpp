#include "ForwardSimulation.h"

#include "Dialogs.h"
#include "RDF_DataSet_Definition.h"
#include "SimulationTree.h"
#include "UHelp.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <set>

namespace {

void Show(const std::string& text, DialogKind kind = DialogKind::Error) {
  dialogs().showMessage(text, kind);
}

bool Fail(TPopulation& population, const std::string& message) {
  population.Individuals.clear();
  Show(message);
  return false;
}

// Adds `count` individuals of `sequence`, keeping the population within its limit.
bool AddIndividuals(TPopulation& population, const std::string& sequence, long long count) {
  if (count > MaxSimulationIndividuals - population.Size()) return false;
  population.Individuals.insert(population.Individuals.end(), static_cast<std::size_t>(count),
                                TSimSequence{sequence, 1});
  return true;
}

bool EqualLengths(const TPopulation& population) {
  return std::all_of(population.Individuals.begin(), population.Individuals.end(),
                     [&](const TSimSequence& s) { return s.Sequence.size() == population.Length(); });
}

}  // namespace

std::vector<std::string> TPopulation::Sequences() const {
  std::vector<std::string> sequences;
  sequences.reserve(Individuals.size());
  for (const TSimSequence& s : Individuals) sequences.push_back(s.Sequence);
  return sequences;
}

std::optional<std::string> CheckSimParameters(const TSimParameters& p) {
  const auto in = [](int v, int lo, int hi) { return v >= lo && v <= hi; };
  if (!in(p.SequenceLength, 1, 999)) return fsim_messages::SequenceLength;
  if (!in(p.YearsPerMutation, 100, 999999)) return fsim_messages::Years;
  if (!in(p.Variation, 0, 1000) || !in(p.Sigma, 1, 8)) return fsim_messages::Variation;
  if (!in(p.GenerationDuration, 10, 40)) return fsim_messages::GenerationDuration;
  if (!in(p.Generations, 1, 9999)) return fsim_messages::Generations;
  if (!in(p.Refresh, 1, 20)) return fsim_messages::Refresh;
  return std::nullopt;
}

std::optional<std::string> CheckSimEvents(const std::vector<SimulationEvent>& events) {
  for (const SimulationEvent& e : events)
    if (e.PopulationSize < 1 || e.PopulationSize > 999999 || e.StartGeneration < 1 ||
        e.StartGeneration > 9999 || e.Duration < 1 || e.Duration > 99)
      return fsim_messages::Events;
  return std::nullopt;
}

std::vector<int> EqualCounts(int size, int haplotypes) {
  if (haplotypes < 1) return {};
  return std::vector<int>(static_cast<std::size_t>(haplotypes),
                          RoundEven(size / static_cast<double>(haplotypes)));
}

bool GeneratePopulation(const std::vector<int>& counts, TPopulation& population) {
  population.Individuals.clear();
  const int h = static_cast<int>(counts.size());
  if (h < 1 || h > 10) return Fail(population, fsim_messages::Haplotypes);
  for (int k = 0; k < h; ++k) {
    std::string sequence(static_cast<std::size_t>(h), '0');
    sequence[static_cast<std::size_t>(k)] = '1';
    if (counts[static_cast<std::size_t>(k)] < 0 ||
        !AddIndividuals(population, sequence, counts[static_cast<std::size_t>(k)]))
      return Fail(population, fsim_messages::Frequencies);
  }
  // Too few sequences for the haplotypes round every count to 0: nothing to simulate.
  if (population.Individuals.empty()) return Fail(population, fsim_messages::PopulationSize);
  return true;
}

bool ReadFsiText(const std::string& text, TPopulation& population) {
  population.Individuals.clear();
  for (const std::string& line : SplitTextLines(text)) {
    if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
    const std::size_t semicolon = line.find(';');
    std::string sequence;
    long long count = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
      const char c = line[i];
      if (i < semicolon) {
        if (c == '0' || c == '1') sequence += c;
      } else if (c >= '0' && c <= '9') {
        count = std::min<long long>(count * 10 + (c - '0'), MaxSimulationIndividuals + 1LL);
      }
    }
    if (!AddIndividuals(population, sequence, std::max(1LL, count)))
      return Fail(population, fsim_messages::PopulationSize);
  }
  if (population.Individuals.empty()) return Fail(population, fsim_messages::PopulationSize);
  if (!EqualLengths(population)) return Fail(population, fsim_messages::UnequalLengths);
  return true;
}

bool ReadFsiFile(const std::string& fileName, TPopulation& population) {
  std::string text;
  if (!ReadWholeFile(fileName, text))
    return Fail(population, "The file " + fileName + " cannot be opened.");
  return ReadFsiText(text, population);
}

bool ReadRdfPopulation(const std::string& fileName, TPopulation& population) {
  population.Individuals.clear();
  Trdf_DataSet data;
  data.SetStateSets(".01?N", ".?N");
  bool error = false;
  if (!data.ReadRdfFile(fileName, error, true, "SIM", false) || error) return false;
  data.ReplaceAmbiguousStates(true, true);
  if (data.TaxaCount() == 0) return false;
  for (const Trdf_Sequence& taxon : data.Taxa) {
    // An ambiguous state left without a replacement cannot be simulated: it counts as absent.
    std::string sequence = taxon.States;
    for (char& c : sequence)
      if (c != '1') c = '0';
    if (!AddIndividuals(population, sequence, std::max(0, taxon.Frequency)))
      return Fail(population, fsim_messages::PopulationSize);
  }
  if (population.Individuals.empty()) return Fail(population, fsim_messages::PopulationSize);
  return true;
}

bool CompatiblePopulation(const TPopulation& population) {
  // Per position the set of distinct haplotypes carrying '1', as bit words.
  std::set<std::string> distinct;
  for (const TSimSequence& s : population.Individuals) distinct.insert(s.Sequence);
  const std::size_t length = population.Length();
  const std::size_t words = (distinct.size() + 63) / 64;
  std::vector<std::vector<uint64_t>> ones(length, std::vector<uint64_t>(words, 0));
  std::vector<uint64_t> all(words, 0);
  std::size_t h = 0;
  for (const std::string& s : distinct) {
    all[h / 64] |= uint64_t{1} << (h % 64);
    for (std::size_t p = 0; p < length && p < s.size(); ++p)
      if (s[p] == '1') ones[p][h / 64] |= uint64_t{1} << (h % 64);
    ++h;
  }
  for (std::size_t p = 0; p < length; ++p)
    for (std::size_t q = p + 1; q < length; ++q) {
      bool c11 = false, c10 = false, c01 = false, c00 = false;
      for (std::size_t w = 0; w < words; ++w) {
        const uint64_t a = ones[p][w], b = ones[q][w];
        c11 |= (a & b) != 0;
        c10 |= (a & ~b & all[w]) != 0;
        c01 |= (~a & b & all[w]) != 0;
        c00 |= (~a & ~b & all[w]) != 0;
      }
      if (c11 && c10 && c01 && c00) return false;
    }
  return true;
}

std::string FsiText(const TPopulation& population) {
  THaplotypeTree tree;
  tree.CollectHaplotypes(population.Sequences(), population.Length());
  std::string text;
  for (const THaplotype& h : tree.Haplotypes())
    text += h.Sequence + ";" + std::to_string(h.Count) + "\r\n";
  return text;
}

bool WriteFsiFile(const std::string& fileName, const TPopulation& population) {
  if (WriteWholeFile(fileName, FsiText(population))) return true;
  Show(fsim_messages::WriteFailed(fileName));
  return false;
}

// ---------------------------------------------------------------------------------------------

TForwardSimulation::TForwardSimulation(const TSimParameters& parameters,
                                       std::vector<SimulationEvent> events, const TPopulation& start,
                                       uint64_t seed)
    : parameters_(parameters), events_(std::move(events)), random_(seed) {
  population_.Individuals = start.Individuals;
  base_ = population_.Size();
  sizes_.push_back(population_.Size());
}

double TForwardSimulation::RandomReal() {
  return static_cast<double>(random_() >> 11) * 0x1.0p-53;
}

int TForwardSimulation::RandomInt(int n) {
  return std::min(n - 1, static_cast<int>(RandomReal() * n));
}

int TForwardSimulation::PopulationSizeForGeneration(int generation) {
  const int n = population_.Size();
  long long result = 0;
  const auto applies = [generation](const SimulationEvent& e) {
    return e.StartGeneration <= generation && generation <= e.StartGeneration + e.Duration;
  };
  const auto event = std::find_if(events_.begin(), events_.end(), applies);
  if (event != events_.end() && event->Duration > 0) {
    if (generation == event->StartGeneration) base_ = n;
    const double phase =
        (generation - event->StartGeneration) * std::numbers::pi / event->Duration - std::numbers::pi / 2;
    result = RoundEven((event->PopulationSize - base_) * (std::sin(phase) + 1) / 2) + base_;
  } else {
    const int s = parameters_.Sigma;
    const int r = RandomInt(8000 * s);
    const double x = (r + 1 - 4000.0 * s) / 1000.0;
    const double sign = x >= 0 ? 1.0 : -1.0;
    result = RoundEven(parameters_.Variation * std::exp(-x * x / (2.0 * s)) * sign) + n;
    result = std::min<long long>(result, std::numeric_limits<int>::max());
    base_ = static_cast<int>(result);
  }
  if (result < 2) {
    result = 2;
    Show(fsim_messages::MinimumSize, DialogKind::Information);
  }
  return static_cast<int>(result);
}

void TForwardSimulation::Resample(int newSize) {
  std::vector<TSimSequence>& individuals = population_.Individuals;
  const int n = population_.Size();
  if (n == 0) return;
  std::vector<int> draws(static_cast<std::size_t>(n), 0);
  for (int d = 0; d < newSize; ++d) ++draws[static_cast<std::size_t>(RandomInt(n))];
  for (int i = 0; i < n; ++i) individuals[static_cast<std::size_t>(i)].Alive = draws[static_cast<std::size_t>(i)] > 0;
  std::size_t dead = 0;  // dead slots are only filled, so the search never goes back
  for (int i = 0; i < n; ++i) {
    for (int c = draws[static_cast<std::size_t>(i)]; c > 1; --c) {
      while (dead < static_cast<std::size_t>(n) && individuals[dead].Alive) ++dead;
      const std::string copy = individuals[static_cast<std::size_t>(i)].Sequence;
      if (dead < static_cast<std::size_t>(n))
        individuals[dead] = TSimSequence{copy, 1};
      else
        individuals.push_back(TSimSequence{copy, 1});
    }
  }
  std::erase_if(individuals, [](const TSimSequence& s) { return !s.Alive; });
}

void TForwardSimulation::Mutate() {
  const double p = static_cast<double>(parameters_.GenerationDuration) / parameters_.SequenceLength /
                   parameters_.YearsPerMutation;
  std::vector<TSimSequence>& individuals = population_.Individuals;
  for (std::size_t i = 0; i < individuals.size(); ++i)
    for (int trial = 0; trial < parameters_.SequenceLength; ++trial) {
      if (RandomReal() >= p) continue;
      for (std::size_t j = 0; j < individuals.size(); ++j) individuals[j].Sequence += j == i ? '1' : '0';
    }
}

void TForwardSimulation::DropUnusedPositions() {
  const std::size_t length = population_.Length();
  std::vector<bool> used(length, false);
  for (const TSimSequence& s : population_.Individuals)
    for (std::size_t p = 0; p < length && p < s.Sequence.size(); ++p)
      if (s.Sequence[p] == '1') used[p] = true;
  if (std::find(used.begin(), used.end(), false) == used.end()) return;
  for (TSimSequence& s : population_.Individuals) {
    std::string kept;
    kept.reserve(length);
    for (std::size_t p = 0; p < s.Sequence.size(); ++p)
      if (p < length && used[p]) kept += s.Sequence[p];
    s.Sequence = std::move(kept);
  }
}

bool TForwardSimulation::Step() {
  const int generation = ++generation_;
  const int size = PopulationSizeForGeneration(generation);
  sizes_.push_back(size);
  Resample(size);
  Mutate();
  if (generation % parameters_.Refresh != 0) return false;
  DropUnusedPositions();
  return true;
}

void TForwardSimulation::Run(const std::function<bool(int generation)>& refresh) {
  while (!Finished()) {
    if (Step() && refresh && !refresh(generation_)) return;
  }
}
