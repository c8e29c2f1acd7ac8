#include "RDF_Editor_GridForm.h"

#include "DlgChangeMultipleWeightsForm.h"
#include "EditorGridParts.h"
#include "FormScaling.h"
#include "Oberflaeche.h"

#include <QApplication>
#include <QCloseEvent>
#include <QPainter>
#include <QStyle>
#include <QColor>
#include <QComboBox>
#include <QCoreApplication>
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
constexpr int CellWidth = 18;
constexpr int NameRowHeight = 64;  // room for an upright name of 8 characters

QString Q(const std::string& s) { return QString::fromStdString(s); }

char StateAt(const Trdf_DataSet& set, int taxon, int character) {
  return set.Taxon(taxon).States[static_cast<std::size_t>(character - 1)];
}

// A cell editor that lets through only what its mask admits, letters in upper case. Deleting and
// moving inside the cell stay free.
class TMaskedLineEdit : public QLineEdit {
public:
  TMaskedLineEdit(TCellMask mask, QWidget* parent) : QLineEdit(parent), mask_(mask) {}

protected:
  void keyPressEvent(QKeyEvent* event) override {
    const QString text = event->text();
    const bool typing = text.size() == 1 && text[0].isPrint() &&
                        !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    if (!typing) return QLineEdit::keyPressEvent(event);
    const char c = mask_.Typed(text[0].toLatin1());
    const auto remaining = static_cast<std::size_t>(this->text().size() - selectedText().size());
    if (c != '\0' && remaining < mask_.maxLength) insert(QString(QChar::fromLatin1(c)));
    event->accept();
  }

private:
  TCellMask mask_;
};

}  // namespace

// The rdf editor's data set as the grids see it: characters are the columns, states the body.
class TRdfGridSource final : public TEditorGridSource {
public:
  explicit TRdfGridSource(TRdfEditor& editor) : editor_(editor) {}
  int TaxaCount() const override { return set().TaxaCount(); }
  int ColumnCount() const override { return set().CharacterCount(); }
  QString Body(int taxon, int character) const override {
    return QString(QChar::fromLatin1(StateAt(set(), taxon, character)));
  }
  QVariant BodyBackground(int taxon, int character) const override {
    return QColor(editor_.IsAmbiguous(StateAt(set(), taxon, character)) ? Qt::red : Qt::yellow);
  }
  std::string TaxonName(int taxon) const override { return set().Taxon(taxon).Name; }
  int Frequency(int taxon) const override { return set().Taxon(taxon).Frequency; }
  std::string Info(int taxon, int field) const override {
    return set().Taxon(taxon).Info[static_cast<std::size_t>(field - 1)];
  }
  std::string ColumnName(int character) const override { return set().Character(character).Name; }
  int Weight(int character) const override { return set().Character(character).Weight; }
  bool RenameTaxon(int taxon, const std::string& text) override {
    return editor_.RenameTaxon(taxon, text);
  }
  bool SetFrequencyText(int taxon, const std::string& text) override {
    return editor_.SetFrequencyText(taxon, text);
  }
  bool SetInfo(int field, int taxon, const std::string& text) override {
    return editor_.SetInfo(field, taxon, text);
  }
  bool RenameColumn(int character, const std::string& text) override {
    return editor_.RenameCharacter(character, text);
  }
  bool SetWeightText(int character, const std::string& text) override {
    return editor_.SetWeightText(character, text);
  }
  TCellMask TaxonNameMask() const override { return rdf_editor_masks::TaxonName; }
  TCellMask FrequencyMask() const override { return rdf_editor_masks::Frequency; }
  TCellMask InformationMask() const override { return rdf_editor_masks::Information; }
  TCellMask ColumnNameMask() const override { return rdf_editor_masks::CharacterName; }
  TCellMask WeightMask() const override { return rdf_editor_masks::Weight; }

private:
  const Trdf_DataSet& set() const { return editor_.DataSet(); }
  TRdfEditor& editor_;
};

// ---------------------------------------------------------------------------------------------
// TRdfCellDelegate

TRdfCellDelegate::TRdfCellDelegate(TCellMask mask, bool taxonSide, QObject* parent,
                                   bool uprightText)
    : QStyledItemDelegate(parent), mask_(mask), taxonSide_(taxonSide), upright_(uprightText) {}

void TRdfCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
  if (!upright_) return QStyledItemDelegate::paint(painter, option, index);
  QStyleOptionViewItem opt(option);
  initStyleOption(&opt, index);
  const QString text = opt.text;
  opt.text.clear();
  QStyle* style = opt.widget != nullptr ? opt.widget->style() : QApplication::style();
  style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);
  painter->save();
  painter->translate(opt.rect.bottomLeft());
  painter->rotate(-90);
  painter->drawText(QRect(2, 0, opt.rect.height() - 4, opt.rect.width()),
                    Qt::AlignLeft | Qt::AlignVCenter, text);
  painter->restore();
}

QWidget* TRdfCellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                        const QModelIndex&) const {
  auto* editor = new TMaskedLineEdit(mask_, parent);
  editor->setFrame(false);
  return editor;
}

bool TRdfCellDelegate::eventFilter(QObject* object, QEvent* event) {
  auto* editor = qobject_cast<QWidget*>(object);
  if (editor != nullptr && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    const int k = key->key();
    const bool leaves = key->modifiers() == Qt::NoModifier &&
                        (taxonSide_ ? (k == Qt::Key_Up || k == Qt::Key_Down ||
                                       k == Qt::Key_PageUp || k == Qt::Key_PageDown)
                                    : (k == Qt::Key_Left || k == Qt::Key_Right));
    if (leaves) {
      emit commitData(editor);
      emit closeEditor(editor, QAbstractItemDelegate::NoHint);
      // The view then moves as the key says.
      if (QWidget* viewport = editor->parentWidget()) {
        if (QWidget* view = viewport->parentWidget()) {
          QKeyEvent move(QEvent::KeyPress, k, Qt::NoModifier);
          QCoreApplication::sendEvent(view, &move);
        }
      }
      return true;
    }
  }
  return QStyledItemDelegate::eventFilter(object, event);
}

// ---------------------------------------------------------------------------------------------
// TRDFEditorForm

TRDFEditorForm::TRDFEditorForm(const std::string& dataType, bool createMode, QWidget* parent,
                               QSize screenSize)
    : QWidget(parent), editor_(dataType) {
  setObjectName(QStringLiteral("RDFEditorForm"));
  setWindowTitle(QStringLiteral("RDF-Editor"));
  const QSize screen = ScreenSizeOr(screenSize);
  ScaleForm(*this, DesignClientWidth, DesignClientHeight,
            ComputeScreenScaling(screen.width(), screen.height()));

  auto* layout = new QVBoxLayout(this);

  CreationBox_ = new QGroupBox(QStringLiteral("Data set creation"), this);
  CreationBox_->setObjectName(QStringLiteral("CreationBox"));
  auto* creation = new QHBoxLayout(CreationBox_);
  const auto spin = [this, creation](const char* name, const char* label, int lo, int hi,
                                     int step) {
    auto* s = new QSpinBox(CreationBox_);
    s->setObjectName(QLatin1String(name));
    s->setRange(lo, hi);
    s->setSingleStep(step);
    creation->addWidget(new QLabel(QLatin1String(label), CreationBox_));
    creation->addWidget(s);
    return s;
  };
  NumberSequencesSpin_ = spin("NumberSequencesSpin", "Number of sequences", 3, 3000, 1);
  NumberCharactersSpin_ = spin("NumberCharactersSpin", "Number of characters", 1, 1000, 10);
  DefaultWeightSpin_ = spin("DefaultWeightSpin", "Default weight", 0, rdf_limits::MaxWeight, 1);
  auto* create = new QPushButton(QStringLiteral("Create"), CreationBox_);
  create->setObjectName(QStringLiteral("CreateButton"));
  connect(create, &QPushButton::clicked, this, &TRDFEditorForm::CreateButtonClick);
  creation->addWidget(create);
  layout->addWidget(CreationBox_);

  buildStateBoxes();
  layout->addWidget(DefaultCharacterStateBox_);
  layout->addWidget(DefaultCharacterBox_);

  EditBox_ = new QGroupBox(QStringLiteral("Data editor"), this);
  EditBox_->setObjectName(QStringLiteral("EditBox"));
  auto* editLayout = new QVBoxLayout(EditBox_);
  auto* hint = new QLabel(QStringLiteral("Press right mouse key to get additional functionality"),
                          EditBox_);
  editLayout->addWidget(hint);
  auto* gridHost = new QWidget(EditBox_);
  buildGrids(gridHost);
  editLayout->addWidget(gridHost, 1);
  auto* buttonHost = new QWidget(EditBox_);
  buildButtons(buttonHost);
  editLayout->addWidget(buttonHost);
  layout->addWidget(EditBox_, 1);

  // Activation: the spins' start values; the creation box only in create mode.
  NumberSequencesSpin_->setValue(10);
  NumberCharactersSpin_->setValue(10);
  DefaultWeightSpin_->setValue(rdf_limits::DefaultWeight);
  CreationBox_->setVisible(createMode);
  EditBox_->hide();
  refillGrids();
}

// The grids' models read the editor: they go first, while it still exists.
TRDFEditorForm::~TRDFEditorForm() { delete EditBox_; }

void TRDFEditorForm::buildStateBoxes() {
  const auto fill = [this](QComboBox* box) {
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    for (const std::string& entry : editor_.StateList()) box->addItem(Q(entry));
  };
  DefaultCharacterStateBox_ = new QGroupBox(QStringLiteral("Character state specification"), this);
  DefaultCharacterStateBox_->setObjectName(QStringLiteral("DefaultCharacterStateBox"));
  auto* l1 = new QHBoxLayout(DefaultCharacterStateBox_);
  CharacterStates_ = new QComboBox(DefaultCharacterStateBox_);
  CharacterStates_->setObjectName(QStringLiteral("CharacterStates"));
  fill(CharacterStates_);
  auto* ok = new QPushButton(QStringLiteral("OK"), DefaultCharacterStateBox_);
  ok->setObjectName(QStringLiteral("OKButton"));
  connect(ok, &QPushButton::clicked, this, &TRDFEditorForm::OKButtonClick);
  l1->addWidget(CharacterStates_, 1);
  l1->addWidget(ok);
  DefaultCharacterStateBox_->hide();

  DefaultCharacterBox_ =
      new QGroupBox(QStringLiteral("Specification of default character states"), this);
  DefaultCharacterBox_->setObjectName(QStringLiteral("DefaultCharacterBox"));
  auto* l2 = new QHBoxLayout(DefaultCharacterBox_);
  CharacterNameEdit_ = new QLineEdit(DefaultCharacterBox_);
  CharacterNameEdit_->setObjectName(QStringLiteral("CharacterNameEdit"));
  CharacterNameEdit_->setReadOnly(true);
  CharacterStateBox_ = new QComboBox(DefaultCharacterBox_);
  CharacterStateBox_->setObjectName(QStringLiteral("CharacterStateBox"));
  fill(CharacterStateBox_);
  auto* cont = new QPushButton(QStringLiteral("Continue"), DefaultCharacterBox_);
  cont->setObjectName(QStringLiteral("ContinueButton"));
  connect(cont, &QPushButton::clicked, this, &TRDFEditorForm::ContinueButtonClick);
  l2->addWidget(CharacterNameEdit_);
  l2->addWidget(CharacterStateBox_, 1);
  l2->addWidget(cont);
  DefaultCharacterBox_->hide();
}

void TRDFEditorForm::buildGrids(QWidget* parent) {
  using Kind = TEditorGridModel::Kind;
  gridSource_ = std::make_unique<TRdfGridSource>(editor_);
  grids_ = new TEditorGrids(*gridSource_, {"Sequence", "Character"}, CellWidth, this);
  const auto grid = [this, parent](const char* name, Kind kind) {
    return grids_->Make(name, kind, parent, [this] { refreshCells(); });
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
  // Every taxon-side grid shows its header row, so their rows stand level.
  for (QTableView* g : {SequencesGrid_, FrequencyGrid_, FurtherInformationGrid_})
    g->horizontalHeader()->setStretchLastSection(true);
  FurtherInformationGrid_->hide();
  SequencesGrid_->setFixedWidth(150);
  FrequencyGrid_->setFixedWidth(80);
  EditGrid_->setContextMenuPolicy(Qt::CustomContextMenu);
  SequencesGrid_->setContextMenuPolicy(Qt::CustomContextMenu);
  CharactersGrid_->setContextMenuPolicy(Qt::CustomContextMenu);

  ScrollVert_ = new QScrollBar(Qt::Vertical, parent);
  ScrollVert_->setObjectName(QStringLiteral("ScrollVert"));
  ScrollHoriz_ = new QScrollBar(Qt::Horizontal, parent);
  ScrollHoriz_->setObjectName(QStringLiteral("ScrollHoriz"));
  CoupleScrollBar(ScrollVert_, EditGrid_,
                  {EditGrid_, SequencesGrid_, FrequencyGrid_, FurtherInformationGrid_}, true);
  CoupleScrollBar(ScrollHoriz_, EditGrid_, {EditGrid_, CharactersGrid_, WeightGrid_}, false);

  // Captions of the character-side grids' single rows, beside them.
  auto* characterLabel = new QLabel(QStringLiteral("Character"), parent);
  auto* weightLabel = new QLabel(QStringLiteral("Weight"), parent);
  characterLabel->setAlignment(Qt::AlignRight | Qt::AlignBottom);
  weightLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  characterLabels_ = {characterLabel, weightLabel};

  auto* g = new QGridLayout(parent);
  g->setSpacing(0);
  g->addWidget(characterLabel, 0, 0, 1, 2);
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

  // Popup menus.
  QMenu* states = MakeGridPopup("StatePopup", EditGrid_, this);
  for (const std::string& entry : editor_.StateList()) {
    QAction* a = states->addAction(Q(entry));
    const char state = entry[0];
    connect(a, &QAction::triggered, this, [this, state] {
      if (CurrentTaxon() == 0 || CurrentCharacter() == 0) return;
      editor_.SetState(CurrentTaxon(), CurrentCharacter(), state);
      refillGrids();
    });
  }
  QMenu* sequences = MakeGridPopup("SequencePopup", SequencesGrid_, this);
  const auto item = [this](QMenu* menu, const char* name, const char* caption,
                           void (TRDFEditorForm::*slot)()) {
    QAction* a = menu->addAction(QLatin1String(caption));
    a->setObjectName(QLatin1String(name));
    connect(a, &QAction::triggered, this, slot);
  };
  item(sequences, "InsertSequence1", "&Insert sequence", &TRDFEditorForm::InsertSequenceClick);
  item(sequences, "AddFinalSequence1", "&Add final sequence",
       &TRDFEditorForm::AddFinalSequenceClick);
  item(sequences, "DuplicateSequence1", "D&uplicate sequence",
       &TRDFEditorForm::DuplicateSequenceClick);
  item(sequences, "DeleteSequence1", "&Delete sequence", &TRDFEditorForm::DeleteSequenceClick);
  QMenu* characters = MakeGridPopup("CharacterPopup", CharactersGrid_, this);
  item(characters, "InsertCharacter1", "&Insert character", &TRDFEditorForm::InsertCharacterClick);
  item(characters, "AddFinalCharacter1", "&Add final character",
       &TRDFEditorForm::AddFinalCharacterClick);
  item(characters, "DuplicateCharacter1", "D&uplicate character",
       &TRDFEditorForm::DuplicateCharacterClick);
  item(characters, "DeleteCharacter1", "&Delete character", &TRDFEditorForm::DeleteCharacterClick);
  item(characters, "SetDefaultCharacterState1", "&Set default character state",
       &TRDFEditorForm::SetDefaultCharacterStateClick);
}

void TRDFEditorForm::buildButtons(QWidget* parent) {
  auto* g = new QGridLayout(parent);
  int n = 0;
  const auto button = [this, parent, g, &n](const char* name, const char* caption,
                                            void (TRDFEditorForm::*slot)()) {
    auto* b = new QPushButton(QLatin1String(caption), parent);
    b->setObjectName(QLatin1String(name));
    connect(b, &QPushButton::clicked, this, slot);
    g->addWidget(b, n / 8, n % 8);
    ++n;
    return b;
  };
  button("InsertSequenceButton", "Insert sequence", &TRDFEditorForm::InsertSequenceClick);
  button("AddFinalSequenceButton", "Add final sequence", &TRDFEditorForm::AddFinalSequenceClick);
  button("DuplicateSequenceButton", "Duplicate sequence", &TRDFEditorForm::DuplicateSequenceClick);
  button("DeleteSequenceButton", "Delete Sequence", &TRDFEditorForm::DeleteSequenceClick);
  button("InsertCharacterButton", "Insert character", &TRDFEditorForm::InsertCharacterClick);
  button("AddFinalCharacterButton", "Add final character", &TRDFEditorForm::AddFinalCharacterClick);
  button("DuplicateCharacterButton", "Duplicate character",
         &TRDFEditorForm::DuplicateCharacterClick);
  button("DeleteCharacterButton", "Delete character", &TRDFEditorForm::DeleteCharacterClick);
  button("CheckDataButton", "Check data", &TRDFEditorForm::CheckDataClick)->hide();
  button("SaveButton", "Save", &TRDFEditorForm::SaveClick);
  button("ExitButton", "Exit", &TRDFEditorForm::ExitClick);
  UndoButton_ = button("UndoButton", "Undo", &TRDFEditorForm::UndoClick);
  UndoButton_->setEnabled(false);
  button("ReplaceAmbiguousButton", "Replace ambiguous states",
         &TRDFEditorForm::ReplaceAmbiguousClick)
      ->setVisible(!editor_.IsAmino());
  button("BinarizationButton", "Binarization", &TRDFEditorForm::BinarizationClick)
      ->setVisible(editor_.DataTypeWord() == "multistate");
  button("ChangeMultipleWeightsButton", "Change multiple weights",
         &TRDFEditorForm::ChangeMultipleWeightsClick);
  button("SwitchInputWindowButton", "Switch input window",
         &TRDFEditorForm::SwitchInputWindowClick);
}

bool TRDFEditorForm::OpenStep() {
  if (!editor_.OpenWithDialog()) return false;
  showEditBox();
  return true;
}

void TRDFEditorForm::showEditBox() {
  CreationBox_->hide();
  EditBox_->show();
  refillGrids();
}

void TRDFEditorForm::refreshCells() {
  grids_->RefreshAll();
  UndoButton_->setEnabled(editor_.CanUndo());
}

void TRDFEditorForm::refillGrids() {
  const int taxon = CurrentTaxon();
  const int character = CurrentCharacter();
  grids_->RefillAll();
  UndoButton_->setEnabled(editor_.CanUndo());
  const Trdf_DataSet& set = editor_.DataSet();
  SelectCell(std::min(std::max(taxon, 1), set.TaxaCount()),
             std::min(std::max(character, 1), set.CharacterCount()));
}

int TRDFEditorForm::CurrentTaxon() const {
  const QModelIndex i = EditGrid_->currentIndex();
  return i.isValid() ? i.row() + 1 : 0;
}

int TRDFEditorForm::CurrentCharacter() const {
  const QModelIndex i = EditGrid_->currentIndex();
  return i.isValid() ? i.column() + 1 : 0;
}

void TRDFEditorForm::SelectCell(int taxon, int character) {
  if (taxon < 1 || character < 1) return;
  const QModelIndex index = EditGrid_->model()->index(taxon - 1, character - 1);
  if (!index.isValid()) return;
  EditGrid_->setCurrentIndex(index);
}

void TRDFEditorForm::CreateButtonClick() {
  if (!editor_.CreateDataSet(NumberSequencesSpin_->value(), NumberCharactersSpin_->value(),
                             DefaultWeightSpin_->value()))
    return;
  showEditBox();
}

void TRDFEditorForm::InsertSequenceClick() {
  const int at = editor_.AddTaxon(TRdfInsertKind::Insert, std::max(CurrentTaxon(), 1));
  refillGrids();
  if (at > 0) SelectCell(at, std::max(CurrentCharacter(), 1));
}

void TRDFEditorForm::AddFinalSequenceClick() {
  const int at = editor_.AddTaxon(TRdfInsertKind::AddFinal, 0);
  refillGrids();
  if (at > 0) {
    SelectCell(at, std::max(CurrentCharacter(), 1));
    SequencesGrid_->setFocus();
  }
}

void TRDFEditorForm::DuplicateSequenceClick() {
  if (CurrentTaxon() == 0) return;
  editor_.AddTaxon(TRdfInsertKind::Duplicate, CurrentTaxon());
  refillGrids();
}

void TRDFEditorForm::DeleteSequenceClick() {
  if (CurrentTaxon() == 0) return;
  editor_.DeleteTaxon(CurrentTaxon());
  refillGrids();
}

void TRDFEditorForm::beginCharacterInsert(TRdfInsertKind kind, int position) {
  if (!editor_.CanAddCharacter(kind)) return;
  pendingCharacter_ = position;
  EditBox_->setEnabled(false);
  DefaultCharacterStateBox_->show();
}

void TRDFEditorForm::InsertCharacterClick() {
  beginCharacterInsert(TRdfInsertKind::Insert, std::max(CurrentCharacter(), 1));
}

void TRDFEditorForm::AddFinalCharacterClick() {
  beginCharacterInsert(TRdfInsertKind::AddFinal, editor_.DataSet().CharacterCount() + 1);
}

char TRDFEditorForm::chosenState(QComboBox* box) const {
  int entry = box->findText(box->currentText());
  if (entry < 0) entry = StateEntryForText(editor_.StateList(), box->currentText().toStdString());
  box->setCurrentIndex(entry);
  return editor_.StateList()[static_cast<std::size_t>(entry)][0];
}

void TRDFEditorForm::OKButtonClick() {
  const char state = chosenState(CharacterStates_);
  const bool ok = editor_.InsertCharacter(pendingCharacter_, state, DefaultWeightSpin_->value());
  DefaultCharacterStateBox_->hide();
  EditBox_->setEnabled(true);
  refillGrids();
  if (ok) SelectCell(std::max(CurrentTaxon(), 1), pendingCharacter_);
}

void TRDFEditorForm::DuplicateCharacterClick() {
  if (CurrentCharacter() == 0) return;
  editor_.DuplicateCharacter(CurrentCharacter());
  refillGrids();
}

void TRDFEditorForm::DeleteCharacterClick() {
  if (CurrentCharacter() == 0) return;
  editor_.DeleteCharacter(CurrentCharacter());
  refillGrids();
}

void TRDFEditorForm::SetDefaultCharacterStateClick() {
  defaultCharacter_ = CurrentCharacter();
  if (defaultCharacter_ == 0) return;
  CharacterNameEdit_->setText(Q(editor_.DataSet().Character(defaultCharacter_).Name));
  // Held back like the insertion, so the character cannot move away before Continue.
  EditBox_->setEnabled(false);
  DefaultCharacterBox_->show();
}

void TRDFEditorForm::ContinueButtonClick() {
  const char state = chosenState(CharacterStateBox_);
  if (defaultCharacter_ >= 1 && defaultCharacter_ <= editor_.DataSet().CharacterCount())
    editor_.SetDefaultState(defaultCharacter_, state);
  DefaultCharacterBox_->hide();
  EditBox_->setEnabled(true);
  refillGrids();
}

void TRDFEditorForm::CheckDataClick() {
  if (const auto problem = editor_.CheckData()) {
    SelectCell(problem->taxon > 0 ? problem->taxon : std::max(CurrentTaxon(), 1),
               problem->character > 0 ? problem->character : std::max(CurrentCharacter(), 1));
  }
}

void TRDFEditorForm::SaveClick() {
  // The check runs inside the save; repeat it here only to select the faulty row or column.
  if (const auto problem = editor_.CheckData()) {
    SelectCell(problem->taxon > 0 ? problem->taxon : std::max(CurrentTaxon(), 1),
               problem->character > 0 ? problem->character : std::max(CurrentCharacter(), 1));
    return;
  }
  editor_.SaveWithDialog();
}

void TRDFEditorForm::ExitClick() {
  if (!editor_.ConfirmExit()) return;
  exitConfirmed_ = true;
  close();
}

void TRDFEditorForm::closeEvent(QCloseEvent* event) {
  // Closing by the title bar asks like Exit, so unsaved work is not lost without a word.
  if (!exitConfirmed_ && !EditBox_->isHidden() && !editor_.ConfirmExit()) {
    event->ignore();
    return;
  }
  exitConfirmed_ = true;
  event->accept();
}

void TRDFEditorForm::UndoClick() {
  editor_.Undo();
  refillGrids();
}

void TRDFEditorForm::ReplaceAmbiguousClick() {
  if (editor_.ReplaceAmbiguousStates()) refillGrids();
}

void TRDFEditorForm::BinarizationClick() {
  editor_.Binarize();
  refillGrids();
}

void TRDFEditorForm::ChangeMultipleWeightsClick() {
  const Trdf_DataSet& set = editor_.DataSet();
  if (set.CharacterCount() == 0) return;
  std::vector<std::string> names;
  for (const Trdf_Character& c : set.Characters) names.push_back(c.Name);
  TDlgListSelection dialog(this);
  dialog.SetNames(names);
  dialog.SetWeight(set.Character(1).Weight);
  if (dialog.exec() != QDialog::Accepted) return;
  editor_.SetWeights(dialog.GetStart(), dialog.GetEnd(), dialog.GetWeight());
  refillGrids();
}

void TRDFEditorForm::SwitchInputWindowClick() {
  for (QWidget* w : std::initializer_list<QWidget*>{WeightGrid_, CharactersGrid_, EditGrid_,
                                                     FrequencyGrid_, FurtherInformationGrid_,
                                                     ScrollHoriz_, characterLabels_[0],
                                                     characterLabels_[1]})
    w->setVisible(w->isHidden());
}

bool TRDFEditorForm::stateGridKey(QKeyEvent* key) {
  const int k = key->key();
  if (k == Qt::Key_Return || k == Qt::Key_Enter) {
    if (CurrentCharacter() > 0 && CurrentCharacter() < editor_.DataSet().CharacterCount())
      SelectCell(CurrentTaxon(), CurrentCharacter() + 1);
    return true;
  }
  const QString text = key->text();
  if (k == Qt::Key_Tab || text.size() != 1 || !text[0].isPrint() ||
      (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
    return false;
  const char c = text[0].toLatin1();
  if (c == '\0' || CurrentTaxon() == 0 || CurrentCharacter() == 0) return true;
  editor_.TypeState(CurrentTaxon(), CurrentCharacter(), c);
  refillGrids();
  return true;
}

bool TRDFEditorForm::informationGridKey(QKeyEvent* key) {
  const QModelIndex index = FurtherInformationGrid_->currentIndex();
  // Keys reach the grid itself only while no cell editor is open.
  if (!index.isValid()) return false;
  const int field = index.column() + 1;
  const int taxon = index.row() + 1;
  if (key->key() == Qt::Key_Delete && key->modifiers() == Qt::NoModifier) {
    editor_.SetInfo(field, taxon, "");
  } else if (key->matches(QKeySequence::Copy)) {
    editor_.CopyInfo(field, taxon);
    return true;
  } else if (key->matches(QKeySequence::Paste)) {
    editor_.PasteInfo(field, taxon);
  } else {
    return false;
  }
  refillGrids();
  return true;
}

bool TRDFEditorForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (watched == EditGrid_) return stateGridKey(key);
    if (watched == FurtherInformationGrid_) return informationGridKey(key);
  }
  return QWidget::eventFilter(watched, event);
}

QWidget* CreateRdfEditor(const std::string& dataType) {
  auto form = std::make_unique<TRDFEditorForm>(dataType, EditorCreateMode);
  if (!EditorCreateMode && !form->OpenStep()) return nullptr;
  return form.release();
}
