#pragma once
// Forward simulation of a population of binary sequences: per generation the size follows the
// user's events or a random walk, the next generation is drawn from the current one with
// replacement, and every mutation adds a new position (infinite sites). Also the start
// populations (generated, or read from .fsi and .rdf files) and the .fsi writer.
// Plain C++: no Qt. The random numbers come from a seeded generator, so a run is repeatable.

#include <cstdint>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace fsim_messages {
inline const std::string SequenceLength = "The specified sequence length is invalid. Please correct this.";
inline const std::string Years = "The specified value for the number of years per mutation is invalid.";
inline const std::string Variation = "The specified value for the population size variation is invalid.";
inline const std::string GenerationDuration =
    "The specified value for the generation duration in years is invalid.";
inline const std::string Generations = "The specified value for the number of generations is invalid.";
inline const std::string Refresh = "The specified value for the refresh interval is invalid.";
inline const std::string Events = "At least one value within the event specification(s) is invalid.";
inline const std::string Haplotypes = "The specified number of haplotypes is invalid.";
inline const std::string PopulationSize = "The population size is invalid.";
inline const std::string Frequencies = "At least one specified frequency is invalid.";
inline const std::string FrequencyCell = "Invalid value found within frequency specification.";
inline const std::string Incompatible =
    "The dataset contains incompatible characters. Please correct this and try again.";
inline const std::string MinimumSize = "Minimum population size (2) has reached.";
inline const std::string Finished = "Simulation finished.";
inline const std::string Written = "Simulation written to file.";
inline const std::string WrongCoordinates = "Wrong coordinates.";
// Not among the window's own texts: a start file whose sequences differ in length, and a write
// that failed.
inline const std::string UnequalLengths =
    "The sequences of the simulation file differ in length. Please correct this and try again.";
inline std::string WriteFailed(const std::string& file) {
  return "The simulation file " + file + " could not be written.";
}
}  // namespace fsim_messages

// The largest population a start file or the frequencies may give (the events' largest size).
inline constexpr int MaxSimulationIndividuals = 999999;

struct TSimSequence {
  std::string Sequence;  // '0' / '1', one per position
  uint8_t Alive = 1;
};

class TPopulation {
public:
  virtual ~TPopulation() = default;
  std::vector<TSimSequence> Individuals;
  int Size() const { return static_cast<int>(Individuals.size()); }
  std::size_t Length() const { return Individuals.empty() ? 0 : Individuals.front().Sequence.size(); }
  std::vector<std::string> Sequences() const;
};

// The simulated population: a copy of the start population at the start of a run.
class TSimSet : public TPopulation {};

struct SimulationEvent {
  int32_t PopulationSize = 0;
  int32_t StartGeneration = 0;
  int32_t Duration = 0;
};

struct TSimParameters {
  int32_t SequenceLength = 369;        // L
  int32_t YearsPerMutation = 20180;    // Y
  int32_t Variation = 50;              // V
  int32_t Sigma = 3;                   // S
  int32_t GenerationDuration = 20;     // D
  int32_t Generations = 1000;          // G
  int32_t Refresh = 5;                 // R
};

// The first parameter outside its range, as its message; nothing when all are valid.
std::optional<std::string> CheckSimParameters(const TSimParameters& p);
// The first event with a value outside the event spins' ranges gives the events' message.
std::optional<std::string> CheckSimEvents(const std::vector<SimulationEvent>& events);

// --- Start populations (false after the message; `population` then empty) ---
// H haplotypes "1" at position k of H; `counts` individuals each.
bool GeneratePopulation(const std::vector<int>& counts, TPopulation& population);
// round(size / haplotypes) for each of `haplotypes` haplotypes.
std::vector<int> EqualCounts(int size, int haplotypes);
// .fsi text: per line the '0'/'1' before ";" and the digits after it; max(1, count) individuals.
bool ReadFsiText(const std::string& text, TPopulation& population);
bool ReadFsiFile(const std::string& fileName, TPopulation& population);
// An .rdf data set of 0/1 data (ambiguous states replaced): each taxon as many times as its
// frequency.
bool ReadRdfPopulation(const std::string& fileName, TPopulation& population);
// True when no two positions show all of 00, 01, 10 and 11.
bool CompatiblePopulation(const TPopulation& population);

// --- .fsi writer ---
// One line "sequence;count" per distinct sequence, the all-zero root first (its count may be 0).
std::string FsiText(const TPopulation& population);
bool WriteFsiFile(const std::string& fileName, const TPopulation& population);

class TForwardSimulation {
public:
  TForwardSimulation(const TSimParameters& parameters, std::vector<SimulationEvent> events,
                     const TPopulation& start, uint64_t seed);

  // Generation number -> new size: the applying event's half-cosine ramp from the base to its
  // size, else a random step; never below 2 (with the message).
  int PopulationSizeForGeneration(int generation);
  // Draws `newSize` individuals with replacement from the current ones.
  void Resample(int newSize);
  // Each individual gets L trials of probability D / L / Y; each hit adds a position.
  void Mutate();
  // Deletes the positions at which no individual has '1'.
  void DropUnusedPositions();

  // One generation (a to c); true when it is a refresh generation (then d's deletion has run).
  bool Step();
  // Every generation; `refresh` runs after each refresh generation and may stop the run by
  // returning false.
  void Run(const std::function<bool(int generation)>& refresh = {});

  const TSimSet& Population() const { return population_; }
  const std::vector<int>& Sizes() const { return sizes_; }
  int Generation() const { return generation_; }
  int Base() const { return base_; }
  const TSimParameters& Parameters() const { return parameters_; }
  bool Finished() const { return generation_ >= parameters_.Generations; }

  // Uniform random numbers: a real in [0, 1) and an integer in 0 .. n - 1.
  double RandomReal();
  int RandomInt(int n);

private:
  TSimParameters parameters_;
  std::vector<SimulationEvent> events_;
  TSimSet population_;
  std::vector<int> sizes_;
  std::mt19937_64 random_;
  int generation_ = 0;
  int base_ = 0;
};
