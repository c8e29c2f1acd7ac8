#pragma once
// The one table model of the two data editors' grids. Each grid is a view of a TEditorGridModel of
// one kind: the taxon-side grids have a row per taxon, the column-side grids (the characters of
// the rdf editor, the loci of the STR editor) a column per character and one row, and the body
// (states or repeats) has both. The editor behind it is reached through a TEditorGridSource.

#include "RDF_Editor_Grid.h"  // TCellMask, rdf_limits

#include <QAbstractTableModel>
#include <QVariant>

#include <string>

class TEditorGridSource {
public:
  virtual ~TEditorGridSource() = default;
  virtual int TaxaCount() const = 0;
  virtual int ColumnCount() const = 0;  // characters or loci
  // Cells are 1-based.
  virtual QString Body(int taxon, int column) const = 0;
  // The body cell's background; none by default.
  virtual QVariant BodyBackground(int, int) const { return {}; }
  virtual std::string TaxonName(int taxon) const = 0;
  virtual int Frequency(int taxon) const = 0;
  virtual std::string Info(int taxon, int field) const = 0;
  virtual std::string ColumnName(int column) const = 0;
  virtual int Weight(int column) const = 0;
  // Committing a cell text; false when the editor refused it.
  virtual bool RenameTaxon(int taxon, const std::string& text) = 0;
  virtual bool SetFrequencyText(int taxon, const std::string& text) = 0;
  virtual bool SetInfo(int field, int taxon, const std::string& text) = 0;
  virtual bool RenameColumn(int column, const std::string& text) = 0;
  virtual bool SetWeightText(int column, const std::string& text) = 0;
  // The edit masks of the text grids.
  virtual TCellMask TaxonNameMask() const = 0;
  virtual TCellMask FrequencyMask() const = 0;
  virtual TCellMask InformationMask() const = 0;
  virtual TCellMask ColumnNameMask() const = 0;
  virtual TCellMask WeightMask() const = 0;
};

class TEditorGridModel : public QAbstractTableModel {
  Q_OBJECT
public:
  enum class Kind { Body, TaxonNames, Frequencies, Information, ColumnNames, Weights };
  // The headers that differ between the editors: the taxon names' column header ("Sequence",
  // "Taxon") and the column-side grids' row header ("Character", "Locus").
  struct Labels {
    const char* taxonNames;
    const char* columnNames;
  };
  TEditorGridModel(TEditorGridSource& source, Kind kind, Labels labels, QObject* parent = nullptr);

  Kind kind() const { return kind_; }
  bool taxonSide() const { return kind_ != Kind::ColumnNames && kind_ != Kind::Weights; }
  bool columnSide() const {
    return kind_ == Kind::Body || kind_ == Kind::ColumnNames || kind_ == Kind::Weights;
  }
  // 1-based taxon / character or locus of a cell (0 where the grid has none).
  int taxonOf(const QModelIndex& index) const;
  int columnOf(const QModelIndex& index) const;
  TCellMask mask() const;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  // Commits a cell text through the editor; false when the editor refused it.
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;

  // Rebuilds the views after a change of the data set's shape.
  void refill();
  // Repaints every cell (the shape is unchanged).
  void refresh();

signals:
  // A committed cell changed the data set (or was refused after taking the undo copy).
  void committed();

private:
  TEditorGridSource& source_;
  Kind kind_;
  Labels labels_;
};
