// Build-time tool: converts one of our XPM pictures into a PNG for the desktop's icon theme.
#include <QImage>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s INPUT.xpm OUTPUT.png\n", argv[0]);
        return 2;
    }
    const QImage picture(QString::fromLocal8Bit(argv[1]));
    if (picture.isNull()) {
        std::fprintf(stderr, "%s: not a readable picture\n", argv[1]);
        return 1;
    }
    return picture.save(QString::fromLocal8Bit(argv[2]), "PNG") ? 0 : 1;
}
