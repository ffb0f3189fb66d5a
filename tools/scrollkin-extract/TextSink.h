#pragma once

#include <QByteArray>
#include <QStringView>

// The text a reader finds, kept as UTF-8 up to a limit: longer text is cut there, at a character
// boundary. Control characters are dropped (tabs and line ends kept, CR LF made one line end), so
// what leaves the child is plain text whatever the document held.
class Text_Sink {
public:
    explicit Text_Sink(qint64 max_bytes) : max_(max_bytes) {}

    void Add(QStringView text);
    // Ends a paragraph: one line end unless the text already ends with one (or is empty).
    void Break();
    // Separates two words: a space unless the text already ends with white space.
    void Space();
    void Tab();

    bool Full() const { return full_; }
    bool Empty() const { return bytes_.isEmpty(); }
    const QByteArray& Bytes() const { return bytes_; }

private:
    void Put(const QByteArray& utf8);

    qint64 max_;
    QByteArray bytes_;
    bool full_ = false;
    bool last_cr_ = false;
};
