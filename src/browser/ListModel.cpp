#include "ListModel.h"

#include <QDateTime>
#include <QLocale>

#include <algorithm>

namespace {

enum class Kind { Number, Date, Text };

bool as_number(const QVariant& v, double* out) {
    switch (v.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Double:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        *out = v.toDouble();
        return true;
    case QMetaType::QString: {
        bool ok = false;
        *out = v.toString().trimmed().toDouble(&ok);
        return ok;
    }
    default:
        return false;
    }
}

// A locale's time form with seconds but without the time zone: the library's dates carry no
// zone, so naming one would only mislead. The zone goes with its brackets and with the blank
// or comma that parts it from the time ("HH:mm:ss (t)", "h:mm:ss AP, t", "t HH:mm:ss").
QString time_without_zone(const QString& format) {
    QString out;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c == u'\'')
            quoted = !quoted;
        if (quoted || c != u't') {
            out += c;
            continue;
        }
        const QChar next = i + 1 < format.size() ? format[i + 1] : QChar();
        if (!out.isEmpty() &&
            ((out.back() == u'(' && next == u')') || (out.back() == u'[' && next == u']'))) {
            out.chop(1);
            ++i;
        }
    }
    const auto separator = [](QChar c) { return c.isSpace() || c == u','; };
    qsizetype begin = 0, end = out.size();
    while (begin < end && separator(out[begin]))
        ++begin;
    while (end > begin && separator(out[end - 1]))
        --end;
    return out.mid(begin, end - begin);
}

} // namespace

QString List_Model::Display_Text(const QVariant& value) {
    if (!value.isValid() || value.isNull())
        return {};
    if (value.metaType().id() == QMetaType::QDateTime) {
        const QDateTime dt = value.toDateTime();
        const QLocale locale;
        const QString date = locale.toString(dt.date(), QLocale::ShortFormat);
        if (dt.time() == QTime(0, 0))
            return date;
        // Lists fill from the one window thread; the form is worked out once per locale.
        static QLocale formed_for = QLocale::c();
        static QString time_format = time_without_zone(formed_for.timeFormat(QLocale::LongFormat));
        if (locale != formed_for) {
            formed_for = locale;
            time_format = time_without_zone(locale.timeFormat(QLocale::LongFormat));
        }
        return date + QLatin1Char(' ') + locale.toString(dt.time(), time_format);
    }
    return value.toString();
}

void List_Model::Set_Columns(const QStringList& captions) {
    beginResetModel();
    columns_ = captions;
    endResetModel();
}

void List_Model::Clear_Rows() {
    if (rows_.empty())
        return;
    beginResetModel();
    rows_.clear();
    endResetModel();
}

void List_Model::Clear_All() {
    beginResetModel();
    rows_.clear();
    columns_.clear();
    endResetModel();
}

void List_Model::Set_Checkboxes(bool on) {
    beginResetModel();
    checkboxes_ = on;
    endResetModel();
}

void List_Model::Add_Row(List_Row row) {
    const int at = int(rows_.size());
    beginInsertRows({}, at, at);
    rows_.push_back(std::move(row));
    endInsertRows();
}

void List_Model::Set_Rows(std::vector<List_Row> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

void List_Model::Remove_Row(int row) {
    if (row < 0 || row >= Row_Count())
        return;
    beginRemoveRows({}, row, row);
    rows_.erase(rows_.begin() + row);
    endRemoveRows();
}

void List_Model::Set_Cell(int row, int column, const QVariant& value) {
    if (row < 0 || row >= Row_Count() || column < 1)
        return;
    auto& cells = rows_[size_t(row)].cells;
    if (cells.size() < size_t(column))
        cells.resize(size_t(column));
    cells[size_t(column - 1)] = value;
    Q_EMIT dataChanged(index(row, column), index(row, column));
}

void List_Model::Set_Text(int row, const QString& text) {
    if (row < 0 || row >= Row_Count())
        return;
    rows_[size_t(row)].text = text;
    Q_EMIT dataChanged(index(row, 0), index(row, 0));
}

void List_Model::Set_Tag(int row, const QString& tag) {
    if (row >= 0 && row < Row_Count())
        rows_[size_t(row)].tag = tag;
}

void List_Model::Set_Check(int row, Qt::CheckState state) {
    if (row < 0 || row >= Row_Count())
        return;
    rows_[size_t(row)].check = state;
    Q_EMIT dataChanged(index(row, 0), index(row, 0), {Qt::CheckStateRole});
}

int List_Model::Find_Key(const QString& key) const {
    for (size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].key == key)
            return int(i);
    return -1;
}

QVariant List_Model::cell(const List_Row& r, int column) const {
    if (column == 0)
        return r.text;
    const size_t i = size_t(column - 1);
    return i < r.cells.size() ? r.cells[i] : QVariant();
}

void List_Model::Sort_By(int column, Qt::SortOrder order) {
    if (column < 0 || column >= std::max(1, int(columns_.size())))
        return;
    // Decide once for the whole column how its values compare: numbers or dates only when
    // every filled cell is one.
    bool all_numbers = true, all_dates = true, any = false;
    for (const List_Row& r : rows_) {
        const QVariant v = cell(r, column);
        if (!v.isValid() || v.isNull() || v.toString().isEmpty())
            continue;
        any = true;
        double d;
        all_dates = all_dates && v.metaType().id() == QMetaType::QDateTime;
        all_numbers = all_numbers && v.metaType().id() != QMetaType::QDateTime && as_number(v, &d);
        if (!all_dates && !all_numbers)
            break;
    }
    const Kind kind = !any          ? Kind::Text
                      : all_numbers ? Kind::Number
                      : all_dates   ? Kind::Date
                                    : Kind::Text;

    struct Keyed {
        double number;
        qint64 time;
        QString text;
        size_t index;
    };
    std::vector<Keyed> keys(rows_.size());
    for (size_t i = 0; i < rows_.size(); ++i) {
        const QVariant v = cell(rows_[i], column);
        Keyed& k = keys[i];
        k.index = i;
        const bool empty = !v.isValid() || v.isNull() || v.toString().isEmpty();
        if (kind == Kind::Number)
            k.number = empty ? -std::numeric_limits<double>::infinity()
                             : (as_number(v, &k.number), k.number);
        else if (kind == Kind::Date)
            k.time =
                empty ? std::numeric_limits<qint64>::min() : v.toDateTime().toMSecsSinceEpoch();
        else
            k.text = Display_Text(v);
    }
    auto less = [kind](const Keyed& a, const Keyed& b) {
        switch (kind) {
        case Kind::Number:
            return a.number < b.number;
        case Kind::Date:
            return a.time < b.time;
        default:
            return QString::localeAwareCompare(a.text, b.text) < 0;
        }
    };
    if (order == Qt::AscendingOrder)
        std::stable_sort(keys.begin(), keys.end(), less);
    else
        std::stable_sort(keys.begin(), keys.end(),
                         [&](const Keyed& a, const Keyed& b) { return less(b, a); });

    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<int> new_position(rows_.size());
    std::vector<List_Row> sorted;
    sorted.reserve(rows_.size());
    for (size_t i = 0; i < keys.size(); ++i) {
        new_position[keys[i].index] = int(i);
        sorted.push_back(std::move(rows_[keys[i].index]));
    }
    rows_ = std::move(sorted);
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& i : before)
        after << index(new_position[size_t(i.row())], i.column());
    changePersistentIndexList(before, after);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

int List_Model::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

int List_Model::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(columns_.size());
}

QVariant List_Model::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= Row_Count())
        return {};
    const List_Row& r = rows_[size_t(index.row())];
    switch (role) {
    case Qt::ToolTipRole:
        if (tips_)
            if (QString tip = tips_(r.key); !tip.isEmpty())
                return tip;
        return Display_Text(cell(r, index.column()));
    case Qt::DisplayRole:
        return Display_Text(cell(r, index.column()));
    case Qt::EditRole:
        return index.column() == 0 ? QVariant(r.text) : cell(r, index.column());
    case Qt::DecorationRole:
        if (index.column() == 0 && icons_ && !r.icon_key.isEmpty())
            return icons_(r.icon_key);
        return {};
    case Qt::CheckStateRole:
        if (checkboxes_ && index.column() == 0)
            return int(r.check);
        return {};
    case Key_Role:
        return r.key;
    case Tag_Role:
        return r.tag;
    case Icon_Key_Role:
        return r.icon_key;
    default:
        return {};
    }
}

bool List_Model::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.row() >= Row_Count() || index.column() != 0)
        return false;
    List_Row& r = rows_[size_t(index.row())];
    if (role == Qt::CheckStateRole && checkboxes_) {
        r.check = Qt::CheckState(value.toInt());
        Q_EMIT dataChanged(index, index, {Qt::CheckStateRole});
        Q_EMIT Check_Changed(index.row(), r.check);
        return true;
    }
    if (role == Qt::EditRole) {
        const QString old_text = r.text;
        r.text = value.toString();
        Q_EMIT dataChanged(index, index);
        Q_EMIT Text_Edited(index.row(), old_text, r.text);
        return true;
    }
    return false;
}

QVariant List_Model::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < columns_.size())
        return columns_[section];
    if (orientation == Qt::Horizontal && role == Qt::TextAlignmentRole)
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags List_Model::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
    if (index.column() == 0) {
        f |= Qt::ItemIsEditable;
        if (checkboxes_)
            f |= Qt::ItemIsUserCheckable;
    }
    return f;
}
