// Build-time tool: writes the program icon as the PNG sizes that desktop icon themes look up,
// <folder>/<n>x<n>/apps/vantrel-local.png, so the installed icon is the one the program shows.
#include "resources/Resources.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <cstdio>

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT-FOLDER\n", argv[0]);
        return 2;
    }
    const QString output = QString::fromLocal8Bit(argv[1]);
    const QIcon icon = LoadIconResource(QStringLiteral("PROGRAM"));
    if (icon.isNull()) {
        std::fprintf(stderr, "the program icon is missing\n");
        return 1;
    }
    for (const int size : {16, 32}) {
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(output).arg(size);
        QImage image = icon.pixmap(size, size).toImage();
        // An icon that has only a smaller picture hands that back; the theme wants the exact size.
        if (image.size() != QSize(size, size))
            image = image.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        if (!QDir().mkpath(folder) || !image.save(folder + QStringLiteral("/vantrel-local.png"))) {
            std::fprintf(stderr, "cannot write the %dx%d icon into %s\n", size, size, qPrintable(folder));
            return 1;
        }
    }
    return 0;
}
