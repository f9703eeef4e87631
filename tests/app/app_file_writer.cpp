// Helper of test_app_files: saves the settings, history and format-setting files in a
// loop until it is killed. Prints one line once the loop runs.
#include "app/FormatSettingFile.h"
#include "app/HistoryFile.h"
#include "app/SettingsFile.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    for (long i = 0;; ++i) {
        const QString number = QString::number(i);
        writeSettingValue(QStringLiteral("FIRST"), QStringLiteral("value"), number);
        // Bulky content so that a save takes long enough to be interrupted.
        for (int k = 0; k < 20; ++k) {
            writeSettingValue(QStringLiteral("SECTION_%1").arg(k), QStringLiteral("key"), number.repeated(50));
        }
        HistoryXmlItem item;
        item.mediaPath = QStringLiteral("/v/%1.mp4").arg(i % 200);
        item.title = number.repeated(20);
        addHistoryItem(item);
        FormatSetting setting;
        setting.videoBitRate = number;
        writeFormatSetting(QString::number(4000 + i % 50), setting);
        if (i == 0) {
            std::printf("saving\n");
            std::fflush(stdout);
        }
    }
}
