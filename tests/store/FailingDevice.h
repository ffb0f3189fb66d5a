#pragma once

#include "TestEnv.h"

#include <QByteArray>
#include <QFile>
#include <QIODevice>

#include <algorithm>
#include <cstring>
#include <utility>

// A file that fails after N bytes. Read, it announces the whole content as its size but
// delivers only the first `good` bytes, then fails (or, with fail == false, ends there, like a
// file cut short while it is read). Written, it accepts `good` bytes into `written`, then fails.
// Open it Unbuffered so every read and write reaches it as the caller sent it.
class Failing_Device : public QIODevice {
public:
    Failing_Device(QByteArray content, qint64 good, bool fail)
        : content_(std::move(content)), good_(good), fail_(fail) {}
    qint64 size() const override { return content_.size(); }
    QByteArray written;

protected:
    qint64 readData(char* data, qint64 max) override {
        const qint64 n = std::min(max, good_ - at_);
        if (n <= 0)
            return fail_ ? failed() : 0;
        std::memcpy(data, content_.constData() + at_, size_t(n));
        return at_ += n, n;
    }
    qint64 writeData(const char* data, qint64 n) override {
        n = std::min(n, good_ - qint64(written.size()));
        return n <= 0 ? failed() : (written.append(data, n), n);
    }

private:
    qint64 failed() {
        setErrorString(u"injected failure"_s);
        return -1;
    }
    QByteArray content_;
    qint64 good_;
    bool fail_;
    qint64 at_ = 0;
};

// A disk file that accepts its first `good` bytes and then fails every write, as a disk that
// fills up does. Whatever it accepted stays in the file.
class Failing_File : public QFile {
public:
    Failing_File(const QString& path, qint64 good) : QFile(path), good_(good) {}

protected:
    qint64 writeData(const char* data, qint64 n) override {
        n = std::min(n, good_ - written_);
        if (n <= 0) {
            setErrorString(u"injected failure: the disk is full"_s);
            return -1;
        }
        const qint64 w = QFile::writeData(data, n);
        return written_ += std::max<qint64>(w, 0), w;
    }

private:
    qint64 good_;
    qint64 written_ = 0;
};
