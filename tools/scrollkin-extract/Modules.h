#pragma once

#include <QString>
#include <QStringList>

// The PDF and OCR readers are modules of their own, loaded when a file needs them: their
// libraries (poppler; tesseract with its image and network libraries, Qt Gui) take several
// times longer to load than reading a short document does, and every file is a new process.
// A module calls back into the program (the sink, the limits), which exports its symbols.
namespace extract {

// The entry points, C names so that the program finds them by name.
#define SCROLLKIN_PDF_ENTRY "scrollkin_extract_pdf"
#define SCROLLKIN_PDF_VERSION "scrollkin_extract_pdf_version"
#define SCROLLKIN_OCR_ENGINE "scrollkin_extract_ocr_engine"
#define SCROLLKIN_PICTURE_ENTRY "scrollkin_extract_picture"
#define SCROLLKIN_OCR_VERSION "scrollkin_extract_ocr_version"

// The versions of the libraries behind the modules, for --version.
QString Module_Versions();

} // namespace extract
