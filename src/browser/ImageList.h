#pragma once

#include <QHash>
#include <QIcon>
#include <QString>

#include <functional>

namespace browser {

// The browser's image list (imglst1): the tree's pictures and one picture per file extension,
// by key. The icon of a file type comes from the platform through a provider the window sets.
class Image_List {
public:
    using File_Icon_Provider = std::function<QIcon(const QString& path)>;

    bool Contains(const QString& key) const { return icons_.contains(key); }
    QIcon Icon(const QString& key) const { return icons_.value(key); }
    void Add(const QString& key, const QIcon& icon) { icons_.insert(key, icon); }

    void Set_File_Icon_Provider(File_Icon_Provider provider) { provider_ = std::move(provider); }
    // The platform's small icon for the file at path (Get_File_Icon).
    QIcon Get_File_Icon(const QString& path) const { return provider_ ? provider_(path) : QIcon(); }

private:
    QHash<QString, QIcon> icons_;
    File_Icon_Provider provider_;
};

} // namespace browser
