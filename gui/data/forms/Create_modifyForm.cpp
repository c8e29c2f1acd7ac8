#include "Create_modifyForm.h"

#include "Dialogs.h"
#include "FormScaling.h"

#include <QButtonGroup>
#include <QCoreApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
// Design client size on the 1024 x 768 screen.
constexpr int DesignWidth = 420;
constexpr int DesignHeight = 330;
}  // namespace

const std::string& FileSelectionHelpText() {
  static const std::string text =
      "The network methods are meant for non-recombining biomolecules (mitochondrial DNA, the "
      "Y chromosome, or closely linked loci). Recombining biomolecules give high-dimensional "
      "networks that are hard to interpret.\r\r"
      "DNA OR AMINO ACID SEQUENCES: Proceed directly to the appropriate menu.\r\r"
      "STR data: complex STRs must be resolved into their independently mutating parts before "
      "they are entered.\r\r"
      "RFLP data: multiple RFLP sites must be resolved into independent sites, or else be given a "
      "low or zero weight in the Calculation menu.\r\r"
      "Language data: use the amino acid menu. Analyses of languages with networks are "
      "experimental.";
  return text;
}

TFile_selection::TFile_selection(QWidget* parent, QSize screenSize) : QDialog(parent) {
  setObjectName(QStringLiteral("File_selection"));
  setWindowTitle(QStringLiteral("File selection"));
  setModal(true);
  QCoreApplication::processEvents();
  const QSize screen = ScreenSizeOr(screenSize);
  ScaleForm(*this, DesignWidth, DesignHeight,
            ComputeScreenScaling(screen.width(), screen.height()));

  auto* box = new QGroupBox(QStringLiteral("File specification"), this);
  box->setObjectName(QStringLiteral("FileSpecification"));
  auto* boxLayout = new QVBoxLayout(box);
  auto* group = new QButtonGroup(this);
  for (std::size_t i = 0; i < std::size(DataTypeEntries); ++i) {
    radios_[i] = new QRadioButton(QString::fromLatin1(DataTypeEntries[i].caption), box);
    radios_[i]->setObjectName(QLatin1String(DataTypeEntries[i].radio));
    group->addButton(radios_[i]);
    boxLayout->addWidget(radios_[i]);
  }
  radios_[0]->setChecked(true);

  // The mode is kept in two hidden radio buttons of their own group.
  RadioCreate_ = new QRadioButton(QStringLiteral("Create"), this);
  RadioCreate_->setObjectName(QStringLiteral("RadioCreate"));
  RadioModify_ = new QRadioButton(QStringLiteral("Modify"), this);
  RadioModify_->setObjectName(QStringLiteral("RadioModify"));
  auto* modeGroup = new QButtonGroup(this);
  modeGroup->addButton(RadioCreate_);
  modeGroup->addButton(RadioModify_);
  RadioCreate_->setChecked(true);
  RadioCreate_->hide();
  RadioModify_->hide();

  auto* cont = new QPushButton(QStringLiteral("Continue"), this);
  cont->setObjectName(QStringLiteral("ContinueButton"));
  cont->setDefault(true);
  auto* exit = new QPushButton(QStringLiteral("Exit"), this);
  exit->setObjectName(QStringLiteral("ExitButton"));
  HelpButton_ = new QPushButton(QStringLiteral("Help"), this);
  HelpButton_->setObjectName(QStringLiteral("HelpButton"));
  connect(cont, &QPushButton::clicked, this, &QDialog::accept);
  connect(exit, &QPushButton::clicked, this, &QDialog::reject);
  connect(HelpButton_, &QPushButton::clicked, this, &TFile_selection::HelpButtonClick);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(cont);
  buttons->addWidget(exit);
  buttons->addWidget(HelpButton_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(box);
  layout->addLayout(buttons);
}

void TFile_selection::SelectDataType(const std::string& word) {
  for (std::size_t i = 0; i < std::size(DataTypeEntries); ++i)
    if (word == DataTypeEntries[i].word) radios_[i]->setChecked(true);
}

std::string TFile_selection::DataType() const {
  for (std::size_t i = 0; i < std::size(DataTypeEntries); ++i)
    if (radios_[i]->isChecked()) return DataTypeEntries[i].word;
  return DataTypeEntries[0].word;
}

void TFile_selection::SetCreateMode(bool create) {
  // Clearing one button of an exclusive group means checking the other.
  (create ? RadioCreate_ : RadioModify_)->setChecked(true);
}

bool TFile_selection::IsCreateMode() const { return RadioCreate_->isChecked(); }

void TFile_selection::HelpButtonClick() {
  dialogs().showMessage(FileSelectionHelpText(), DialogKind::Information);
}

std::optional<TDataTypeChoice> RunDataTypeDialog(QWidget* parent, bool modify) {
  TFile_selection dialog(parent);
  dialog.move(0, 40);
  dialog.SetCreateMode(true);
  // The main window's word for nucleotides matches no button: the form's default stays.
  dialog.SelectDataType("nucleotide");
  if (modify) {
    dialog.SetCreateMode(false);
    dialog.findChild<QPushButton*>(QStringLiteral("HelpButton"))->hide();
  } else {
    dialog.setWindowTitle(QStringLiteral("Create new file"));
  }
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return TDataTypeChoice{dialog.IsCreateMode(), dialog.DataType()};
}
