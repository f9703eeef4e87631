// The program that draws every image the windows load from the application directory.
// Each drawing file registers its images with CALVORINE_IMAGE or registerImage; main()
// writes them all below the folder it is given. Changing the look means changing the code
// here: no image is kept as a hand-edited binary.
#pragma once

#include <QImage>
#include <QString>

#include <functional>

namespace imagegen {

// path: relative to the application directory, beginning with "/" ("/image/btn_close.png").
void registerImage(const QString& path, std::function<QImage()> draw);

struct Registrar {
    Registrar(const QString& path, std::function<QImage()> draw) { registerImage(path, std::move(draw)); }
};

} // namespace imagegen
