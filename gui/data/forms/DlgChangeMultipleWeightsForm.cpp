#include "DlgChangeMultipleWeightsForm.h"

#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TDlgListSelection::TDlgListSelection(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("DlgListSelection"));
  setWindowTitle(QStringLiteral("Multiple characters weighting"));
  setModal(true);

  cmbStartList_ = new QComboBox(this);
  cmbStartList_->setObjectName(QStringLiteral("cmbStartList"));
  CmbEndList_ = new QComboBox(this);
  CmbEndList_->setObjectName(QStringLiteral("CmbEndList"));
  EdtWeight_ = new QLineEdit(this);
  EdtWeight_->setObjectName(QStringLiteral("EdtWeight"));
  auto* weightLabel = new QLabel(QStringLiteral("New weight"), this);
  weightLabel->setObjectName(QStringLiteral("LblWeight"));
  weightLabel->installEventFilter(this);
  weightLabel_ = weightLabel;

  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Start character"), cmbStartList_);
  form->addRow(QStringLiteral("End character"), CmbEndList_);
  form->addRow(weightLabel, EdtWeight_);

  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("BtnOK"));
  ok->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
  cancel->setObjectName(QStringLiteral("BtnCancel"));
  connect(ok, &QPushButton::clicked, this, &TDlgListSelection::BtnOKClick);
  connect(cancel, &QPushButton::clicked, this, &TDlgListSelection::BtnCancelClick);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(buttons);
}

void TDlgListSelection::SetNames(const std::vector<std::string>& names) {
  state_.SetNames(names);
  for (QComboBox* box : {cmbStartList_, CmbEndList_}) {
    box->clear();
    for (const std::string& name : names) box->addItem(QString::fromStdString(name));
    box->setCurrentIndex(names.empty() ? -1 : 0);
  }
}

void TDlgListSelection::SetWeight(int weight) {
  state_.SetWeight(weight);
  EdtWeight_->setText(QString::number(weight));
}

void TDlgListSelection::BtnOKClick() {
  if (state_.Accept(cmbStartList_->currentIndex(), CmbEndList_->currentIndex(),
                    EdtWeight_->text().toStdString()))
    accept();
}

void TDlgListSelection::BtnCancelClick() { reject(); }

bool TDlgListSelection::eventFilter(QObject* watched, QEvent* event) {
  if (watched == weightLabel_ && event->type() == QEvent::MouseButtonRelease) {
    BtnCancelClick();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}
