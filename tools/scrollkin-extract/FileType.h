#pragma once

#include <QByteArray>
#include <QString>

namespace extract {

enum class File_Type { Plain_Text, Html, Rtf, Pdf, Zip, Picture, Unknown };

// The type of a file from its first bytes, the name's extension deciding only where the content
// leaves a choice (markup or plain text, a weak picture signature).
File_Type Type_Of(const QByteArray& head, const QString& name);

// The reason for a file of no type the extractor reads, naming what its name claims.
QString Unknown_Reason(const QString& name);

} // namespace extract
