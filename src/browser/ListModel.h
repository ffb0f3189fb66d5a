#pragma once

#include <QAbstractTableModel>
#include <QIcon>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <vector>

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

// The list's model: holds any number of rows and shows them as a table.
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
    void Remove_Row(int row);
    int Row_Count() const { return int(rows_.size()); }
    const List_Row& Row(int i) const { return rows_[size_t(i)]; }
    // Changes cell `column` (1-based as the list numbers its further cells) of a row.
    void Set_Cell(int row, int column, const QVariant& value);
    void Set_Text(int row, const QString& text);
    void Set_Tag(int row, const QString& tag);
    void Set_Check(int row, Qt::CheckState state);
    int Find_Key(const QString& key) const;

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
    QVariant cell(const List_Row& r, int column) const;

    QStringList columns_;
    std::vector<List_Row> rows_;
    bool checkboxes_ = false;
    Icon_Lookup icons_;
    Tip_Lookup tips_;
};
