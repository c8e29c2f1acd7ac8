#include "EditorGridModel.h"

namespace {

const char* const InformationHeaders[rdf_limits::InfoCount] = {
    "Phenotype", "Geography", "Lineage", "Group 1", "Group 2", "Group 3"};

QString Q(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

TEditorGridModel::TEditorGridModel(TEditorGridSource& source, Kind kind, Labels labels,
                                   QObject* parent)
    : QAbstractTableModel(parent), source_(source), kind_(kind), labels_(labels) {}

int TEditorGridModel::taxonOf(const QModelIndex& index) const {
  return index.isValid() && taxonSide() ? index.row() + 1 : 0;
}

int TEditorGridModel::columnOf(const QModelIndex& index) const {
  return index.isValid() && columnSide() ? index.column() + 1 : 0;
}

TCellMask TEditorGridModel::mask() const {
  switch (kind_) {
    case Kind::TaxonNames: return source_.TaxonNameMask();
    case Kind::Frequencies: return source_.FrequencyMask();
    case Kind::Information: return source_.InformationMask();
    case Kind::ColumnNames: return source_.ColumnNameMask();
    case Kind::Weights: return source_.WeightMask();
    case Kind::Body: break;
  }
  return {};
}

int TEditorGridModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid()) return 0;
  if (taxonSide()) return source_.TaxaCount();
  return source_.ColumnCount() > 0 ? 1 : 0;
}

int TEditorGridModel::columnCount(const QModelIndex& parent) const {
  if (parent.isValid()) return 0;
  switch (kind_) {
    case Kind::TaxonNames:
    case Kind::Frequencies: return 1;
    case Kind::Information: return rdf_limits::InfoCount;
    default: return source_.ColumnCount();
  }
}

QVariant TEditorGridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
    return {};
  const int taxon = taxonOf(index);
  const int column = columnOf(index);
  if (kind_ == Kind::Body && role == Qt::BackgroundRole)
    return source_.BodyBackground(taxon, column);
  if (role != Qt::DisplayRole && role != Qt::EditRole && role != Qt::ToolTipRole) return {};
  // Only names get a tool tip: they may be wider than their cell.
  if (role == Qt::ToolTipRole && kind_ != Kind::TaxonNames && kind_ != Kind::ColumnNames)
    return {};
  switch (kind_) {
    case Kind::Body: return source_.Body(taxon, column);
    case Kind::TaxonNames: return Q(source_.TaxonName(taxon));
    case Kind::Frequencies: return QString::number(source_.Frequency(taxon));
    case Kind::Information: return Q(source_.Info(taxon, index.column() + 1));
    case Kind::ColumnNames: return Q(source_.ColumnName(column));
    case Kind::Weights: return QString::number(source_.Weight(column));
  }
  return {};
}

QVariant TEditorGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Horizontal) {
    switch (kind_) {
      case Kind::TaxonNames: return QLatin1String(labels_.taxonNames);
      case Kind::Frequencies: return QStringLiteral("Frequency");
      case Kind::Information:
        return section >= 0 && section < rdf_limits::InfoCount
                   ? QVariant(QLatin1String(InformationHeaders[section]))
                   : QVariant();
      default: return QString::number(section + 1);
    }
  }
  if (kind_ == Kind::ColumnNames) return QLatin1String(labels_.columnNames);
  if (kind_ == Kind::Weights) return QStringLiteral("Weight");
  return QString::number(section + 1);
}

Qt::ItemFlags TEditorGridModel::flags(const QModelIndex& index) const {
  Qt::ItemFlags f = QAbstractTableModel::flags(index);
  if (kind_ != Kind::Body) f |= Qt::ItemIsEditable;
  return f;
}

bool TEditorGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole || !index.isValid() || kind_ == Kind::Body) return false;
  const std::string text = value.toString().toStdString();
  bool ok = false;
  switch (kind_) {
    case Kind::TaxonNames: ok = source_.RenameTaxon(taxonOf(index), text); break;
    case Kind::Frequencies: ok = source_.SetFrequencyText(taxonOf(index), text); break;
    case Kind::Information: ok = source_.SetInfo(index.column() + 1, taxonOf(index), text); break;
    case Kind::ColumnNames: ok = source_.RenameColumn(columnOf(index), text); break;
    case Kind::Weights: ok = source_.SetWeightText(columnOf(index), text); break;
    case Kind::Body: break;
  }
  emit committed();
  return ok;
}

void TEditorGridModel::refresh() {
  if (rowCount() > 0 && columnCount() > 0)
    emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

void TEditorGridModel::refill() {
  beginResetModel();
  endResetModel();
}
