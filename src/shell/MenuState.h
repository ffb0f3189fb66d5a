#pragma once

#include <QHash>
#include <QString>

namespace shell {

// The state of a pop-up menu's items, by item name (the objectName of its action): what the
// logic decides before the menu appears, and what the window applies to its actions.
struct Menu_Item_State {
    QString caption;
    bool visible = true;
    bool enabled = true;
};

class Menu_State {
public:
    void Set_Enabled(const QString& item, bool enabled) { items_[item].enabled = enabled; }
    void Set_Visible(const QString& item, bool visible) { items_[item].visible = visible; }
    void Set_Caption(const QString& item, const QString& caption) {
        items_[item].caption = caption;
    }
    void Enable(std::initializer_list<const char*> items, bool enabled = true) {
        for (const char* item : items)
            Set_Enabled(QString::fromLatin1(item), enabled);
    }
    void Disable(std::initializer_list<const char*> items) { Enable(items, false); }

    bool Is_Enabled(const QString& item) const { return items_.value(item).enabled; }
    bool Knows(const QString& item) const { return items_.contains(item); }
    const QHash<QString, Menu_Item_State>& Items() const { return items_; }

private:
    QHash<QString, Menu_Item_State> items_;
};

} // namespace shell
