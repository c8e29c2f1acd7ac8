#include "ForwardSimulationForm.h"

#include "Dialogs.h"
#include "FormScaling.h"
#include "SimulationTree.h"
#include "UHelp.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>

namespace {

constexpr int DesignClientWidth = 1016;
constexpr int DesignClientHeight = 690;
constexpr int PlotWidth = 480;
constexpr int PlotHeight = 300;
constexpr int TreeWidth = 480;
constexpr int TreeHeight = 560;

QColor Blue() { return QColor(0, 0, 255); }

// The digits of a cell (at most 10), as a count; nothing without any digit or beyond the limit.
std::optional<long long> CellDigits(const QString& text) {
  std::string digits;
  for (const QChar c : text)
    if (c.isDigit() && digits.size() < 10) digits += static_cast<char>(c.toLatin1());
  if (digits.empty()) return std::nullopt;
  return std::stoll(digits);
}

std::optional<int> CellInteger(const QTableWidgetItem* item) {
  if (item == nullptr) return std::nullopt;
  bool ok = false;
  const int value = item->text().trimmed().toInt(&ok);
  return ok ? std::optional<int>(value) : std::nullopt;
}

}  // namespace

void DrawPopulationSizePlot(QImage& image, const std::vector<int>& sizes, int generations) {
  const int w = image.width();
  const int h = image.height();
  image.fill(Qt::white);
  QPainter p(&image);
  p.setPen(QPen(Qt::black, 3));
  p.drawLine(45, h - 50, w - 30, h - 50);
  p.drawLine(50, h - 45, 50, 30);
  QFont font = p.font();
  font.setPointSize(8);
  p.setFont(font);
  p.setPen(Qt::black);
  p.drawText(QRect(50, h - 45, w - 80, 20), Qt::AlignHCenter | Qt::AlignTop,
             QStringLiteral("Generation"));
  const QString individuals = QStringLiteral("Individuals");
  const int lineHeight = p.fontMetrics().height();
  const int top = (h - 50 + 30) / 2 - individuals.size() * lineHeight / 2;
  for (int i = 0; i < individuals.size(); ++i)
    p.drawText(QRect(2, top + i * lineHeight, 14, lineHeight), Qt::AlignCenter, individuals.mid(i, 1));
  p.drawText(QRect(40, h - 45, 30, 15), Qt::AlignLeft, QStringLiteral("0"));
  p.drawText(QRect(w - 80, h - 45, 60, 15), Qt::AlignRight, QString::number(generations));
  if (!sizes.empty()) {
    const auto [minIt, maxIt] = std::minmax_element(sizes.begin(), sizes.end());
    const int lo = RoundEven(*minIt / 1000.0 - 0.5) * 1000;
    int hi = RoundEven(*maxIt / 1000.0 + 0.5) * 1000;
    // Both ends can round to the same thousand (sizes of exactly 2000, say): keep a range.
    if (hi <= lo) hi = lo + 1000;
    p.drawText(QRect(16, h - 58, 32, 15), Qt::AlignRight, QString::number(lo));
    p.drawText(QRect(0, 22, 48, 15), Qt::AlignRight, QString::number(hi));
    const auto x = [&](int i) { return 50 + (w - 80) * static_cast<double>(i) / std::max(generations, 1); };
    const auto y = [&](int size) {
      return (h - 50) - (size - lo) * static_cast<double>((h - 50) - 30) / (hi - lo);
    };
    p.setPen(QPen(Blue(), 1));
    for (std::size_t i = 1; i < sizes.size(); ++i)
      p.drawLine(QPointF(x(static_cast<int>(i) - 1), y(sizes[i - 1])),
                 QPointF(x(static_cast<int>(i)), y(sizes[i])));
  }
  font.setPointSize(12);
  p.setFont(font);
  p.setPen(Qt::black);
  p.drawText(QRect(0, 2, w, 24), Qt::AlignHCenter | Qt::AlignTop, QStringLiteral("Population size"));
}

bool DrawHaplotypeTree(QImage& image, const TPopulation& population) {
  THaplotypeTree tree;
  const bool placed =
      tree.Build(population.Sequences(), population.Length(), image.width(), image.height());
  for (int i = 0; i < tree.DroppedLinks(); ++i)
    dialogs().showMessage(LinkInMoreThanTwoComponents, DialogKind::Error);
  image.fill(Qt::white);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(Qt::black, 1));
  for (const HaplotypeLink& link : tree.Tree()) {
    const THaplotype& a = tree.Haplotype(link.First);
    const THaplotype& b = tree.Haplotype(link.Second);
    p.drawLine(a.X, a.Y, b.X, b.Y);
  }
  const int largest = std::max(tree.LargestCount(), 1);
  for (const THaplotype& h : tree.Haplotypes()) {
    const int e = std::max(
        std::min(RoundEven(std::sqrt(static_cast<double>(h.Count) / largest) * 40), 40), 4);
    p.setBrush(h.Count > 0 ? Blue() : QColor(255, 255, 0));
    p.drawEllipse(QPointF(h.X, h.Y), e / 2.0, e / 2.0);
  }
  return placed;
}

// ---------------------------------------------------------------------------------------------

TFrmForwardSimulation::TFrmForwardSimulation(QWidget* parent, QSize screenSize)
    : QWidget(parent),
      popSizeImage_(PlotWidth, PlotHeight, QImage::Format_RGB32),
      treeImage_(TreeWidth, TreeHeight, QImage::Format_RGB32) {
  setObjectName(QStringLiteral("FrmForwardSimulation"));
  setWindowTitle(QStringLiteral("Forward Simulation"));
  const QSize screen = ScreenSizeOr(screenSize);
  ScaleForm(*this, DesignClientWidth, DesignClientHeight,
            ComputeScreenScaling(screen.width(), screen.height()));
  popSizeImage_.fill(Qt::white);
  treeImage_.fill(Qt::white);

  auto* layout = new QVBoxLayout(this);
  ParameterGroup_ = new QGroupBox(QStringLiteral("Simulation parameters"), this);
  ParameterGroup_->setObjectName(QStringLiteral("ParameterGroup"));
  auto* columns = new QHBoxLayout(ParameterGroup_);

  auto* runBox = new QWidget(ParameterGroup_);
  auto* runForm = new QFormLayout(runBox);
  SpinLength_ = spin("SpinLength", "Sequence length: ", 369, 1, 999, runBox, runForm);
  SpinYears_ = spin("SpinYears", "Mutation rate: One mutation every (years)", 20180, 100, 999999,
                    runBox, runForm);
  SpinPopulationGrowth_ = spin("SpinPopulationGrowth",
                               "Maximum population decrease/ increase per generation (individuals)",
                               50, 0, 1000, runBox, runForm);
  SpinSigma_ = spin("SpinSigma", "Sigma", 3, 1, 8, runBox, runForm);
  SpinGenerationDuration_ = spin("SpinGenerationDuration", "Average generation duration in years",
                                 20, 10, 40, runBox, runForm);
  SpinNumberGenerations_ =
      spin("SpinNumberGenerations", "Number of generations", 1000, 1, 9999, runBox, runForm);
  SpinRefresh_ = spin("SpinRefresh", "Refresh graphical display every (generations)", 5, 1, 20,
                      runBox, runForm);
  columns->addWidget(runBox);

  auto* eventBox = new QWidget(ParameterGroup_);
  auto* eventLayout = new QVBoxLayout(eventBox);
  auto* eventForm = new QFormLayout();
  SpinEventPopulationSize_ =
      spin("SpinEventPopulationSize", "Population size", 1000, 1, 999999, eventBox, eventForm);
  SpinEventStartGeneration_ =
      spin("SpinEventStartGeneration", "Start event at generation", 20, 1, 9999, eventBox, eventForm);
  SpinEventDuration_ = spin("SpinEventDuration", "Event duration", 5, 1, 99, eventBox, eventForm);
  eventLayout->addLayout(eventForm);
  auto* eventButtons = new QHBoxLayout();
  auto* add = new QPushButton(QStringLiteral("Add Event"), eventBox);
  add->setObjectName(QStringLiteral("BtnAddEvent"));
  connect(add, &QPushButton::clicked, this, &TFrmForwardSimulation::BtnAddEventClick);
  auto* remove = new QPushButton(QStringLiteral("Remove Event"), eventBox);
  remove->setObjectName(QStringLiteral("BtnRemoveEvent"));
  connect(remove, &QPushButton::clicked, this, &TFrmForwardSimulation::BtnRemoveEventClick);
  eventButtons->addWidget(add);
  eventButtons->addWidget(remove);
  eventLayout->addLayout(eventButtons);
  EventGrid_ = new QTableWidget(0, 3, eventBox);
  EventGrid_->setObjectName(QStringLiteral("EventGrid"));
  EventGrid_->setHorizontalHeaderLabels({QStringLiteral("Population size"),
                                         QStringLiteral("Start generation"),
                                         QStringLiteral("Event duration")});
  EventGrid_->setSelectionBehavior(QAbstractItemView::SelectRows);
  EventGrid_->setSelectionMode(QAbstractItemView::SingleSelection);
  eventLayout->addWidget(EventGrid_, 1);
  columns->addWidget(eventBox);

  auto* startBox = new QWidget(ParameterGroup_);
  auto* startLayout = new QVBoxLayout(startBox);
  RadioLoad_ = new QRadioButton(QStringLiteral("Load from file"), startBox);
  RadioLoad_->setObjectName(QStringLiteral("RadioLoad"));
  RadioGenerate_ = new QRadioButton(QStringLiteral("Generate population"), startBox);
  RadioGenerate_->setObjectName(QStringLiteral("RadioGenerate"));
  RadioGenerate_->setChecked(true);
  startLayout->addWidget(RadioLoad_);
  startLayout->addWidget(RadioGenerate_);
  PopulationSpecification_ = new QGroupBox(QStringLiteral("Population specification"), startBox);
  PopulationSpecification_->setObjectName(QStringLiteral("PopulationSpecification"));
  auto* specLayout = new QVBoxLayout(PopulationSpecification_);
  auto* specForm = new QFormLayout();
  SpinPopulationSize_ = spin("SpinPopulationSize", "Overall number of sequences", 1000, 1, 99999,
                             PopulationSpecification_, specForm);
  SpinPopulationHaplotypes_ = spin("SpinPopulationHaplotypes", "Number of haplotypes", 5, 1, 10,
                                   PopulationSpecification_, specForm);
  specLayout->addLayout(specForm);
  // The radio buttons of one box exclude each other; this pair has its own box.
  auto* distribution = new QWidget(PopulationSpecification_);
  auto* distributionLayout = new QVBoxLayout(distribution);
  RadioEqual_ = new QRadioButton(QStringLiteral("Equally distributed"), distribution);
  RadioEqual_->setObjectName(QStringLiteral("RadioEqual"));
  RadioEqual_->setChecked(true);
  RadioDescribed_ = new QRadioButton(QStringLiteral("Distribution as described"), distribution);
  RadioDescribed_->setObjectName(QStringLiteral("RadioDescribed"));
  distributionLayout->addWidget(RadioEqual_);
  distributionLayout->addWidget(RadioDescribed_);
  specLayout->addWidget(distribution);
  FrequencyGrid_ = new QTableWidget(0, 1, PopulationSpecification_);
  FrequencyGrid_->setObjectName(QStringLiteral("FrequencyGrid"));
  FrequencyGrid_->setHorizontalHeaderLabels({QStringLiteral("Frequency")});
  FrequencyGrid_->setEnabled(false);
  specLayout->addWidget(FrequencyGrid_, 1);
  startLayout->addWidget(PopulationSpecification_, 1);
  columns->addWidget(startBox);
  connect(RadioGenerate_, &QRadioButton::toggled, PopulationSpecification_, &QWidget::setVisible);
  connect(RadioDescribed_, &QRadioButton::toggled, this, [this](bool on) {
    FrequencyGrid_->setEnabled(on);
    if (on) fillFrequencyGrid();
  });
  connect(SpinPopulationHaplotypes_, &QSpinBox::valueChanged, this, [this] {
    if (RadioDescribed_->isChecked()) fillFrequencyGrid();
  });
  connect(FrequencyGrid_, &QTableWidget::itemChanged, this,
          &TFrmForwardSimulation::frequencyCellChanged);
  layout->addWidget(ParameterGroup_, 1);

  DisplayGroup_ = new QGroupBox(QStringLiteral("Simulation display"), this);
  DisplayGroup_->setObjectName(QStringLiteral("DisplayGroup"));
  auto* display = new QHBoxLayout(DisplayGroup_);
  ImagePopSize_ = new QLabel(DisplayGroup_);
  ImagePopSize_->setObjectName(QStringLiteral("ImagePopSize"));
  ImageTreeView_ = new QLabel(DisplayGroup_);
  ImageTreeView_->setObjectName(QStringLiteral("ImageTreeView"));
  display->addWidget(ImagePopSize_, 0, Qt::AlignTop);
  display->addWidget(ImageTreeView_, 0, Qt::AlignTop);
  DisplayGroup_->hide();
  layout->addWidget(DisplayGroup_, 1);

  StatusLabel_ = new QLabel(this);
  StatusLabel_->setObjectName(QStringLiteral("StatusLabel"));
  layout->addWidget(StatusLabel_);
  auto* buttons = new QHBoxLayout();
  BtnStartSimulation_ = new QPushButton(QStringLiteral("Start simulation"), this);
  BtnStartSimulation_->setObjectName(QStringLiteral("BtnStartSimulation"));
  connect(BtnStartSimulation_, &QPushButton::clicked, this,
          &TFrmForwardSimulation::BtnStartSimulationClick);
  BtnSaveSimulation_ = new QPushButton(QStringLiteral("Save simulation"), this);
  BtnSaveSimulation_->setObjectName(QStringLiteral("BtnSaveSimulation"));
  BtnSaveSimulation_->setEnabled(false);
  connect(BtnSaveSimulation_, &QPushButton::clicked, this,
          &TFrmForwardSimulation::BtnSaveSimulationClick);
  auto* exit = new QPushButton(QStringLiteral("Exit"), this);
  exit->setObjectName(QStringLiteral("BtnExit"));
  connect(exit, &QPushButton::clicked, this, &TFrmForwardSimulation::BtnExitClick);
  buttons->addWidget(BtnStartSimulation_);
  buttons->addWidget(BtnSaveSimulation_);
  buttons->addStretch(1);
  buttons->addWidget(exit);
  layout->addLayout(buttons);
}

TFrmForwardSimulation::~TFrmForwardSimulation() = default;

QSpinBox* TFrmForwardSimulation::spin(const char* name, const char* label, int value, int lo, int hi,
                                      QWidget* parent, QFormLayout* layout) {
  auto* s = new QSpinBox(parent);
  s->setObjectName(QLatin1String(name));
  s->setRange(lo, hi);
  s->setValue(value);
  layout->addRow(QLatin1String(label), s);
  return s;
}

void TFrmForwardSimulation::fillFrequencyGrid() {
  filling_ = true;
  const int haplotypes = SpinPopulationHaplotypes_->value();
  const std::vector<int> counts = EqualCounts(SpinPopulationSize_->value(), haplotypes);
  FrequencyGrid_->setRowCount(haplotypes);
  for (int row = 0; row < haplotypes; ++row)
    FrequencyGrid_->setItem(row, 0,
                            new QTableWidgetItem(QString::number(counts[static_cast<std::size_t>(row)])));
  filling_ = false;
}

// A committed frequency cell: the overall number becomes the sum of the cells.
void TFrmForwardSimulation::frequencyCellChanged() {
  if (filling_) return;
  long long sum = 0;
  for (int row = 0; row < FrequencyGrid_->rowCount(); ++row) {
    const QTableWidgetItem* item = FrequencyGrid_->item(row, 0);
    bool ok = false;
    const int value = item != nullptr ? item->text().trimmed().toInt(&ok) : 0;
    if (!ok || value < 0) {
      dialogs().showMessage(fsim_messages::FrequencyCell, DialogKind::Error);
      return;
    }
    sum += value;
  }
  if (sum != SpinPopulationSize_->value() && sum <= SpinPopulationSize_->maximum()) {
    filling_ = true;
    SpinPopulationSize_->setValue(static_cast<int>(sum));
    filling_ = false;
  }
}

bool TFrmForwardSimulation::readParameters(TSimParameters& p, std::vector<SimulationEvent>& events) {
  p.SequenceLength = SpinLength_->value();
  p.YearsPerMutation = SpinYears_->value();
  p.Variation = SpinPopulationGrowth_->value();
  p.Sigma = SpinSigma_->value();
  p.GenerationDuration = SpinGenerationDuration_->value();
  p.Generations = SpinNumberGenerations_->value();
  p.Refresh = SpinRefresh_->value();
  if (const auto message = CheckSimParameters(p)) {
    dialogs().showMessage(*message, DialogKind::Error);
    return false;
  }
  events.clear();
  for (int row = 0; row < EventGrid_->rowCount(); ++row) {
    const auto size = CellInteger(EventGrid_->item(row, 0));
    const auto start = CellInteger(EventGrid_->item(row, 1));
    const auto duration = CellInteger(EventGrid_->item(row, 2));
    if (!size || !start || !duration) {
      dialogs().showMessage(fsim_messages::Events, DialogKind::Error);
      EventGrid_->setFocus();
      return false;
    }
    events.push_back(SimulationEvent{*size, *start, *duration});
  }
  if (const auto message = CheckSimEvents(events)) {
    dialogs().showMessage(*message, DialogKind::Error);
    EventGrid_->setFocus();
    return false;
  }
  return true;
}

bool TFrmForwardSimulation::readStartPopulation() {
  start_.Individuals.clear();
  if (RadioLoad_->isChecked()) {
    FileDialogRequest request;
    request.title = "Open";
    request.filter = "Simulation files (*.fsi)|*.fsi|RDF data set (*.rdf)|*.rdf";
    const std::optional<std::string> name = dialogs().openFileName(request);
    if (!name) return false;
    std::string extension;
    if (const std::size_t dot = ExtensionDotIndex(*name); dot < name->size())
      extension = name->substr(dot + 1);
    for (char& c : extension) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const bool read = extension == "RDF" ? ReadRdfPopulation(*name, start_)
                                         : ReadFsiFile(*name, start_);
    if (!read) return false;
    if (!CompatiblePopulation(start_)) {
      dialogs().showMessage(fsim_messages::Incompatible, DialogKind::Error);
      start_.Individuals.clear();
      return false;
    }
    return true;
  }
  const int haplotypes = SpinPopulationHaplotypes_->value();
  std::vector<int> counts;
  if (RadioEqual_->isChecked()) {
    counts = EqualCounts(SpinPopulationSize_->value(), haplotypes);
  } else {
    for (int row = 0; row < haplotypes; ++row) {
      const QTableWidgetItem* item = FrequencyGrid_->item(row, 0);
      const std::optional<long long> count =
          item != nullptr ? CellDigits(item->text()) : std::nullopt;
      if (!count || *count > MaxSimulationIndividuals) {
        dialogs().showMessage(fsim_messages::Frequencies, DialogKind::Error);
        FrequencyGrid_->setFocus();
        return false;
      }
      counts.push_back(static_cast<int>(*count));
    }
  }
  return GeneratePopulation(counts, start_);
}

void TFrmForwardSimulation::redraw() {
  DrawPopulationSizePlot(popSizeImage_, simulation_->Sizes(), simulation_->Parameters().Generations);
  ImagePopSize_->setPixmap(QPixmap::fromImage(popSizeImage_));
  // One message per redraw: a box per unplaced node would stop the run for each.
  if (!DrawHaplotypeTree(treeImage_, simulation_->Population()))
    dialogs().showMessage(fsim_messages::WrongCoordinates, DialogKind::Error);
  ImageTreeView_->setPixmap(QPixmap::fromImage(treeImage_));
  StatusLabel_->setText(QStringLiteral("Generation %1").arg(simulation_->Generation()));
}

void TFrmForwardSimulation::BtnStartSimulationClick() {
  if (running_) return;
  TSimParameters parameters;
  std::vector<SimulationEvent> events;
  if (!readParameters(parameters, events) || !readStartPopulation()) return;

  ParameterGroup_->hide();
  DisplayGroup_->show();
  BtnSaveSimulation_->setEnabled(false);
  BtnStartSimulation_->setEnabled(false);
  const uint64_t seed =
      seed_.value_or(static_cast<uint64_t>(std::chrono::system_clock::now().time_since_epoch().count()));
  simulation_ = std::make_unique<TForwardSimulation>(parameters, std::move(events), start_, seed);
  running_ = true;
  abort_ = false;
  simulation_->Run([this](int) {
    redraw();
    QCoreApplication::processEvents();
    return !abort_;
  });
  running_ = false;
  if (abort_) {
    // The window was closed during the run: close it now that the run has let go.
    close();
    return;
  }
  StatusLabel_->setText(QString::fromStdString(fsim_messages::Finished));
  dialogs().showMessage(fsim_messages::Finished, DialogKind::Information);
  BtnSaveSimulation_->setEnabled(true);
  BtnStartSimulation_->setEnabled(true);
  ParameterGroup_->show();
}

void TFrmForwardSimulation::BtnSaveSimulationClick() {
  if (!simulation_ || running_) return;
  FileDialogRequest request;
  request.title = "Save";
  request.filter = "Simulation files (*.fsi)|*.fsi";
  request.defaultExt = "fsi";
  std::optional<std::string> name = dialogs().saveFileName(request);
  if (!name) return;
  ForceFileExtension("fsi", *name);
  if (!WriteFsiFile(*name, simulation_->Population())) return;
  dialogs().showMessage(fsim_messages::Written, DialogKind::Information);
}

void TFrmForwardSimulation::BtnExitClick() { close(); }

void TFrmForwardSimulation::BtnAddEventClick() {
  const int row = EventGrid_->rowCount();
  EventGrid_->insertRow(row);
  int column = 0;
  for (const QSpinBox* s : {SpinEventPopulationSize_, SpinEventStartGeneration_, SpinEventDuration_})
    EventGrid_->setItem(row, column++, new QTableWidgetItem(QString::number(s->value())));
}

void TFrmForwardSimulation::BtnRemoveEventClick() {
  const int row = EventGrid_->currentRow();
  if (row >= 0 && row < EventGrid_->rowCount()) EventGrid_->removeRow(row);
}

void TFrmForwardSimulation::closeEvent(QCloseEvent* event) {
  if (running_) {
    // The run's loop still uses the window: stop it, and close when it has returned.
    abort_ = true;
    event->ignore();
    return;
  }
  event->accept();
}

QWidget* CreateForwardSimulation() {
  auto* window = new TFrmForwardSimulation();
  window->setAttribute(Qt::WA_DeleteOnClose);
  return window;
}
