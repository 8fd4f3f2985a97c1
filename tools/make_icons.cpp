// Writes the application icon in the sizes of the hicolor icon theme:
// make_icons <icon.png> <folder> <size>... -> <folder>/<size>x<size>/apps/orvanta.png

#include <QDir>
#include <QGuiApplication>
#include <QImage>

#include <cstdio>

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: make_icons <icon.png> <folder> <size>...\n");
        return 2;
    }
    const QImage icon(QString::fromLocal8Bit(argv[1]));
    if (icon.isNull()) {
        std::fprintf(stderr, "make_icons: cannot read %s\n", argv[1]);
        return 1;
    }
    for (int i = 3; i < argc; ++i) {
        const int size = QByteArray(argv[i]).toInt();
        const QString dir =
            QStringLiteral("%1/%2x%2/apps").arg(QString::fromLocal8Bit(argv[2])).arg(size);
        const QImage scaled = size == icon.width() ? icon
                                                   : icon.scaled(size, size, Qt::KeepAspectRatio,
                                                                 Qt::SmoothTransformation);
        if (size <= 0 || !QDir().mkpath(dir) ||
            !scaled.save(dir + QStringLiteral("/orvanta.png"))) {
            std::fprintf(stderr, "make_icons: cannot write the %s pixel icon\n", argv[i]);
            return 1;
        }
    }
    return 0;
}
