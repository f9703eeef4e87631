// What a test keeps for a person to look at (screenshots of each state): files under the
// build folder's test-output/, whose path the test target gives as CALVORINE_TEST_OUTPUT_DIR.
#pragma once

#include <QDir>
#include <QString>

namespace testoutput {

// The path of test-output/<name>.png, its folder made.
inline QString pngPath(const QString& name) {
    const QString folder = QStringLiteral(CALVORINE_TEST_OUTPUT_DIR);
    QDir().mkpath(folder);
    return folder + QLatin1Char('/') + name + QStringLiteral(".png");
}

} // namespace testoutput
