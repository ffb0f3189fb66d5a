#pragma once

#include "shell/StatusStrip.h"

#include <QStringList>

// Records what the logic writes into the status strip.
class Fake_Status_Strip : public shell::Status_Strip {
public:
    void Set_Message(const QString& text) override { message = text; }
    QString Message() const override { return message; }
    void Set_Caption(const QString& text) override {
        caption = text;
        captions << text;
    }
    QString Caption() const override { return caption; }
    void Set_Progress_Maximum(int m) override { progress_maximum = m; }
    void Set_Progress_Value(int v) override { progress_value = v; }
    void Show_Progress(bool v) override { progress_visible = v; }
    void Set_Indexing(const QString& text) override { indexing << text; }

    QString message, caption;
    QStringList captions, indexing;
    int progress_maximum = 0, progress_value = 0;
    bool progress_visible = false;
};
