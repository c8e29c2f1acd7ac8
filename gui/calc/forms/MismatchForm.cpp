#include "MismatchForm.h"

#include "Dialogs.h"
#include "MenuItems.h"
#include "FormScaling.h"
#include "Graphik_WindowLogic.h"
#include "Network_Diagramm.h"
#include "Oberflaeche.h"
#include "QtCanvas.h"
#include "UHelp.h"

#include <QCloseEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kCaptureExtraHeight = 40;  // the mean below the chart belongs to the picture

// The chart surface: shows the chart image as it is.
class TChartImage final : public QWidget {
public:
  TChartImage(const QImage& image, QWidget* parent) : QWidget(parent), image_(image) {}

protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.drawImage(0, 0, image_);
  }

private:
  const QImage& image_;
};

std::string Fixed(double value, int width, int decimals) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%*.*f", width, decimals, value);
  return buffer;
}

void TextOnWhite(TCanvas& canvas, int x, int y, const std::string& text) {
  const TTextSize size = canvas.TextExtent(text);
  canvas.SetPen({clWhite, 1, psSolid});
  canvas.SetBrush({clWhite, bsSolid});
  canvas.Rectangle(x, y, x + size.Width, y + size.Height);
  canvas.TextOut(x, y, text);
}

}  // namespace

void DrawMismatchChart(TCanvas& canvas, int W, int H, const TMismatchHistogram& histogram) {
  canvas.SetPen({clWhite, 1, psSolid});
  canvas.SetBrush({clWhite, bsSolid});
  canvas.Rectangle(0, 0, W, H);
  // Without a pair the y axis has no scale: the chart stays empty.
  const double total = static_cast<double>(histogram.Total());
  if (histogram.MaxCount <= 0 || total <= 0) return;
  const int maxK = histogram.MaxK;
  const auto count = [&histogram](int k) { return static_cast<double>(histogram.Counts[static_cast<std::size_t>(k)]); };

  canvas.SetPen({clBlack, 2, psSolid});
  canvas.Line(70, 60, 70, H - 60);
  canvas.Line(70, H - 60, W - 170, H - 60);

  // Very many classes would round the step to nothing and stack every bar on the first.
  const int step = std::max(1, RoundEven(static_cast<double>(W - 240) / (maxK + 1)));
  const int x0 = RoundEven(step * 0.5 + 70);
  canvas.SetPen({clBlack, 1, psSolid});
  canvas.SetFont(TFont{"Arial", 8, 0, clBlack});
  for (int k = 0; k <= maxK; ++k) {
    const int x = k * step + x0;
    const std::string label = std::to_string(k);
    canvas.Line(x, H - 55, x, H - 60);
    canvas.TextOut(x - 5 * static_cast<int>(label.size()) + 2, H - 45, label);
  }
  canvas.TextOut(W - 150, H - 60, "Pairwise");
  canvas.TextOut(W - 150, H - 45, "differences");

  const double h = static_cast<double>(histogram.MaxCount) / 10;
  const double scale = (H - 120) / (static_cast<double>(histogram.MaxCount) + h);
  for (int i = 1; i <= 11; ++i) {
    const int t = RoundEven(i * h * scale);
    canvas.Line(65, H - t - 60, 75, H - t - 60);
    const std::string text = Fixed(i * h / total, 6, 5);
    canvas.TextOut(63 - 8 * static_cast<int>(text.size()), H - t - 63, text);
  }
  canvas.TextOut(1, 10, "Relative frequency");

  for (int k = 0; k <= maxK; ++k) {
    const int left = RoundEven((k - 0.3) * step) + x0;
    const int right = RoundEven((k + 0.3) * step) + x0;
    canvas.SetPen({clBlack, 1, psSolid});
    canvas.SetBrush({clBlack, bsSolid});
    canvas.Rectangle(left, H - 60 - RoundEven(count(k) * scale), right, H - 60);
    TextOnWhite(canvas, left, H - RoundEven(count(k) * scale + 18) - 60,
                std::to_string(histogram.Counts[static_cast<std::size_t>(k)]));
  }
}

TMismatch_Menue::TMismatch_Menue(QWidget* parent)
    : QMainWindow(parent, Qt::Window), caller_(parent) {
  setObjectName(QStringLiteral("Mismatch_Menue"));
  setWindowTitle(QStringLiteral("Mismatch"));
  setAttribute(Qt::WA_DeleteOnClose);
  const QSize screen = ScreenSizeOr({});
  const ScreenScaling scaling = ComputeScreenScaling(screen.width(), screen.height());
  ScaleForm(*this, 1016, 734, scaling);

  const int W = std::max(ChartWidth, 300), H = std::max(ChartHeight, 200);
  chart_ = QImage(W, H, QImage::Format_RGB32);
  chart_.fill(Qt::white);

  QMenuBar* bar = menuBar();
  bar->setObjectName(QStringLiteral("MainMenu1"));
  const auto item = [this](QMenu* menu, const char* name, const char* caption, auto handler) {
    return AddMenuItem(this, menu, name, QString::fromLatin1(caption), handler);
  };
  File1_ = bar->addMenu(QStringLiteral("&File"));
  File1_->setObjectName(QStringLiteral("File1"));
  item(File1_, "Open1", "&Open", &TMismatch_Menue::Open1Click);
  Selection1_ = bar->addMenu(QStringLiteral("&Selection"));
  Selection1_->setObjectName(QStringLiteral("Selection1"));
  item(Selection1_, "Sequences1", "S&equences", &TMismatch_Menue::Sequences1Click);
  item(Selection1_, "Characters1", "&Characters", &TMismatch_Menue::Characters1Click);
  Mismatch1_ = item(nullptr, "Mismatch1", "&Mismatch", &TMismatch_Menue::Mismatch1Click);
  item(nullptr, "Exit1", "E&xit", &TMismatch_Menue::Exit1Click);

  // Fixed positions: the picture the window prints and saves is its client area from the origin.
  auto* central = new QWidget(this);
  central->setObjectName(QStringLiteral("ClientArea"));
  setCentralWidget(central);
  Image1_ = new TChartImage(chart_, central);
  Image1_->setObjectName(QStringLiteral("Image1"));
  Image1_->setGeometry(0, 0, W, H);
  MeanLbl_ = new QLabel(central);
  MeanLbl_->setObjectName(QStringLiteral("MeanLbl"));
  MeanLbl_->setGeometry(70, H + 10, W - 70, 24);

  const int x = W + 10;
  SelectionLabel_ = new QLabel(QStringLiteral("Sequence Selection"), central);
  SelectionLabel_->setObjectName(QStringLiteral("SelectionLabel"));
  SelectionLabel_->setGeometry(x, 10, 200, 20);
  ActiveLabel_ = new QLabel(QStringLiteral("Active"), central);
  ActiveLabel_->setObjectName(QStringLiteral("ActiveLabel"));
  ActiveLabel_->setGeometry(x, 35, 95, 20);
  InactiveLabel_ = new QLabel(QStringLiteral("Inactive"), central);
  InactiveLabel_->setObjectName(QStringLiteral("InactiveLabel"));
  InactiveLabel_->setGeometry(x + 105, 35, 95, 20);
  ActiveListBox_ = new QListWidget(central);
  ActiveListBox_->setObjectName(QStringLiteral("ActiveListBox"));
  ActiveListBox_->setGeometry(x, 60, 95, H - 120);
  InactiveListBox_ = new QListWidget(central);
  InactiveListBox_->setObjectName(QStringLiteral("InactiveListBox"));
  InactiveListBox_->setGeometry(x + 105, 60, 95, H - 120);
  connect(ActiveListBox_, &QListWidget::itemClicked, this,
          [this](QListWidgetItem* i) { ToggleItem(true, ActiveListBox_->row(i)); });
  connect(InactiveListBox_, &QListWidget::itemClicked, this,
          [this](QListWidgetItem* i) { ToggleItem(false, InactiveListBox_->row(i)); });

  const auto button = [&](const char* name, const char* caption, int row, auto handler) {
    auto* b = new QPushButton(QString::fromLatin1(caption), central);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(x, H - 50 + row * 30, 95, 26);
    connect(b, &QPushButton::clicked, this, handler);
    return b;
  };
  NextButton_ = button("NextButton", "Next", 0, &TMismatch_Menue::NextButtonClick);
  PrintButton_ = button("PrintButton", "Print", 1, &TMismatch_Menue::PrintButtonClick);
  SaveButton_ = button("SaveButton", "Save", 2, &TMismatch_Menue::SaveButtonClick);

  for (QWidget* w : std::initializer_list<QWidget*>{SelectionLabel_, ActiveLabel_, InactiveLabel_,
                                                    ActiveListBox_, InactiveListBox_, NextButton_,
                                                    PrintButton_, SaveButton_, MeanLbl_})
    w->hide();
  SetMenusEnabled(false, true, false);
}

TMismatch_Menue::~TMismatch_Menue() = default;

void TMismatch_Menue::SetMenusEnabled(bool selection, bool file, bool mismatch) {
  Selection1_->menuAction()->setEnabled(selection);
  File1_->menuAction()->setEnabled(file);
  Mismatch1_->setEnabled(mismatch);
}

void TMismatch_Menue::Open1Click() {
  data_.reset();
  fileName_.clear();
  histogram_ = {};
  SetMenusEnabled(false, true, false);
  FileDialogRequest request;
  request.title = "Open";
  request.filter = mismatch::OpenFilter;
  request.defaultExt = "rdf";
  const std::optional<std::string> name = dialogs().openFileName(request);
  if (!name || name->empty()) return;

  auto data = std::make_unique<Trdf_DataSet>();
  std::string rdfName;
  if (!LoadMismatchData(*name, *data, rdfName)) {
    close();
    return;
  }
  fileName_ = rdfName;
  data_ = std::move(data);
  const bool any = data_->TaxaCount() > 0;
  SetMenusEnabled(any, true, any);
}

void TMismatch_Menue::Sequences1Click() { ShowSelection(SelectionMode::Taxa); }
void TMismatch_Menue::Characters1Click() { ShowSelection(SelectionMode::Characters); }

void TMismatch_Menue::ShowSelection(SelectionMode mode) {
  if (!data_) return;
  SetMenusEnabled(false, File1_->menuAction()->isEnabled(), false);
  mode_ = mode;
  SelectionLabel_->setText(mode == SelectionMode::Taxa ? QStringLiteral("Sequence Selection")
                                                       : QStringLiteral("Character Selection"));
  FillLists();
  for (QWidget* w : std::initializer_list<QWidget*>{SelectionLabel_, ActiveLabel_, InactiveLabel_,
                                                    ActiveListBox_, InactiveListBox_, NextButton_})
    w->show();
}

void TMismatch_Menue::FillLists() {
  ActiveListBox_->clear();
  InactiveListBox_->clear();
  activeRows_.clear();
  inactiveRows_.clear();
  if (!data_) return;
  const bool taxa = mode_ == SelectionMode::Taxa;
  const int n = taxa ? data_->TaxaCount() : data_->CharacterCount();
  for (int i = 0; i < n; ++i) {
    const auto& name = taxa ? data_->Taxa[static_cast<std::size_t>(i)].Name
                            : data_->Characters[static_cast<std::size_t>(i)].Name;
    const bool active = taxa ? data_->Taxa[static_cast<std::size_t>(i)].Active
                             : data_->Characters[static_cast<std::size_t>(i)].Active;
    (active ? ActiveListBox_ : InactiveListBox_)->addItem(QString::fromStdString(name));
    (active ? activeRows_ : inactiveRows_).push_back(i);
  }
}

void TMismatch_Menue::ToggleItem(bool makeInactive, int row) {
  const std::vector<int>& rows = makeInactive ? activeRows_ : inactiveRows_;
  if (!data_ || row < 0 || row >= static_cast<int>(rows.size())) return;
  const std::size_t i = static_cast<std::size_t>(rows[static_cast<std::size_t>(row)]);
  if (mode_ == SelectionMode::Taxa) data_->Taxa[i].Active = makeInactive ? 0 : 1;
  else data_->Characters[i].Active = makeInactive ? 0 : 1;
  FillLists();
}

void TMismatch_Menue::NextButtonClick() {
  ActiveListBox_->clear();
  InactiveListBox_->clear();
  activeRows_.clear();
  inactiveRows_.clear();
  for (QWidget* w : std::initializer_list<QWidget*>{SelectionLabel_, ActiveLabel_, InactiveLabel_,
                                                    ActiveListBox_, InactiveListBox_, NextButton_,
                                                    PrintButton_, SaveButton_, MeanLbl_})
    w->hide();
  const bool any = data_ && data_->TaxaCount() > 0;
  SetMenusEnabled(any, true, any);
  chart_.fill(Qt::white);
  Image1_->update();
}

void TMismatch_Menue::Mismatch1Click() {
  if (!data_) return;
  for (QWidget* w : std::initializer_list<QWidget*>{NextButton_, PrintButton_, SaveButton_})
    w->show();
  SetMenusEnabled(false, false, false);
  histogram_ = ComputeMismatch(*data_);
  {
    TQtCanvas canvas(chart_);
    DrawMismatchChart(canvas, chart_.width(), chart_.height(), histogram_);
  }
  if (histogram_.Total() > 0) {
    MeanLbl_->setText(QString::fromStdString(MeanCaption(histogram_.Mean())));
    MeanLbl_->show();
  } else {
    MeanLbl_->hide();
  }
  Image1_->update();
}

QImage TMismatch_Menue::Capture() {
  QImage picture(chart_.width(), chart_.height() + kCaptureExtraHeight, QImage::Format_RGB32);
  picture.fill(Qt::white);
  QPainter painter(&picture);
  centralWidget()->render(&painter, QPoint(), QRegion(0, 0, picture.width(), picture.height()));
  return picture;
}

void TMismatch_Menue::PrintButtonClick() {
  printer_.Print([this] { return Capture(); }, "The print job could not be started.");
}

void TMismatch_Menue::SaveButtonClick() {
  const QImage picture = Capture();
  FileDialogRequest request;
  request.title = "Save";
  request.filter = "Bitmap (*.bmp)|*.bmp";
  request.fileName = "noname.bmp";
  request.defaultExt = "bmp";
  std::optional<std::string> name = dialogs().saveFileName(request);
  if (!name || name->empty()) return;
  ForceFileExtension("bmp", *name);
  std::string error;
  if (!WriteBitmap32(picture, *name, &error)) dialogs().showMessage(error, DialogKind::Error);
}

void TMismatch_Menue::Exit1Click() { close(); }

void TMismatch_Menue::closeEvent(QCloseEvent* event) {
  data_.reset();
  if (caller_) caller_->setEnabled(true);
  event->accept();
}
