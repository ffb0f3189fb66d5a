#include "browser/ListModel.h"

#include "browser/TextOrder.h"

#include <QDateTime>
#include <QLocale>

#include <algorithm>
#include <bit>

namespace browser {

namespace {

enum class Kind { Number, Date, Text };

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

namespace {

constexpr quint32 Not_Shown = 0xffffffffu;

} // namespace

void List_Model::Set_Columns(const QStringList& captions) {
    beginResetModel();
    ++generation_;
    columns_ = captions;
    endResetModel();
}

void List_Model::clear_rows() {
    ++generation_;
    store_.Clear();
    order_.clear();
    order_.shrink_to_fit();
    position_.clear();
    position_.shrink_to_fit();
    staged_.clear();
    checks_.clear();
    checks_.shrink_to_fit();
}

void List_Model::Clear_Rows() {
    if (order_.empty() && staged_.empty()) {
        ++generation_;
        return;
    }
    beginResetModel();
    clear_rows();
    endResetModel();
}

void List_Model::Clear_All() {
    beginResetModel();
    clear_rows();
    columns_.clear();
    endResetModel();
}

void List_Model::Set_Checkboxes(bool on) {
    beginResetModel();
    ++generation_;
    checkboxes_ = on;
    endResetModel();
}

std::vector<QVariant> List_Model::parts_of(const List_Row& row) const {
    std::vector<QVariant> parts;
    parts.reserve(Row_Store::First_Cell + row.cells.size());
    parts.emplace_back(row.key);
    parts.emplace_back(row.text);
    parts.emplace_back(row.icon_key);
    parts.emplace_back(row.tag);
    parts.insert(parts.end(), row.cells.begin(), row.cells.end());
    return parts;
}

List_Row List_Model::row_of(Row_Store::Id id) const {
    List_Row r;
    r.key = store_.Text_Of(id, Row_Store::Key);
    r.text = store_.Text_Of(id, Row_Store::Text);
    r.icon_key = store_.Text_Of(id, Row_Store::Icon_Key);
    r.tag = store_.Text_Of(id, Row_Store::Tag);
    const int parts = store_.Part_Count(id);
    for (int p = Row_Store::First_Cell; p < parts; ++p)
        r.cells.push_back(store_.Value(id, p));
    r.check = Qt::CheckState(checks_[id]);
    return r;
}

void List_Model::Stage_Row(const QString& key, const QString& text, const QString& icon_key,
                           const QString& tag, const QVariant* cells, int count) {
    store_.Start_Row(Row_Store::First_Cell + count);
    store_.Put(key);
    store_.Put(text);
    store_.Put(icon_key);
    store_.Put(tag);
    for (int i = 0; i < count; ++i)
        store_.Put(cells[i]);
    stage(store_.Finish_Row());
}

void List_Model::stage(Row_Store::Id id) {
    position_.push_back(Not_Shown);
    checks_.push_back(quint8(Qt::Unchecked));
    staged_.push_back(id);
}

void List_Model::Show_Staged() {
    if (staged_.empty())
        return;
    const int at = Row_Count();
    beginInsertRows({}, at, at + int(staged_.size()) - 1);
    for (const Row_Store::Id id : staged_) {
        position_[id] = quint32(order_.size());
        order_.push_back(id);
    }
    staged_.clear();
    endInsertRows();
}

void List_Model::Reserve(int more) {
    const size_t n = position_.size() + size_t(std::max(0, more));
    order_.reserve(n);
    position_.reserve(n);
    checks_.reserve(n);
}

void List_Model::add_all(std::vector<List_Row> rows) {
    Reserve(int(rows.size()));
    for (const List_Row& r : rows) {
        const std::vector<QVariant> parts = parts_of(r);
        const Row_Store::Id id = store_.Add(parts.data(), int(parts.size()));
        position_.push_back(quint32(order_.size()));
        order_.push_back(id);
        checks_.push_back(quint8(r.check));
    }
}

void List_Model::Add_Row(List_Row row) {
    std::vector<List_Row> one;
    one.push_back(std::move(row));
    Append_Rows(std::move(one));
}

void List_Model::Append_Rows(std::vector<List_Row> rows) {
    if (rows.empty())
        return;
    const int at = Row_Count();
    beginInsertRows({}, at, at + int(rows.size()) - 1);
    add_all(std::move(rows));
    endInsertRows();
}

void List_Model::Set_Rows(std::vector<List_Row> rows) {
    beginResetModel();
    clear_rows();
    add_all(std::move(rows));
    endResetModel();
}

void List_Model::Remove_Row(int row) {
    if (row < 0 || row >= Row_Count())
        return;
    beginRemoveRows({}, row, row);
    const Row_Store::Id id = id_of(row);
    store_.Release(id);
    position_[id] = Not_Shown;
    order_.erase(order_.begin() + row);
    for (size_t i = size_t(row); i < order_.size(); ++i)
        position_[order_[i]] = quint32(i);
    endRemoveRows();
}

List_Row List_Model::Row(int i) const {
    return row_of(id_of(i));
}

QString List_Model::Key(int i) const {
    return store_.Text_Of(id_of(i), Row_Store::Key);
}

QString List_Model::Text(int i) const {
    return store_.Text_Of(id_of(i), Row_Store::Text);
}

QString List_Model::Tag(int i) const {
    return store_.Text_Of(id_of(i), Row_Store::Tag);
}

void List_Model::put_back(int row, const List_Row& r) {
    const std::vector<QVariant> parts = parts_of(r);
    store_.Replace(id_of(row), parts.data(), int(parts.size()));
}

template <typename Change> bool List_Model::change_row(int row, Change change) {
    if (row < 0 || row >= Row_Count())
        return false;
    List_Row r = Row(row);
    change(r);
    put_back(row, r);
    return true;
}

void List_Model::Set_Cell(int row, int column, const QVariant& value) {
    if (column >= 1 && change_row(row, [&](List_Row& r) {
            if (r.cells.size() < size_t(column))
                r.cells.resize(size_t(column));
            r.cells[size_t(column - 1)] = value;
        }))
        Q_EMIT dataChanged(index(row, column), index(row, column));
}

void List_Model::Set_Text(int row, const QString& text) {
    if (change_row(row, [&](List_Row& r) { r.text = text; }))
        Q_EMIT dataChanged(index(row, 0), index(row, 0));
}

void List_Model::Set_Tag(int row, const QString& tag) {
    change_row(row, [&](List_Row& r) { r.tag = tag; });
}

void List_Model::Set_Key(int row, const QString& key) {
    if (change_row(row, [&](List_Row& r) { r.key = key; }))
        Q_EMIT dataChanged(index(row, 0), index(row, columnCount() - 1), {Key_Role});
}

void List_Model::Set_Check(int row, Qt::CheckState state) {
    if (row < 0 || row >= Row_Count())
        return;
    checks_[id_of(row)] = quint8(state);
    Q_EMIT dataChanged(index(row, 0), index(row, 0), {Qt::CheckStateRole});
}

int List_Model::Find_Key(const QString& key) const {
    quint32 first = Not_Shown;
    store_.For_Key(key, [&](Row_Store::Id id) { first = std::min(first, position_[id]); });
    return first == Not_Shown ? -1 : int(first);
}

QVariant List_Model::cell(Row_Store::Id id, int column) const {
    if (column == 0)
        return store_.Text_Of(id, Row_Store::Text);
    return store_.Value(id, Row_Store::First_Cell + column - 1);
}

void List_Model::Sort_By(int column, Qt::SortOrder order) {
    if (column < 0 || column >= std::max(1, int(columns_.size())))
        return;
    const int part = column == 0 ? int(Row_Store::Text) : Row_Store::First_Cell + column - 1;
    const size_t n = order_.size();
    // Decide once for the whole column how its values compare: numbers or dates only when
    // every filled cell is one. Their values are read on the way (a double's bits or msecs in
    // one word a row), so the sort itself compares plain numbers.
    struct Keyed {
        qint64 key;
        quint32 row;
        Row_Store::Kind kind;
    };
    std::vector<Keyed> keys(n);
    bool all_numbers = true, all_dates = true, any = false;
    for (size_t i = 0; i < n; ++i) {
        const Row_Store::Sort_Value v = store_.Sort_Value_Of(order_[i], part);
        keys[i] = {v.kind == Row_Store::Kind::Date ? v.msecs : std::bit_cast<qint64>(v.number),
                   quint32(i), v.kind};
        if (v.kind == Row_Store::Kind::Empty)
            continue;
        any = true;
        all_numbers = all_numbers && v.kind == Row_Store::Kind::Number;
        all_dates = all_dates && v.kind == Row_Store::Kind::Date;
        if (!all_numbers && !all_dates)
            break; // texts: the values read are not needed
    }
    const Kind kind = !any          ? Kind::Text
                      : all_numbers ? Kind::Number
                      : all_dates   ? Kind::Date
                                    : Kind::Text;

    // Rows by their old place, sorted by a key made once per row.
    std::vector<quint32> by(n);
    const bool ascending = order == Qt::AscendingOrder;
    if (kind == Kind::Text) {
        keys = {};
        // Rows read in the order they lie in the store, not the one shown, which after an
        // earlier sort is scattered over memory.
        std::vector<quint32> read_order;
        read_order.reserve(n);
        for (const quint32 row : position_)
            if (row != Not_Shown)
                read_order.push_back(row);
        const auto text = [&](quint32 i, QString& scratch) -> QStringView {
            if (column == 0)
                return store_.Text_View(order_[i], Row_Store::Text, scratch);
            scratch = Display_Text(cell(order_[i], column));
            return scratch;
        };
        by = Collated_Order(quint32(n), text, Text_Collator(), ascending, std::move(read_order));
    } else {
        // Empty cells first going up, last going down.
        for (Keyed& k : keys)
            if (k.kind == Row_Store::Kind::Empty)
                k.key = kind == Kind::Number
                            ? std::bit_cast<qint64>(-std::numeric_limits<double>::infinity())
                            : std::numeric_limits<qint64>::min();
        const auto number = [](const Keyed& k) { return std::bit_cast<double>(k.key); };
        if (kind == Kind::Number)
            std::stable_sort(keys.begin(), keys.end(), [&](const Keyed& a, const Keyed& b) {
                return ascending ? number(a) < number(b) : number(b) < number(a);
            });
        else
            std::stable_sort(keys.begin(), keys.end(), [ascending](const Keyed& a, const Keyed& b) {
                return ascending ? a.key < b.key : b.key < a.key;
            });
        for (size_t i = 0; i < n; ++i)
            by[i] = keys[i].row;
        keys = {};
    }

    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<Row_Store::Id> sorted(n);
    for (size_t i = 0; i < n; ++i)
        sorted[i] = order_[by[i]];
    by = {};
    QModelIndexList after;
    after.reserve(before.size());
    for (size_t i = 0; i < n; ++i)
        position_[sorted[i]] = quint32(i);
    for (const QModelIndex& i : before)
        after << index(int(position_[order_[size_t(i.row())]]), i.column());
    order_ = std::move(sorted);
    changePersistentIndexList(before, after);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

int List_Model::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Row_Count();
}

int List_Model::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(columns_.size());
}

QVariant List_Model::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= Row_Count())
        return {};
    const Row_Store::Id id = id_of(index.row());
    switch (role) {
    case Qt::ToolTipRole:
        if (tips_)
            if (QString tip = tips_(store_.Text_Of(id, Row_Store::Key)); !tip.isEmpty())
                return tip;
        return Display_Text(cell(id, index.column()));
    case Qt::DisplayRole:
        return Display_Text(cell(id, index.column()));
    case Qt::EditRole:
        return cell(id, index.column());
    case Qt::DecorationRole:
        if (index.column() == 0 && icons_)
            if (const QString key = store_.Text_Of(id, Row_Store::Icon_Key); !key.isEmpty())
                return icons_(key);
        return {};
    case Qt::CheckStateRole:
        if (checkboxes_ && index.column() == 0)
            return int(checks_[id]);
        return {};
    case Key_Role:
        return store_.Text_Of(id, Row_Store::Key);
    case Tag_Role:
        return store_.Text_Of(id, Row_Store::Tag);
    case Icon_Key_Role:
        return store_.Text_Of(id, Row_Store::Icon_Key);
    default:
        return {};
    }
}

bool List_Model::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.row() >= Row_Count() || index.column() != 0)
        return false;
    if (role == Qt::CheckStateRole && checkboxes_) {
        const auto state = Qt::CheckState(value.toInt());
        checks_[id_of(index.row())] = quint8(state);
        Q_EMIT dataChanged(index, index, {Qt::CheckStateRole});
        Q_EMIT Check_Changed(index.row(), state);
        return true;
    }
    if (role == Qt::EditRole) {
        List_Row r = Row(index.row());
        const QString old_text = r.text;
        r.text = value.toString();
        put_back(index.row(), r);
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

} // namespace browser
