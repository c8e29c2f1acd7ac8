// The style dialogs driven offscreen, and the drawing window's mouse editing: dragging with undo,
// right clicks opening the style dialog of what was hit (OK applies, Cancel changes nothing),
// double clicks filling the taxon information window, and colour schemes.

#include "DlgLinkStyleForm.h"
#include "DlgMutationPropertiesForm.h"
#include "DlgSchemeColorForm.h"
#include "DlgTaxonNamePropertiesForm.h"
#include "DlgTaxonStyle_newForm.h"
#include "FdiFile.h"
#include "Graphik_ProgrammForm.h"
#include "Graphik_Taxon_infoForm.h"
#include "QtCanvas.h"
#include "ScriptedDialogs.h"
#include "StyleDialogParts.h"
#include "TestPaths.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

namespace {

const QSize kDesignScreen(1024, 768);

template <class T> T* Child(QWidget* w, const QString& name) {
  T* child = w->findChild<T*>(name);
  EXPECT_NE(child, nullptr) << name.toStdString();
  return child;
}

void Click(QWidget* w, const QString& name) { Child<QPushButton>(w, name)->click(); }

TColor PixelAt(const QImage& image, int x, int y) { return TQtCanvas::FromQRgb(image.pixel(x, y)); }

TColor SwatchColour(QWidget* w, const QString& name) {
  const auto* swatch = dynamic_cast<const TColourSwatch*>(Child<QLabel>(w, name));
  return swatch ? swatch->Colour() : -1;
}

}  // namespace

// ---- The dialogs on their own -----------------------------------------------------------------

TEST(LinkStyleDialog, ShowsItsValuesAndReadsTheControlsBack) {
  ScriptedDialogsScope s;
  TLinkStyle values;
  values.SetWidth(2);
  TLinkStyleDlg dialog(values);
  dialog.SetLinkWidth(6);  // refused: the previous width stays
  EXPECT_EQ(dialog.LinkWidth(), 2);
  dialog.SetLinkWidth(3);
  dialog.SetLinkColor(clBlue);
  dialog.SetLinkStyle(psClear);
  dialog.SetApplyAllTorsoLinks(true);
  dialog.show();
  EXPECT_EQ(dialog.windowTitle(), "Define link style");
  EXPECT_EQ(Child<QSpinBox>(&dialog, "SpinLinkWidth")->value(), 3);
  EXPECT_EQ(Child<QComboBox>(&dialog, "ComboLinkStyle")->currentText(), "clear");
  EXPECT_TRUE(Child<QCheckBox>(&dialog, "CheckApplyAllTorsoLinks")->isChecked());
  EXPECT_FALSE(Child<QCheckBox>(&dialog, "CheckApplyAllLinks")->isChecked());
  EXPECT_EQ(SwatchColour(&dialog, "ImgLinkColor"), clBlue);
  // A clear line leaves the preview white.
  const QImage& preview = dialog.Preview()->Image();
  const int mx = preview.width() / 2, my = preview.height() / 2;
  EXPECT_EQ(PixelAt(preview, mx, my), clWhite);

  Child<QComboBox>(&dialog, "ComboLinkStyle")->setCurrentIndex(0);
  Child<QSpinBox>(&dialog, "SpinLinkWidth")->setValue(4);
  Child<QCheckBox>(&dialog, "CheckApplyAllLinks")->click();
  s.dialogs.color(0x00FF00);
  Click(&dialog, "BtnChangeLinkColor");
  EXPECT_EQ(SwatchColour(&dialog, "ImgLinkColor"), 0x00FF00);
  EXPECT_EQ(PixelAt(dialog.Preview()->Image(), mx, my), 0x00FF00);
  // A cancelled colour dialog keeps the colour.
  s.dialogs.color(std::nullopt);
  Click(&dialog, "BtnChangeLinkColor");
  Click(&dialog, "OKBtn");
  EXPECT_EQ(dialog.result(), kModalOk);
  EXPECT_EQ(dialog.LinkStyle(), psSolid);
  EXPECT_EQ(dialog.LinkWidth(), 4);
  EXPECT_EQ(dialog.LinkColor(), 0x00FF00);
  EXPECT_TRUE(dialog.ApplyAllLinks());
  EXPECT_TRUE(dialog.ApplyAllTorsoLinks());
}

TEST(TextStyleDialogs, FontStyleBoxesSizeRuleAndCancel) {
  ScriptedDialogsScope s;
  TTextStyle values;
  TTaxonNamePropertiesDlg names(values);
  EXPECT_EQ(names.windowTitle(), "Define taxon name properties");
  names.SetTextSize(2);
  EXPECT_EQ(s.dialogs.messages(), std::vector<std::string>{"Value of font size is out of range."});
  EXPECT_EQ(names.TextSize(), 6);
  names.SetTextSize(12);
  names.SetTextStyle(fsItalic);
  names.show();
  EXPECT_EQ(Child<QSpinBox>(&names, "SpinTextSize")->value(), 12);
  EXPECT_TRUE(Child<QCheckBox>(&names, "CheckItalic")->isChecked());
  Child<QCheckBox>(&names, "CheckItalic")->click();
  Child<QCheckBox>(&names, "CheckBold")->click();
  Child<QCheckBox>(&names, "CheckUnderline")->click();
  EXPECT_EQ(names.TextStyle(), 5);
  Child<QCheckBox>(&names, "CheckApplyToMedians")->click();
  EXPECT_TRUE(names.ApplyToMedians());
  EXPECT_FALSE(names.ApplyToTaxa());
  Click(&names, "CancelBtn");
  EXPECT_EQ(names.result(), kModalCancel);

  TTextStyle mutationValues;
  TMutationPropertiesDlg mutations(mutationValues);
  EXPECT_EQ(mutations.windowTitle(), "Define text style");
  mutations.show();
  Child<QCheckBox>(&mutations, "CheckApplyToLink")->click();
  Child<QSpinBox>(&mutations, "SpinTextSize")->setValue(9);
  Child<QCheckBox>(&mutations, "CheckStrikeout")->click();
  Click(&mutations, "OKBtn");
  EXPECT_EQ(mutations.result(), kModalOk);
  EXPECT_TRUE(mutations.ApplyToLink());
  EXPECT_FALSE(mutations.ApplyToAllLinks());
  EXPECT_EQ(mutations.TextSize(), 9);
  EXPECT_EQ(mutations.TextStyle(), fsStrikeOut);
}

TEST(PieChartDialog, RowsAreRemovedAddedAndCheckedOnOk) {
  ScriptedDialogsScope s;
  TTaxonStyle values;
  TTaxonStyleDlg_new dialog(values);
  dialog.SetTaxonFrequency(10);
  dialog.SetPieColours({0x0000FF, 0x00FF00, 0xFF0000});
  dialog.SetPieFrequencies({6, 2, 3});
  dialog.SetPiePatterns({bsSolid, bsCross, bsVertical});
  dialog.SetOutlineStyle(psDash);  // no item: nothing selected
  dialog.show();
  EXPECT_EQ(dialog.windowTitle(), "Pie chart definition");
  ASSERT_EQ(dialog.PieRows().size(), 3u);
  EXPECT_EQ(Child<QComboBox>(&dialog, "ComboLineStyle")->currentIndex(), -1);
  EXPECT_EQ(Child<QSpinBox>(&dialog, "FrequencySpin_3")->value(), 3);
  EXPECT_EQ(Child<QComboBox>(&dialog, "PatternCombo_2")->currentText(), "cross");
  EXPECT_EQ(Child<QComboBox>(&dialog, "PatternCombo_3")->currentText(), "vertical");
  EXPECT_EQ(dialog.PieRows()[1].Swatch->Colour(), 0x00FF00);

  // Remove slice 2: the third moves up and its row is hidden.
  Click(&dialog, "RemovePieBtn_2");
  EXPECT_EQ(dialog.SliceCount(), 2);
  EXPECT_EQ(Child<QSpinBox>(&dialog, "FrequencySpin_2")->value(), 3);
  EXPECT_EQ(Child<QComboBox>(&dialog, "PatternCombo_2")->currentText(), "vertical");
  EXPECT_EQ(dialog.PieRows()[1].Swatch->Colour(), 0xFF0000);
  EXPECT_TRUE(Child<QSpinBox>(&dialog, "FrequencySpin_3")->isHidden());

  // Add: the hidden row shows again with what its slice last held.
  Click(&dialog, "AddPieBtn");
  EXPECT_EQ(dialog.SliceCount(), 3);
  EXPECT_FALSE(Child<QSpinBox>(&dialog, "FrequencySpin_3")->isHidden());
  EXPECT_EQ(Child<QSpinBox>(&dialog, "FrequencySpin_3")->value(), 3);
  EXPECT_EQ(dialog.PieRows().size(), 3u);
  // A fourth is new: one black solid individual.
  Click(&dialog, "AddPieBtn");
  ASSERT_EQ(dialog.PieRows().size(), 4u);
  EXPECT_EQ(Child<QSpinBox>(&dialog, "FrequencySpin_4")->value(), 1);
  EXPECT_EQ(Child<QComboBox>(&dialog, "PatternCombo_4")->currentText(), "solid");
  Click(&dialog, "RemovePieBtn_4");
  Click(&dialog, "RemovePieBtn_3");

  s.dialogs.color(0x123456);
  Click(&dialog, "ChangeColourBtn_1");
  EXPECT_EQ(dialog.PieColours()[0], 0x123456);
  EXPECT_EQ(dialog.PieRows()[0].Swatch->Colour(), 0x123456);
  Child<QSpinBox>(&dialog, "FrequencySpin_1")->setValue(6);
  s.dialogs.color(0x00AA00);
  Click(&dialog, "BtnChangeLineColor");
  EXPECT_EQ(dialog.OutlineColor(), 0x00AA00);
  // The preview starts the first slice at 3 o'clock and turns counter-clockwise: just above the
  // right radius lies the first slice, just below it the last.
  const QImage& preview = dialog.Preview()->Image();
  const int px = preview.width() / 2 + preview.width() / 8, py = preview.height() / 2;
  EXPECT_EQ(PixelAt(preview, px, py - 3), 0x123456);
  EXPECT_EQ(PixelAt(preview, px, py + 3), 0xFF0000);
  Child<QComboBox>(&dialog, "PatternCombo_1")->setCurrentIndex(4);  // diagonal cross
  EXPECT_EQ(dialog.PiePatterns()[0], bsDiagCross);

  Click(&dialog, "OKBtn");
  EXPECT_EQ(dialog.result(), kModalOk);
  EXPECT_EQ(s.dialogs.messages().back(),
            "The entered number of individuals (9) does not agree with the real number of "
            "individuals within the node (10). Tarvane will adjust your values to the real number "
            "of individuals.");
  EXPECT_EQ(dialog.PieFrequencies(), (TPieFrequencies{6, 3}));
  EXPECT_EQ(dialog.PieColours(), (TPieColours{0x123456, 0xFF0000}));
}

TEST(PieChartDialog, TheLastSliceCannotBeRemoved) {
  ScriptedDialogsScope s;
  TTaxonStyle values;
  TTaxonStyleDlg_new dialog(values);
  dialog.SetPieColours({clYellow});
  dialog.SetPieFrequencies({1});
  dialog.show();
  Click(&dialog, "RemovePieBtn_1");
  EXPECT_EQ(s.dialogs.messages(),
            std::vector<std::string>{
                "Can not delete last pie. At least one specification must remain."});
  EXPECT_EQ(dialog.SliceCount(), 1);
  EXPECT_FALSE(Child<QSpinBox>(&dialog, "FrequencySpin_1")->isHidden());
}

TEST(SchemeColorsDialog, OneRowPerLabelAndOkReturnsTheColours) {
  ScriptedDialogsScope s;
  TSchemeColorsDlg dialog;
  dialog.SetEditedSchemeColours({clYellow, clYellow});
  dialog.SetEditedSchemeLabels({"North", "South"});
  dialog.show();
  EXPECT_EQ(dialog.windowTitle(), "Color scheme definition");
  ASSERT_EQ(dialog.Rows().size(), 2u);
  EXPECT_EQ(dialog.Rows()[1].SchemeLabel->text(), "Scheme: South");
  EXPECT_EQ(dialog.Rows()[1].ColourLabel->text(), "Colour");
  s.dialogs.color(clBlue);
  Click(&dialog, "ChangeColourBtn_2");
  EXPECT_EQ(dialog.Rows()[1].Swatch->Colour(), clBlue);
  Click(&dialog, "OKBtn");
  EXPECT_EQ(dialog.result(), kModalOk);
  EXPECT_EQ(dialog.EditedSchemeColours(), (TSchemeColours{clYellow, clBlue}));
}

// ---- Mouse editing in the drawing window ---------------------------------------------------------

namespace {

//  A --- B --- D     A (300,250), B (360,250), D (420,250): 2 mutations each
//        |           C (360,340): 3 mutations
//        C           mv1 hangs below D.
TNetwork_Diagramm EditFixture() {
  TNetwork_Diagramm d;
  const struct {
    const char* name;
    double x, y;
    int frequency;
    const char* region;
  } nodes[] = {{"A", 300, 250, 5, "North"}, {"B", 360, 250, 1, "South"},
               {"C", 360, 340, 2, "North"}, {"D", 420, 250, 1, ""},
               {"mv1", 420, 310, 0, ""}};
  for (const auto& n : nodes) {
    TaxonType t;
    t.Name = t.Label = n.name;
    t.X = n.x;
    t.Y = n.y;
    t.Frequency = t.OrigFrequency = n.frequency;
    t.Active = true;
    t.LineWidth = 1;
    t.NameHeight = 6;
    t.Info[0] = {"Ethnic group", ""};
    t.Info[1] = {"Region", n.region};
    t.Info[2] = {"Haplogroup", ""};
    for (int i = 3; i < 6; ++i) t.Info[i] = {"Group" + std::to_string(i - 2), ""};
    Pie p;
    p.PieColor = clYellow;
    p.PieFrequency = n.frequency;
    t.Pies = {p};
    d.Taxa.push_back(t);
  }
  const struct {
    const char* t1;
    const char* t2;
    int mutations;
  } links[] = {{"A", "B", 2}, {"B", "C", 3}, {"B", "D", 2}, {"D", "mv1", 3}};
  for (const auto& l : links) {
    LinkType link;
    link.Taxon1 = l.t1;
    link.Taxon2 = l.t2;
    link.Active = true;
    link.LineWidth = 1;
    link.LineColor = 0x808080;
    for (int m = 0; m < l.mutations; ++m) {
      MutationType mu;
      mu.Character = mu.Name = std::to_string(10 * (m + 1)) + l.t2;
      mu.NameHeight = 6;
      mu.NameColor = clRed;
      link.Mutations.push_back(mu);
    }
    d.Links.push_back(link);
  }
  d.EquivalentTaxa = {{"A", "E"}};
  d.DiagramCenter = {388, 276};
  d.ImageCenter = {388, 276};
  return d;
}

class DrawWindowEditing : public ::testing::Test {
protected:
  void SetUp() override {
    const std::string path = dir.file("edit.fdi");
    TDrawOptions options;
    ASSERT_TRUE(WriteFdiFile(EditFixture(), path, options));
    w = new TGraphik_Menue(nullptr, kDesignScreen);
    w->setAttribute(Qt::WA_DeleteOnClose, false);
    s.dialogs.openFile(path);
    w->findChild<QAction*>("Open21")->trigger();
    ASSERT_NE(w->Diagram(), nullptr);
    ASSERT_EQ(w->Diagram()->NodeCount(), 5);
    image = w->findChild<QWidget*>("Image1");
    ASSERT_TRUE(image->isEnabled());
  }
  void TearDown() override {
    delete w.data();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  // Image position of node n (1-based) as drawn.
  QPoint At(int n) const {
    const TDrawNetwork_Diagramm& d = *w->Diagram();
    return {static_cast<int>(d.Taxa[n - 1].X) + d.ImageOffsetX(),
            static_cast<int>(d.Taxa[n - 1].Y) + d.ImageOffsetY()};
  }
  // Runs the next style dialog through `fill`; records which dialog came.
  void OnDialog(std::function<void(QDialog&)> fill) {
    s.dialogs.onModal([this, fill](QDialog& dialog) {
      shown.push_back(dialog.objectName().toStdString());
      dialog.show();
      fill(dialog);
      return dialog.result();
    });
  }

  testpaths::TempDir dir;
  ScriptedDialogsScope s;
  QPointer<TGraphik_Menue> w;
  QWidget* image = nullptr;
  std::vector<std::string> shown;
};

}  // namespace

TEST_F(DrawWindowEditing, DraggingANodeMovesItAndUndoPutsItBack) {
  auto* undo = w->findChild<QPushButton*>("UndoButton");
  EXPECT_FALSE(undo->isEnabled());
  const QPoint c = At(3);
  QTest::mousePress(image, Qt::LeftButton, {}, c);
  QTest::mouseMove(image, c + QPoint(2, 2));
  EXPECT_DOUBLE_EQ(w->Diagram()->Taxa[2].X, 360);  // two pixels are not a move
  QTest::mouseMove(image, c + QPoint(40, 30));
  QTest::mouseRelease(image, Qt::LeftButton, {}, c + QPoint(40, 30));
  EXPECT_DOUBLE_EQ(w->Diagram()->Taxa[2].X, 400);
  EXPECT_DOUBLE_EQ(w->Diagram()->Taxa[2].Y, 370);
  EXPECT_TRUE(undo->isEnabled());
  // The picture follows: the node is painted where it went.
  EXPECT_NE(PixelAt(w->Surface(), c.x() + 40, c.y() + 30), clWhite);

  undo->click();
  EXPECT_DOUBLE_EQ(w->Diagram()->Taxa[2].X, 360);
  EXPECT_DOUBLE_EQ(w->Diagram()->Taxa[2].Y, 340);
  EXPECT_FALSE(undo->isEnabled());
}

TEST_F(DrawWindowEditing, RightClickOnANodeOpensThePieDialogOkAppliesCancelDoesNot) {
  const TNetwork_Diagramm before = *w->Diagram();
  OnDialog([](QDialog& d) { Click(&d, "CancelBtn"); });
  QTest::mouseClick(image, Qt::RightButton, {}, At(1));
  EXPECT_EQ(shown, std::vector<std::string>{"TaxonStyleDlg_new"});
  EXPECT_EQ(static_cast<const TNetwork_Diagramm&>(*w->Diagram()), before);

  OnDialog([](QDialog& d) {
    auto& pie = dynamic_cast<TTaxonStyleDlg_new&>(d);
    // Frequency 5 in one segment is offered as 4 and a black 1.
    EXPECT_EQ(pie.PieFrequencies(), (TPieFrequencies{4, 1}));
    EXPECT_EQ(pie.PieColours(), (TPieColours{clYellow, clBlack}));
    pie.SetPieColours({clYellow, clBlue});
    pie.SetPieFrequencies({3, 2});
    pie.SetApplyAllTaxa(true);
    pie.FormActivate();
    Click(&d, "OKBtn");
  });
  QTest::mouseClick(image, Qt::RightButton, {}, At(1));
  const TaxonType& a = w->Diagram()->Taxa[0];
  ASSERT_EQ(a.Pies.size(), 2u);
  EXPECT_EQ(a.Pies[1].PieColor, clBlue);
  EXPECT_EQ(a.Pies[0].PieFrequency, 3);
  EXPECT_EQ(a.Pies[1].PieFrequency, 2);
  // All taxa got the two colours; the median vector kept its one.
  EXPECT_EQ(w->Diagram()->Taxa[2].Pies.size(), 2u);
  EXPECT_EQ(w->Diagram()->Taxa[2].Pies[1].PieColor, clBlue);
  EXPECT_EQ(w->Diagram()->Taxa[4].Pies.size(), 1u);
}

TEST_F(DrawWindowEditing, RightClickOnALinkOpensTheLinkDialog) {
  // A left click selects the link; the right click gives its width back before the dialog.
  QPoint mid = At(1);
  while (mid.x() < At(2).x() &&
         w->Diagram()->HitTest(mid.x(), mid.y(), true, true, true, false).Kind != THitKind::Link)
    ++mid.rx();
  ASSERT_LT(mid.x(), At(2).x());
  QTest::mouseClick(image, Qt::LeftButton, {}, mid);
  EXPECT_EQ(w->MouseEdit().SelectedLink(), 1);
  EXPECT_EQ(w->Diagram()->Links[0].LineWidth, 3);
  OnDialog([](QDialog& d) {
    auto& link = dynamic_cast<TLinkStyleDlg&>(d);
    EXPECT_EQ(link.LinkWidth(), 1);
    EXPECT_FALSE(link.ApplyAllLinks());
    Child<QSpinBox>(&d, "SpinLinkWidth")->setValue(4);
    Click(&d, "OKBtn");
  });
  QTest::mouseClick(image, Qt::RightButton, {}, mid);
  EXPECT_EQ(shown, std::vector<std::string>{"LinkStyleDlg"});
  EXPECT_EQ(w->Diagram()->Links[0].LineWidth, 4);
  EXPECT_EQ(w->Diagram()->Links[1].LineWidth, 1);
  EXPECT_EQ(w->MouseEdit().SelectedLink(), 0);
}

TEST_F(DrawWindowEditing, RightClickOnANodeLabelSetsTheNameAndMarksMixedFontSizes) {
  TDrawNetwork_Diagramm& d = *w->Diagram();
  const TNameBox& box = d.Taxa[1].NameBox;
  const QPoint label(static_cast<int>((box.Left + box.Right) / 2) + d.ImageOffsetX(),
                     static_cast<int>((box.Top + box.Bottom) / 2) + d.ImageOffsetY());
  const THitResult hit = d.HitTest(label.x(), label.y(), true, true, true, false);
  ASSERT_EQ(hit.Kind, THitKind::NodeLabel);
  ASSERT_EQ(hit.Index, 2);
  auto* fontSize = w->findChild<QSpinBox*>("FontSizeSpin");
  ASSERT_EQ(fontSize->value(), 6);
  OnDialog([](QDialog& dialog) {
    Child<QSpinBox>(&dialog, "SpinTextSize")->setValue(9);
    Child<QCheckBox>(&dialog, "CheckBold")->click();
    Click(&dialog, "OKBtn");
  });
  QTest::mouseClick(image, Qt::RightButton, {}, label);
  EXPECT_EQ(shown, std::vector<std::string>{"TaxonNamePropertiesDlg"});
  EXPECT_EQ(d.Taxa[1].NameHeight, 9);
  EXPECT_EQ(d.Taxa[1].NameStyle, fsBold);
  EXPECT_EQ(d.Taxa[0].NameHeight, 6);
  EXPECT_EQ(fontSize->value(), 0);  // mixed sizes
}

TEST_F(DrawWindowEditing, RightClickOnAMutationLabelStylesTheLabels) {
  TDrawNetwork_Diagramm& d = *w->Diagram();
  const TNameBox& box = d.Links[1].Mutations[2].NameBox;
  const QPoint label(static_cast<int>((box.Left + box.Right) / 2) + d.ImageOffsetX(),
                     static_cast<int>((box.Top + box.Bottom) / 2) + d.ImageOffsetY());
  const THitResult hit = d.HitTest(label.x(), label.y(), true, true, true, false);
  ASSERT_EQ(hit.Kind, THitKind::Mutation);
  OnDialog([](QDialog& dialog) {
    auto& mutation = dynamic_cast<TMutationPropertiesDlg&>(dialog);
    EXPECT_EQ(mutation.TextSize(), 6);
    EXPECT_EQ(mutation.TextColor(), clRed);
    Child<QCheckBox>(&dialog, "CheckApplyToLink")->click();
    Child<QSpinBox>(&dialog, "SpinTextSize")->setValue(8);
    Click(&dialog, "OKBtn");
  });
  QTest::mouseClick(image, Qt::RightButton, {}, label);
  EXPECT_EQ(shown, std::vector<std::string>{"MutationPropertiesDlg"});
  for (const MutationType& m : d.Links[hit.Index - 1].Mutations) EXPECT_EQ(m.NameHeight, 8);
  EXPECT_EQ(d.Links[hit.Index == 1 ? 1 : 0].Mutations[0].NameHeight, 6);
  EXPECT_EQ(w->findChild<QSpinBox*>("FontSizeSpin")->value(), 0);

  // Cancel changes nothing.
  const TNetwork_Diagramm before = d;
  OnDialog([](QDialog& dialog) {
    Child<QSpinBox>(&dialog, "SpinTextSize")->setValue(20);
    Click(&dialog, "CancelBtn");
  });
  QTest::mouseClick(image, Qt::RightButton, {}, label);
  EXPECT_EQ(static_cast<const TNetwork_Diagramm&>(d), before);
}

TEST_F(DrawWindowEditing, DoubleClickOnANodeShowsItsInformation) {
  // What a double click delivers: press, release, double click, release.
  QTest::mouseClick(image, Qt::LeftButton, {}, At(1));
  QTest::mouseDClick(image, Qt::LeftButton, {}, At(1));
  QTest::mouseRelease(image, Qt::LeftButton, {}, At(1));
  ASSERT_NE(Tax_info, nullptr);
  const std::vector<std::string> lines = Tax_info->Lines();
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines[0], "Information about taxon A:");
  EXPECT_EQ(lines[1], "Region: North");
  EXPECT_EQ(lines[2], "Total frequency:   5");
  EXPECT_EQ(lines.back(), "");
  EXPECT_EQ(lines[lines.size() - 2], "Taxon included: E");
  EXPECT_FALSE(w->isEnabled());
  EXPECT_TRUE(Tax_info->isVisible());

  // While the information window is open a left click on a node moves nothing.
  w->Image1MouseDown(Qt::LeftButton, {}, At(3).x(), At(3).y());
  w->Image1MouseMove({}, At(3).x() + 30, At(3).y());
  w->Image1MouseUp(Qt::LeftButton, {}, At(3).x() + 30, At(3).y());
  EXPECT_DOUBLE_EQ(w->Diagram()->Taxa[2].X, 360);

  Tax_info->close();
  EXPECT_TRUE(w->isEnabled());
}

TEST_F(DrawWindowEditing, ChoosingAColourSchemeColoursItAndUndoSwitchesItOff) {
  auto* combo = w->findChild<QComboBox*>("CmbColorScheme");
  ASSERT_FALSE(combo->isHidden());
  const int region = combo->findText("Region");
  ASSERT_GT(region, 0);

  // Cancelled: nothing is active and the combo shows it.
  OnDialog([](QDialog& d) { Click(&d, "CancelBtn"); });
  combo->setCurrentIndex(region);
  emit combo->activated(region);
  EXPECT_EQ(shown, std::vector<std::string>{"SchemeColorsDlg"});
  EXPECT_EQ(combo->currentIndex(), 0);
  for (const SchemeType& scheme : w->Diagram()->ColorSchemes) EXPECT_FALSE(scheme.SchemeActive);

  OnDialog([this](QDialog& d) {
    auto& dialog = dynamic_cast<TSchemeColorsDlg&>(d);
    EXPECT_EQ(dialog.EditedSchemeLabels(), (TSchemeLabels{"North", "South"}));
    s.dialogs.color(clBlue);
    Click(&d, "ChangeColourBtn_2");
    Click(&d, "OKBtn");
  });
  combo->setCurrentIndex(region);
  emit combo->activated(region);
  const SchemeType& scheme = w->Diagram()->ColorSchemes[region - 1];
  EXPECT_TRUE(scheme.SchemeActive);
  EXPECT_EQ(scheme.SchemeColors, (TSchemeColours{clYellow, clBlue}));
  EXPECT_EQ(combo->currentIndex(), region);
  auto* undo = w->findChild<QPushButton*>("UndoButton");
  ASSERT_TRUE(undo->isEnabled());
  undo->click();
  EXPECT_FALSE(w->Diagram()->ColorSchemes[region - 1].SchemeActive);
  EXPECT_EQ(combo->currentIndex(), 0);
}
