#include "MPPanel.h"

#include "Dialogs.h"
#include "MPCalculation.h"

#include <QCoreApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <filesystem>

namespace {

constexpr const char* kHelpText =
    "Reduced median networks and median-joining networks of biological data generally contain "
    "numerous superfluous (non-parsimonious) links. The MP (maximum parsimony) calculation "
    "eliminates such links, often considerably simplifying the network. Note that the original "
    "network may already have missed the shortest trees in the biological data; in that case, the "
    "MP calculation would find the shortest trees in the network, but would inevitably miss the "
    "shortest trees for the data overall. The terms 'MP' and 'shortest' are used here loosely; "
    "technically, a shortest unweighted tree (i.e., all characters have the same weight) is a "
    "maximum parsimony tree, while a shortest weighted tree (i.e., with different characters "
    "having different, user-defined weights) is a steiner tree. The MP calculation employed here "
    "calculates the latter."
    "\n\nFurther reading on the solver's techniques:\n"
    "- Reduction tests for the Steiner problem in graphs (degree, bottleneck and "
    "Steiner-distance tests).\n"
    "- Dual-ascent lower bounds and reduced-cost fixing for Steiner trees.\n"
    "- Branch and bound with decomposition at small separators.";

constexpr const char* kOutFilter = "Tarvane output files (*.out) |*.out";

}  // namespace

TMPPanel::TMPPanel(QGroupBox* box) : QObject(box), box_(box) {
  auto* layout = new QVBoxLayout(box);
  auto radio = [&](const char* name, const char* caption) {
    auto* r = new QRadioButton(QString::fromLatin1(caption), box);
    r->setObjectName(QLatin1String(name));
    layout->addWidget(r);
    return r;
  };
  RadioSetOfMPTrees_ = radio("RadioSetOfMPTrees",
                             "Network containing all shortest trees, and list of some shortest "
                             "trees sufficient to generate this network");
  RadioMPNetwork_ = radio("RadioMPNetwork",
                          "Network containing all shortest trees (select only if option 1 takes "
                          "too long to calculate)");
  RadioAllMPTrees_ = radio("RadioAllMPTrees",
                           "List of all shortest trees contained in the network (not implemented "
                           "yet)");
  RadioMPTree_ = radio("RadioMPTree",
                       "Single, arbitrary shortest tree within network (select only if options "
                       "1-3 take too long to calculate)");
  RadioNearoptTree_ = radio("RadioNearoptTree",
                            "Single, arbitrary nearoptimal tree within network (select only if "
                            "all other options take too long to calculate)");
  RadioSetOfMPTrees_->setChecked(true);
  RadioAllMPTrees_->setEnabled(false);

  MPElapsedLabel_ = new QLabel(box);
  MPElapsedLabel_->setObjectName(QLatin1String("MPElapsedLabel"));
  MPElapsedLabel_->hide();
  layout->addWidget(MPElapsedLabel_);

  auto* buttons = new QHBoxLayout;
  auto button = [&](const char* name, const char* caption, void (TMPPanel::*handler)()) {
    auto* b = new QPushButton(QString::fromLatin1(caption), box);
    b->setObjectName(QLatin1String(name));
    connect(b, &QPushButton::clicked, this, handler);
    buttons->addWidget(b);
    return b;
  };
  button("MPCancelButton", "&Cancel", &TMPPanel::MPCancelButtonClick);
  MPStartButton_ = button("MPStartButton", "&Start", &TMPPanel::MPStartButtonClick);
  button("MPHelpButton", "&Help", &TMPPanel::MPHelpButtonClick);
  layout->addLayout(buttons);

  calculation_ = new mp::MPCalculation(this);
  connect(calculation_, &mp::MPCalculation::progress, this, [this](qint64 elapsedMs) {
    MPElapsedLabel_->setText(QString::fromStdString(mp::runningText(elapsedMs)));
  });
  connect(calculation_, &mp::MPCalculation::finished, this, [this](bool success) {
    MPElapsedLabel_->hide();
    MPStartButton_->setEnabled(true);
    box_->hide();
    emit finished(success);
  });
}

int TMPPanel::programNumber() const {
  int n = 1;
  if (RadioMPTree_->isChecked()) n = 2;
  if (RadioMPNetwork_->isChecked()) n = 3;
  if (RadioSetOfMPTrees_->isChecked()) n = 4;
  if (RadioAllMPTrees_->isChecked()) n = 5;
  return n;
}

void TMPPanel::MPStartButtonClick() {
  if (calculation_->running()) return;
  FileDialogRequest request;
  request.filter = kOutFilter;
  request.defaultExt = "out";
  const auto out = dialogs().openFileName(request);
  if (!out) {
    box_->hide();
    return;
  }
  // A finished result is replaced only when the user agrees (and only once the new one is there).
  std::error_code ec;
  const std::string sto = mp::resultName(*out);
  if (std::filesystem::exists(sto, ec) &&
      !dialogs().askYesNo(mp::replaceQuestion(sto), DialogKind::Warning)) {
    box_->hide();
    return;
  }
  dialogs().showMessage(mp::kStartNotice);
  const std::string folder = solverFolder_.empty()
                                 ? QCoreApplication::applicationDirPath().toStdString()
                                 : solverFolder_;
  if (!calculation_->start(mp::solverPath(folder), *out, programNumber())) {
    box_->hide();
    return;
  }
  // The window stays usable while the solver runs; a second start waits for this one, and
  // Cancel ends it.
  MPStartButton_->setEnabled(false);
  MPElapsedLabel_->setText(QString::fromStdString(mp::runningText(0)));
  MPElapsedLabel_->show();
}

void TMPPanel::MPCancelButtonClick() {
  // A running solver is stopped (its finished signal hides the panel); otherwise Cancel only
  // hides the options.
  if (!calculation_->cancel()) box_->hide();
}

void TMPPanel::MPHelpButtonClick() { dialogs().showMessage(kHelpText); }
