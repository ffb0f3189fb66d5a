#include "Modules.h"

#include "Extract.h"
#include "Ocr.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>

#include <map>
#include <string>
#include <tuple>

#include <dlfcn.h>

namespace extract {
namespace {

// Looked for beside the program (the build tree), then where the install puts them.
QStringList Module_Paths(const char* name) {
    const QString dir = QFileInfo(QStringLiteral("/proc/self/exe"))
                            .canonicalFilePath()
                            .section(QLatin1Char('/'), 0, -2);
    const QString file = QStringLiteral("/scrollkin-extract-%1.so").arg(QLatin1String(name));
    return {dir + file, dir + QStringLiteral("/" SCROLLKIN_EXTRACT_MODULE_DIR) + file};
}

void* Module(const char* name) {
    static std::map<std::string, void*> loaded; // kept for the life of the process
    if (const auto m = loaded.find(name); m != loaded.end())
        return m->second;
    QString why;
    for (const QString& path : Module_Paths(name)) {
        if (!QFileInfo::exists(path))
            continue;
        if (void* handle = ::dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL))
            return loaded[name] = handle;
        why = QString::fromLocal8Bit(::dlerror());
    }
    throw Not_Indexable(QStringLiteral("The extractor's %1 module cannot be loaded%2")
                            .arg(QLatin1String(name), why.isEmpty()
                                                          ? QStringLiteral(": it is not installed.")
                                                          : QStringLiteral(": ") + why));
}

template <class Function> Function* Entry(const char* module, const char* name) {
    void* f = ::dlsym(Module(module), name);
    if (!f)
        throw Not_Indexable(QStringLiteral("The extractor's %1 module lacks %2.")
                                .arg(QLatin1String(module), QLatin1String(name)));
    return reinterpret_cast<Function*>(f);
}

using Reader = void(const QString&, const Settings&, Text_Sink&);
using Version = const char*();

} // namespace

void Pdf(const QString& path, const Settings& s, Text_Sink& out) {
    Entry<Reader>("pdf", SCROLLKIN_PDF_ENTRY)(path, s, out);
}

void Picture(const QString& path, const Settings& s, Text_Sink& out) {
    Entry<Reader>("ocr", SCROLLKIN_PICTURE_ENTRY)(path, s, out);
}

std::unique_ptr<Ocr_Engine> Make_Ocr(const QStringList& languages) {
    return std::unique_ptr<Ocr_Engine>(
        Entry<Ocr_Engine*(const QStringList&)>("ocr", SCROLLKIN_OCR_ENGINE)(languages));
}

QString Module_Versions() {
    QStringList versions;
    for (const auto& [module, library, entry] :
         {std::tuple{"pdf", "poppler", SCROLLKIN_PDF_VERSION},
          std::tuple{"ocr", "tesseract", SCROLLKIN_OCR_VERSION}}) {
        try {
            versions << QStringLiteral("%1 %2").arg(QLatin1String(library),
                                                    QLatin1String(Entry<Version>(module, entry)()));
        } catch (const Not_Indexable& e) {
            versions << QString::fromStdString(e.what());
        }
    }
    return versions.join(QStringLiteral(", "));
}

} // namespace extract
