#include "Y_Editor_GridForm.h"

#include "EditorGridParts.h"
#include "FormScaling.h"
#include "Oberflaeche.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTableView>
#include <QVBoxLayout>

#include <memory>

namespace {

constexpr int DesignClientWidth = 1016;
constexpr int DesignClientHeight = 690;
constexpr int CellWidth = 28;
constexpr int NameRowHeight = 64;  // room for an upright name of 8 characters

static_assert(ych_limits::InfoCount == rdf_limits::InfoCount, "the grids show six fields");

QString Q(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

// The STR editor's data set as the grids see it: loci are the columns, repeats the body.
class TYGridSource final : public TEditorGridSource {
public:
  explicit TYGridSource(TYEditor& editor) : editor_(editor) {}
  int TaxaCount() const override { return editor_.TaxaCount(); }
  int ColumnCount() const override { return editor_.LociCount(); }
  QString Body(int taxon, int locus) const override {
    return QString::number(editor_.Taxon(taxon).Repeats[static_cast<std::size_t>(locus - 1)]);
  }
  std::string TaxonName(int taxon) const override { return editor_.Taxon(taxon).Name; }
  int Frequency(int taxon) const override { return editor_.Taxon(taxon).Frequency; }
  std::string Info(int taxon, int field) const override {
    return editor_.Taxon(taxon).Info[static_cast<std::size_t>(field - 1)];
  }
  std::string ColumnName(int locus) const override { return editor_.Locus(locus).Name; }
  int Weight(int locus) const override { return editor_.Locus(locus).Weight; }
  bool RenameTaxon(int taxon, const std::string& text) override {
    return editor_.RenameTaxon(taxon, text);
  }
  bool SetFrequencyText(int taxon, const std::string& text) override {
    return editor_.SetFrequencyText(taxon, text);
  }
  bool SetInfo(int field, int taxon, const std::string& text) override {
    return editor_.SetInfo(field, taxon, text);
  }
  bool RenameColumn(int locus, const std::string& text) override {
    return editor_.RenameLocus(locus, text);
  }
  bool SetWeightText(int locus, const std::string& text) override {
    return editor_.SetWeightText(locus, text);
  }
  TCellMask TaxonNameMask() const override { return y_editor_masks::TaxonName; }
  TCellMask FrequencyMask() const override { return y_editor_masks::Frequency; }
  TCellMask InformationMask() const override { return y_editor_masks::Information; }
  TCellMask ColumnNameMask() const override { return editor_.LocusNameMask(); }
  TCellMask WeightMask() const override { return y_editor_masks::Weight; }

private:
  TYEditor& editor_;
};

// ---------------------------------------------------------------------------------------------
// TY_EditorForm

TY_EditorForm::TY_EditorForm(const std::string& dataType, bool createMode, QWidget* parent,
                             QSize screenSize)
    : QWidget(parent), editor_(dataType) {
  setObjectName(QStringLiteral("Y_EditorForm"));
  setWindowTitle(QStringLiteral("STR-Editor"));
  const QSize screen = ScreenSizeOr(screenSize);
  ScaleForm(*this, DesignClientWidth, DesignClientHeight,
            ComputeScreenScaling(screen.width(), screen.height()));

  auto* layout = new QVBoxLayout(this);
  CreationBox_ = new QGroupBox(QStringLiteral("Data set creation"), this);
  CreationBox_->setObjectName(QStringLiteral("CreationBox"));
  auto* creation = new QHBoxLayout(CreationBox_);
  const auto spin = [this, creation](const char* name, const char* label, int lo, int hi) {
    auto* s = new QSpinBox(CreationBox_);
    s->setObjectName(QLatin1String(name));
    s->setRange(lo, hi);
    creation->addWidget(new QLabel(QLatin1String(label), CreationBox_));
    creation->addWidget(s);
    return s;
  };
  NumberSequencesSpin_ = spin("NumberSequencesSpin", "Number of taxa", 3, 3000);
  NumberCharactersSpin_ = spin("NumberCharactersSpin", "Number of loci", 1, ych_limits::MaxLoci);
  DefaultWeightSpin_ = spin("DefaultWeightSpin", "Default weight", 0, 99);
  auto* create = new QPushButton(QStringLiteral("Create"), CreationBox_);
  create->setObjectName(QStringLiteral("CreateButton"));
  connect(create, &QPushButton::clicked, this, &TY_EditorForm::CreateButtonClick);
  creation->addWidget(create);
  layout->addWidget(CreationBox_);

  buildValueBoxes();
  layout->addWidget(RepeatBox_);
  layout->addWidget(DefaultValueBox_);

  EditBox_ = new QGroupBox(QStringLiteral("Data editor"), this);
  EditBox_->setObjectName(QStringLiteral("EditBox"));
  auto* editLayout = new QVBoxLayout(EditBox_);
  editLayout->addWidget(
      new QLabel(QStringLiteral("Press right mouse key to get additional functionality"), EditBox_));
  auto* gridHost = new QWidget(EditBox_);
  buildGrids(gridHost);
  editLayout->addWidget(gridHost, 1);
  auto* buttonHost = new QWidget(EditBox_);
  buildButtons(buttonHost);
  editLayout->addWidget(buttonHost);
  layout->addWidget(EditBox_, 1);

  NumberSequencesSpin_->setValue(10);
  NumberCharactersSpin_->setValue(10);
  DefaultWeightSpin_->setValue(10);
  CreationBox_->setVisible(createMode);
  EditBox_->hide();
  refillGrids();
}

// The grids' models read the editor: they go first, while it still exists.
TY_EditorForm::~TY_EditorForm() { delete EditBox_; }

void TY_EditorForm::buildValueBoxes() {
  const auto fill = [](QComboBox* box) {
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    for (const std::string& entry : RepeatValueList()) box->addItem(Q(entry));
  };
  RepeatBox_ = new QGroupBox(QStringLiteral("Repeat specification"), this);
  RepeatBox_->setObjectName(QStringLiteral("RepeatBox"));
  auto* l1 = new QHBoxLayout(RepeatBox_);
  RepeatValues_ = new QComboBox(RepeatBox_);
  RepeatValues_->setObjectName(QStringLiteral("RepeatValues"));
  fill(RepeatValues_);
  auto* ok = new QPushButton(QStringLiteral("OK"), RepeatBox_);
  ok->setObjectName(QStringLiteral("OKButton"));
  connect(ok, &QPushButton::clicked, this, &TY_EditorForm::OKButtonClick);
  l1->addWidget(RepeatValues_, 1);
  l1->addWidget(ok);
  RepeatBox_->hide();

  DefaultValueBox_ = new QGroupBox(QStringLiteral("Specification of default values"), this);
  DefaultValueBox_->setObjectName(QStringLiteral("DefaultValueBox"));
  auto* l2 = new QHBoxLayout(DefaultValueBox_);
  LocusNameEdit_ = new QLineEdit(DefaultValueBox_);
  LocusNameEdit_->setObjectName(QStringLiteral("LocusNameEdit"));
  LocusNameEdit_->setReadOnly(true);
  DefaultValues_ = new QComboBox(DefaultValueBox_);
  DefaultValues_->setObjectName(QStringLiteral("DefaultValues"));
  fill(DefaultValues_);
  auto* cont = new QPushButton(QStringLiteral("Continue"), DefaultValueBox_);
  cont->setObjectName(QStringLiteral("ContinueButton"));
  connect(cont, &QPushButton::clicked, this, &TY_EditorForm::ContinueButtonClick);
  l2->addWidget(LocusNameEdit_);
  l2->addWidget(DefaultValues_, 1);
  l2->addWidget(cont);
  DefaultValueBox_->hide();
}

void TY_EditorForm::buildGrids(QWidget* parent) {
  using Kind = TEditorGridModel::Kind;
  gridSource_ = std::make_unique<TYGridSource>(editor_);
  grids_ = new TEditorGrids(*gridSource_, {"Taxon", "Locus"}, CellWidth, this);
  // After a move to another cell the next digit typed into the repeat table starts a new value.
  grids_->OnSync = [this] { editor_.StartNewEntry(); };
  const auto grid = [this, parent](const char* name, Kind kind) {
    QTableView* view = grids_->Make(name, kind, parent, [this] { refreshCells(); });
    view->viewport()->installEventFilter(this);
    return view;
  };
  EditGrid_ = grid("EditGrid", Kind::Body);
  SequencesGrid_ = grid("SequencesGrid", Kind::TaxonNames);
  FrequencyGrid_ = grid("FrequencyGrid", Kind::Frequencies);
  FurtherInformationGrid_ = grid("FurtherInformationGrid", Kind::Information);
  CharactersGrid_ = grid("CharactersGrid", Kind::ColumnNames);
  WeightGrid_ = grid("WeightGrid", Kind::Weights);
  CharactersGrid_->verticalHeader()->setDefaultSectionSize(NameRowHeight);
  CharactersGrid_->setFixedHeight(NameRowHeight + 2);
  WeightGrid_->setFixedHeight(EditorGridRowHeight + 2);
  for (QTableView* g : {CharactersGrid_, WeightGrid_}) g->horizontalHeader()->hide();
  for (QTableView* g : {SequencesGrid_, FrequencyGrid_, FurtherInformationGrid_})
    g->horizontalHeader()->setStretchLastSection(true);
  FurtherInformationGrid_->hide();
  SequencesGrid_->setFixedWidth(150);
  FrequencyGrid_->setFixedWidth(80);
  for (QTableView* g : {EditGrid_, SequencesGrid_, CharactersGrid_})
    g->setContextMenuPolicy(Qt::CustomContextMenu);

  ScrollVert_ = new QScrollBar(Qt::Vertical, parent);
  ScrollVert_->setObjectName(QStringLiteral("ScrollVert"));
  ScrollHoriz_ = new QScrollBar(Qt::Horizontal, parent);
  ScrollHoriz_->setObjectName(QStringLiteral("ScrollHoriz"));
  CoupleScrollBar(ScrollVert_, EditGrid_,
                  {EditGrid_, SequencesGrid_, FrequencyGrid_, FurtherInformationGrid_}, true);
  CoupleScrollBar(ScrollHoriz_, EditGrid_, {EditGrid_, CharactersGrid_, WeightGrid_}, false);

  auto* locusLabel = new QLabel(QStringLiteral("Locus"), parent);
  auto* weightLabel = new QLabel(QStringLiteral("Weight"), parent);
  locusLabel->setAlignment(Qt::AlignRight | Qt::AlignBottom);
  weightLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  locusLabels_ = {locusLabel, weightLabel};

  auto* g = new QGridLayout(parent);
  g->setSpacing(0);
  g->addWidget(locusLabel, 0, 0, 1, 2);
  g->addWidget(weightLabel, 1, 0, 1, 2);
  g->addWidget(CharactersGrid_, 0, 2);
  g->addWidget(WeightGrid_, 1, 2);
  g->addWidget(SequencesGrid_, 2, 0);
  g->addWidget(FrequencyGrid_, 2, 1);
  g->addWidget(EditGrid_, 2, 2);
  g->addWidget(FurtherInformationGrid_, 2, 2);
  g->addWidget(ScrollVert_, 2, 3);
  g->addWidget(ScrollHoriz_, 3, 2);
  g->setRowStretch(2, 1);
  g->setColumnStretch(2, 1);

  QMenu* values = MakeGridPopup("RepeatPopup", EditGrid_, this);
  const std::vector<std::string>& list = RepeatValueList();
  for (std::size_t i = 0; i < list.size(); ++i) {
    QAction* a = values->addAction(Q(list[i]));
    const std::optional<uint8_t> value = RepeatEntryValue(static_cast<int>(i));
    connect(a, &QAction::triggered, this, [this, value] {
      if (!value || CurrentTaxon() == 0 || CurrentLocus() == 0) return;
      editor_.SetRepeat(CurrentTaxon(), CurrentLocus(), *value);
      refillGrids();
    });
  }
  const auto item = [this](QMenu* menu, const char* name, const char* caption,
                           void (TY_EditorForm::*slot)()) {
    QAction* a = menu->addAction(QLatin1String(caption));
    a->setObjectName(QLatin1String(name));
    connect(a, &QAction::triggered, this, slot);
  };
  QMenu* taxa = MakeGridPopup("SequencePopup", SequencesGrid_, this);
  item(taxa, "Inserttaxon1", "&Insert taxon", &TY_EditorForm::NewSequenceButtonClick);
  item(taxa, "Deletetaxon1", "&Delete taxon", &TY_EditorForm::DeleteSequenceButtonClick);
  item(taxa, "Duplicatetaxon1", "D&uplicate taxon", &TY_EditorForm::CopySequenceButtonClick);
  item(taxa, "Addfinaltaxon1", "&Add final taxon", &TY_EditorForm::NewFinalSequenceButtonClick);
  QMenu* loci = MakeGridPopup("LocusPopup", CharactersGrid_, this);
  item(loci, "Insertlocus1", "&Insert locus", &TY_EditorForm::NewCharacterButtonClick);
  item(loci, "Deletelocus1", "&Delete locus", &TY_EditorForm::DeleteCharacterButtonClick);
  item(loci, "Duplicatelocus1", "D&uplicate locus", &TY_EditorForm::CopyCharacterButtonClick);
  item(loci, "Addfinallocus1", "&Add final locus", &TY_EditorForm::NewFinalCharacterButtonClick);
  item(loci, "Setdefaultnumberofrepeats1", "&Set default number of repeats",
       &TY_EditorForm::Setdefaultnumberofrepeats1Click);
}

void TY_EditorForm::buildButtons(QWidget* parent) {
  auto* g = new QGridLayout(parent);
  int n = 0;
  const auto button = [this, parent, g, &n](const char* name, const char* caption,
                                            void (TY_EditorForm::*slot)()) {
    auto* b = new QPushButton(QLatin1String(caption), parent);
    b->setObjectName(QLatin1String(name));
    connect(b, &QPushButton::clicked, this, slot);
    g->addWidget(b, n / 7, n % 7);
    ++n;
    return b;
  };
  button("NewSequenceButton", "Insert taxon", &TY_EditorForm::NewSequenceButtonClick);
  button("NewFinalSequenceButton", "Add final taxon", &TY_EditorForm::NewFinalSequenceButtonClick);
  button("CopySequenceButton", "Duplicate taxon", &TY_EditorForm::CopySequenceButtonClick);
  button("DeleteSequenceButton", "Delete taxon", &TY_EditorForm::DeleteSequenceButtonClick);
  button("NewCharacterButton", "Insert locus", &TY_EditorForm::NewCharacterButtonClick);
  button("NewFinalCharacterButton", "Add final locus", &TY_EditorForm::NewFinalCharacterButtonClick);
  button("CopyCharacterButton", "Duplicate locus", &TY_EditorForm::CopyCharacterButtonClick);
  button("DeleteCharacterButton", "Delete locus", &TY_EditorForm::DeleteCharacterButtonClick);
  button("CheckDataButton", "Check data", &TY_EditorForm::CheckDataButtonClick)->hide();
  button("SaveButton", "Save", &TY_EditorForm::SaveButtonClick);
  UndoButton_ = button("UndoButton", "Undo", &TY_EditorForm::UndoButtonClick);
  UndoButton_->setEnabled(false);
  button("SwitchButton", "Switch input window", &TY_EditorForm::SwitchButtonClick);
  button("ExitButton", "Exit", &TY_EditorForm::ExitButtonClick);
}

bool TY_EditorForm::OpenStep() {
  if (!editor_.OpenWithDialog()) return false;
  showEditBox();
  return true;
}

void TY_EditorForm::showEditBox() {
  CreationBox_->hide();
  EditBox_->show();
  refillGrids();
}

void TY_EditorForm::refreshCells() {
  grids_->RefreshAll();
  UndoButton_->setEnabled(editor_.CanUndo());
}

void TY_EditorForm::refillGrids() {
  const int taxon = CurrentTaxon();
  const int locus = CurrentLocus();
  grids_->RefillAll();
  UndoButton_->setEnabled(editor_.CanUndo());
  SelectCell(std::min(std::max(taxon, 1), editor_.TaxaCount()),
             std::min(std::max(locus, 1), editor_.LociCount()));
  // After every command the table in view takes the keys again.
  if (EditBox_->isVisible() && EditBox_->isEnabled())
    (EditGrid_->isHidden() ? FurtherInformationGrid_ : EditGrid_)->setFocus();
}

int TY_EditorForm::CurrentTaxon() const {
  const QModelIndex i = EditGrid_->currentIndex();
  return i.isValid() ? i.row() + 1 : 0;
}

int TY_EditorForm::CurrentLocus() const {
  const QModelIndex i = EditGrid_->currentIndex();
  return i.isValid() ? i.column() + 1 : 0;
}

void TY_EditorForm::SelectCell(int taxon, int locus) {
  if (taxon < 1 || locus < 1) return;
  const QModelIndex index = EditGrid_->model()->index(taxon - 1, locus - 1);
  if (index.isValid()) EditGrid_->setCurrentIndex(index);
}

void TY_EditorForm::selectProblem(const TYEditor::Problem& problem) {
  SelectCell(problem.taxon > 0 ? problem.taxon : std::max(CurrentTaxon(), 1),
             problem.locus > 0 ? problem.locus : std::max(CurrentLocus(), 1));
  (problem.taxon > 0 ? SequencesGrid_ : CharactersGrid_)->setFocus();
}

void TY_EditorForm::CreateButtonClick() {
  if (!editor_.CreateDataSet(NumberSequencesSpin_->value(), NumberCharactersSpin_->value(),
                             DefaultWeightSpin_->value()))
    return;
  showEditBox();
}

void TY_EditorForm::NewSequenceButtonClick() {
  const int at = editor_.AddTaxon(TYInsertKind::Insert, std::max(CurrentTaxon(), 1));
  refillGrids();
  if (at > 0) SelectCell(at, std::max(CurrentLocus(), 1));
}

void TY_EditorForm::NewFinalSequenceButtonClick() {
  const int at = editor_.AddTaxon(TYInsertKind::AddFinal, 0);
  refillGrids();
  if (at > 0) SelectCell(at, std::max(CurrentLocus(), 1));
}

void TY_EditorForm::CopySequenceButtonClick() {
  if (CurrentTaxon() == 0) return;
  editor_.AddTaxon(TYInsertKind::Duplicate, CurrentTaxon());
  refillGrids();
}

void TY_EditorForm::DeleteSequenceButtonClick() {
  if (CurrentTaxon() == 0) return;
  editor_.DeleteTaxon(CurrentTaxon());
  refillGrids();
}

void TY_EditorForm::beginLocusInsert(TYInsertKind kind, int position) {
  if (!editor_.CanAddLocus(kind)) return;
  pendingLocus_ = position;
  EditBox_->setEnabled(false);
  RepeatBox_->show();
}

void TY_EditorForm::NewCharacterButtonClick() {
  beginLocusInsert(TYInsertKind::Insert, std::max(CurrentLocus(), 1));
}

void TY_EditorForm::NewFinalCharacterButtonClick() {
  beginLocusInsert(TYInsertKind::AddFinal, editor_.LociCount() + 1);
}

// The value of the box's item; a typed text picks the first item starting with its first
// character; the prompt item stands for `fallback`.
uint8_t TY_EditorForm::chosenValue(QComboBox* box, uint8_t fallback) const {
  int entry = box->findText(box->currentText());
  if (entry < 0) {
    entry = StateEntryForText(RepeatValueList(), box->currentText().toStdString());
  }
  box->setCurrentIndex(entry);
  return RepeatEntryValue(entry).value_or(fallback);
}

void TY_EditorForm::OKButtonClick() {
  const uint8_t value = chosenValue(RepeatValues_, ych_limits::Undetermined);
  RepeatBox_->hide();
  EditBox_->setEnabled(true);
  const bool ok = editor_.InsertLocus(pendingLocus_, value, DefaultWeightSpin_->value());
  RepeatValues_->setCurrentIndex(0);
  refillGrids();
  if (ok) SelectCell(std::max(CurrentTaxon(), 1), pendingLocus_);
}

void TY_EditorForm::CopyCharacterButtonClick() {
  if (CurrentLocus() == 0) return;
  editor_.DuplicateLocus(CurrentLocus());
  refillGrids();
}

void TY_EditorForm::DeleteCharacterButtonClick() {
  if (CurrentLocus() == 0) return;
  editor_.DeleteLocus(CurrentLocus());
  refillGrids();
}

void TY_EditorForm::Setdefaultnumberofrepeats1Click() {
  defaultLocus_ = CurrentLocus();
  if (defaultLocus_ == 0) return;
  LocusNameEdit_->setText(Q(editor_.Locus(defaultLocus_).Name));
  // Held back like the insertion, so the locus cannot move away before Continue.
  EditBox_->setEnabled(false);
  DefaultValueBox_->show();
}

void TY_EditorForm::ContinueButtonClick() {
  DefaultValueBox_->hide();
  EditBox_->setEnabled(true);
  if (defaultLocus_ >= 1 && defaultLocus_ <= editor_.LociCount()) {
    // The prompt item keeps the locus's present default.
    const uint8_t value = chosenValue(DefaultValues_, editor_.Locus(defaultLocus_).DefaultRepeat);
    editor_.SetDefaultRepeat(defaultLocus_, value);
  }
  refillGrids();
}

void TY_EditorForm::CheckDataButtonClick() {
  if (const auto problem = editor_.CheckData()) selectProblem(*problem);
}

void TY_EditorForm::SaveButtonClick() {
  // The check runs inside the save; run it here first only to select the faulty row or column.
  if (const auto problem = editor_.CheckData()) {
    selectProblem(*problem);
    return;
  }
  editor_.SaveWithDialog();
}

void TY_EditorForm::UndoButtonClick() {
  editor_.Undo();
  refillGrids();
}

void TY_EditorForm::SwitchButtonClick() {
  for (QWidget* w : std::initializer_list<QWidget*>{WeightGrid_, CharactersGrid_, EditGrid_,
                                                     FurtherInformationGrid_, ScrollHoriz_,
                                                     locusLabels_[0], locusLabels_[1]})
    w->setVisible(w->isHidden());
  (EditGrid_->isHidden() ? FurtherInformationGrid_ : EditGrid_)->setFocus();
}

void TY_EditorForm::ExitButtonClick() {
  if (!editor_.ConfirmExit()) return;
  exitConfirmed_ = true;
  close();
}

void TY_EditorForm::closeEvent(QCloseEvent* event) {
  // Closing by the title bar asks like Exit, so unsaved work is not lost without a word.
  if (!exitConfirmed_ && !EditBox_->isHidden() && !editor_.ConfirmExit()) {
    event->ignore();
    return;
  }
  exitConfirmed_ = true;
  event->accept();
}

bool TY_EditorForm::repeatGridKey(QKeyEvent* key) {
  const QString text = key->text();
  if (text.size() != 1 || !text[0].isPrint() ||
      (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
    if (key->key() == Qt::Key_Tab) editor_.StartNewEntry();
    return false;  // moving keys work as usual
  }
  if (CurrentTaxon() == 0 || CurrentLocus() == 0) return true;
  editor_.TypeRepeat(CurrentTaxon(), CurrentLocus(), text[0].toLatin1());
  refreshCells();
  return true;
}

bool TY_EditorForm::informationGridKey(QKeyEvent* key) {
  const QModelIndex index = FurtherInformationGrid_->currentIndex();
  if (!index.isValid()) return false;
  const int field = index.column() + 1;
  const int taxon = index.row() + 1;
  const std::string& text = editor_.Taxon(taxon).Info[static_cast<std::size_t>(field - 1)];
  if (key->key() == Qt::Key_Delete && key->modifiers() == Qt::NoModifier) {
    if (text.empty()) return true;
    editor_.SetInfo(field, taxon, "");
  } else if (key->matches(QKeySequence::Copy)) {
    editor_.CopyInfo(field, taxon);
    return true;
  } else if (key->matches(QKeySequence::Paste)) {
    if (!editor_.PasteInfo(field, taxon)) return true;
  } else {
    return false;
  }
  refreshCells();
  return true;
}

bool TY_EditorForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (watched == EditGrid_) return repeatGridKey(key);
    if (watched == FurtherInformationGrid_) return informationGridKey(key);
  } else if (event->type() == QEvent::MouseButtonPress && watched == EditGrid_->viewport()) {
    editor_.StartNewEntry();
  }
  return QWidget::eventFilter(watched, event);
}

QWidget* CreateStrEditor(const std::string& dataType) {
  auto form = std::make_unique<TY_EditorForm>(dataType, EditorCreateMode);
  if (!EditorCreateMode && !form->OpenStep()) return nullptr;
  return form.release();
}
