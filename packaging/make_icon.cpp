// Writes the program's picture as PNG files for the desktop's icon theme:
//   scrollkin-make-icon OUTDIR SIZE...   -> OUTDIR/SIZExSIZE/scrollkin.png
#include "shell/ProgramLogo.h"

#include <QDir>
#include <QGuiApplication>
#include <QPixmap>

#include <cstdio>

int main(int argc, char** argv) {
    // Runs during the build, where there may be no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() < 2) {
        std::fputs("usage: scrollkin-make-icon OUTDIR SIZE...\n", stderr);
        return 2;
    }
    for (const QString& size : args.mid(1)) {
        const QString dir = QStringLiteral("%1/%2x%2").arg(args[0], size);
        QDir().mkpath(dir);
        if (!shell::Program_Logo(size.toInt()).save(dir + QStringLiteral("/scrollkin.png"))) {
            std::fprintf(stderr, "cannot write %s/scrollkin.png\n", qPrintable(dir));
            return 1;
        }
    }
    return 0;
}
