#include "registry.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMap>
#include <QStringList>

#include <cstdio>

namespace imagegen {

static QMap<QString, std::function<QImage()>>& registry() {
    static QMap<QString, std::function<QImage()>> images;
    return images;
}

// Paths registered by more than one drawing module: one look would silently replace the
// other, so the run fails instead.
static QStringList& duplicates() {
    static QStringList paths;
    return paths;
}

void registerImage(const QString& path, std::function<QImage()> draw) {
    if (registry().contains(path)) {
        duplicates().append(path);
    }
    registry().insert(path, std::move(draw));
}

} // namespace imagegen

int main(int argc, char** argv) {
    // Drawing text needs fonts but no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    int failures = 0;
    for (const QString& path : imagegen::duplicates()) {
        std::fprintf(stderr, "imagegen: %s is drawn by more than one module\n", qPrintable(path));
        ++failures;
    }
    const auto& images = imagegen::registry();
    for (auto it = images.cbegin(); it != images.cend(); ++it) {
        const QString target = root + it.key();
        QDir().mkpath(QFileInfo(target).absolutePath());
        const QImage image = it.value()();
        if (image.isNull() || !image.save(target)) {
            std::fprintf(stderr, "imagegen: could not write %s\n", qPrintable(target));
            ++failures;
        }
    }
    std::printf("imagegen: %d images written to %s\n", int(images.size()) - failures, qPrintable(root));
    return failures == 0 ? 0 : 1;
}
