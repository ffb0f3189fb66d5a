#pragma once

#include "browser/RowStore.h"

#include <QAbstractTableModel>
#include <QIcon>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <vector>

namespace browser {

// One row of the browser's list: key, text (first column), small-icon key, further cells, tag
// and check mark. Cells keep the engine's values (numbers, dates, texts) and are turned into
// text only for display, so sorting can compare numbers as numbers and dates as dates.
struct List_Row {
    QString key;
    QString text;
    QString icon_key;
    std::vector<QVariant> cells; // cell i is column i + 1
    QString tag;
    Qt::CheckState check = Qt::Unchecked;
};

// The list's model: holds any number of rows and shows them as a table. Rows are kept compact
// (Row_Store) and their cells turned into text only when a view asks for them, so a list of a
// million files stays small and sorts in well under a second.
class List_Model : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Role { Key_Role = Qt::UserRole + 1, Tag_Role, Icon_Key_Role };

    using Icon_Lookup = std::function<QIcon(const QString& key)>;

    explicit List_Model(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    // Columns
    void Set_Columns(const QStringList& captions);
    const QStringList& Columns() const { return columns_; }
    void Clear_Rows();
    void Clear_All();
    void Set_Checkboxes(bool on);
    bool Checkboxes() const { return checkboxes_; }

    // Rows
    void Add_Row(List_Row row);
    // Replaces every row at once (one reset, however many rows).
    void Set_Rows(std::vector<List_Row> rows);
    // Adds rows at the end in one insertion.
    void Append_Rows(std::vector<List_Row> rows);
    // A long load's rows, unseen by the views until Show_Staged() shows every staged row in one
    // insertion; the load then shows its rows chunk by chunk as they arrive. cells[0..count)
    // are the further cells. Clear_Rows, Set_Rows and Clear_All drop staged rows.
    void Stage_Row(const QString& key, const QString& text, const QString& icon_key,
                   const QString& tag, const QVariant* cells, int count);
    // The same for a row written part by part straight into the store: `put(Row_Store&)` puts
    // `parts` parts (key, text, icon key, tag, then the further cells) by Row_Store::Put calls.
    template <typename F> void Stage_Built_Row(int parts, F&& put) {
        store_.Start_Row(parts);
        put(store_);
        stage(store_.Finish_Row());
    }
    int Staged_Count() const { return int(staged_.size()); }
    void Show_Staged();
    void Remove_Row(int row);
    int Row_Count() const { return int(order_.size()); }
    // A row whole, made up when asked; Key, Text and Tag read one part of it.
    List_Row Row(int i) const;
    QString Key(int i) const;
    QString Text(int i) const;
    QString Tag(int i) const;
    // Changes cell `column` (1-based as the list numbers its further cells) of a row.
    void Set_Cell(int row, int column, const QVariant& value);
    void Set_Text(int row, const QString& text);
    void Set_Tag(int row, const QString& tag);
    void Set_Key(int row, const QString& key);
    void Set_Check(int row, Qt::CheckState state);
    // The first row with this key, or -1.
    int Find_Key(const QString& key) const;
    // Room for this many rows more, when a load knows how many are coming.
    void Reserve(int more);
    // Counts the times the rows were replaced whole (cleared, set, columns changed), so a long
    // load can tell that something else took the list over while it let events run.
    quint64 Generation() const { return generation_; }

    // The small icons, looked up by icon key (the shared image list).
    void Set_Icon_Lookup(Icon_Lookup lookup) { icons_ = std::move(lookup); }
    // A row's tool tip by its key, in place of the cell's text where it gives one (a content
    // query's snippet); asked only when the view shows a tip.
    using Tip_Lookup = std::function<QString(const QString& key)>;
    void Set_Tip_Lookup(Tip_Lookup lookup) { tips_ = std::move(lookup); }

    // Sorts by a column; numbers compare as numbers and dates as dates when the whole column
    // holds them, otherwise texts compare as texts.
    void Sort_By(int column, Qt::SortOrder order);

    // How a cell's value reads in the list: a date in the locale's short form, followed by
    // the time with seconds (no time zone) unless it is midnight; a null as empty text.
    static QString Display_Text(const QVariant& value);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

Q_SIGNALS:
    // A row's check mark was changed by the user (not by Set_Check).
    void Check_Changed(int row, Qt::CheckState state);
    // A row's text was edited in place; the handler decides whether it is kept.
    void Text_Edited(int row, const QString& old_text, const QString& new_text);

private:
    QVariant cell(Row_Store::Id id, int column) const;
    Row_Store::Id id_of(int row) const { return order_[size_t(row)]; }
    std::vector<QVariant> parts_of(const List_Row& row) const;
    List_Row row_of(Row_Store::Id id) const;
    void put_back(int row, const List_Row& r);
    // Reads a row whole, lets `change` alter it and puts it back; false for no such row.
    template <typename Change> bool change_row(int row, Change change);
    void clear_rows();
    void stage(Row_Store::Id id);
    void add_all(std::vector<List_Row> rows);

    QStringList columns_;
    Row_Store store_;
    std::vector<Row_Store::Id> order_; // row -> id
    std::vector<quint32> position_;    // id -> row, Not_Shown while staged or removed
    std::vector<Row_Store::Id> staged_;
    std::vector<quint8> checks_; // by id
    bool checkboxes_ = false;
    quint64 generation_ = 0;
    Icon_Lookup icons_;
    Tip_Lookup tips_;
};

} // namespace browser
