#include "db/SqlRecord.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>

#include <memory>

namespace db {

namespace {

thread_local int pauses = 0;

} // namespace

Sql_Record_Pause::Sql_Record_Pause() {
    ++pauses;
}

Sql_Record_Pause::~Sql_Record_Pause() {
    --pauses;
}

QString Sql_Form_Key(const QString& sql) {
    static const QRegularExpression literal(QStringLiteral("'(?:[^']|'')*'"));
    static const QRegularExpression number(QStringLiteral("\\b\\d+\\b"));
    return QString(sql).replace(literal, QStringLiteral("''")).replace(number, QStringLiteral("0"));
}

void Record_Sql_To(const QString& folder) {
    QDir().mkpath(folder);
    const QString path =
        QStringLiteral("%1/sql-%2.jsonl").arg(folder).arg(QCoreApplication::applicationPid());
    auto file = std::make_shared<QFile>(path);
    auto seen = std::make_shared<QSet<QString>>();
    Set_Process_Recorder([file, seen](const QString& sql) {
        const QString key = Sql_Form_Key(sql);
        if (pauses > 0 || seen->contains(key))
            return;
        seen->insert(key);
        // Opened at the first statement, so a process that sends none leaves no file.
        if (!file->isOpen() && !file->open(QIODevice::WriteOnly | QIODevice::Append))
            qFatal("Cannot write the statement record %s", qPrintable(file->fileName()));
        // Named at the first statement: the recorder may be set before the application exists.
        static const QString program =
            QFileInfo(QCoreApplication::applicationFilePath()).fileName();
        const QJsonObject line{{QStringLiteral("p"), program}, {QStringLiteral("sql"), sql}};
        // Flushed at once: a test that crashes still leaves what it sent.
        file->write(QJsonDocument(line).toJson(QJsonDocument::Compact) + '\n');
        file->flush();
    });
}

void Record_Sql_From_Environment() {
    const QString folder = qEnvironmentVariable("SCROLLKIN_SQL_RECORD");
    if (!folder.isEmpty())
        Record_Sql_To(folder);
}

} // namespace db
