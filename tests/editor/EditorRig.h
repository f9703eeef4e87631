// An editor stand-in for the tests: a playback controller, the settings holder, the
// preview pane, the trim tab and the transport bar in one top-level window of the
// editor's size, wired by the editor window's own wiring, and the file loaded as the
// editor loads it (tags and chapters into the record, the record pushed whole).
#pragma once

#include "editor/QMediaForm.h"
#include "editor/QPlayerOperationForm.h"
#include "editor/QTrimOperationForm.h"
#include "editor/QVideoEditingDlg.h"
#include "editor/QVideoEditingSettings.h"
#include "media/RZInfoManager.h"
#include "media/RZPlayerManager.h"

#include <QTest>
#include <QWidget>

struct EditorRig {
    EditorRig() {
        window.setGeometry(150, 100, 686, 540);
        manager.createPlayer(true);
        settings.setPlayerManager(&manager);
        pane = new QMediaForm(&manager, &window);
        trim = new QTrimOperationForm(&window);
        trim->setSettings(&settings);
        bar = new QPlayerOperationForm(&window);
        trim->setGeometry(6, 540 - 56 - 86, 686 - 12, 86);
        bar->setGeometry(6, 540 - 56 - 128 - 6 - 26, 686 - 12, 26);
        bar->hide();
        pane->setGeometry(0, 55, 686, trim->y() - 55);
        wire();
    }

    void wire() { QVideoEditingDlg::connectTransport(&manager, bar, trim); }

    // Opens the file as the editor does; `config` may carry an earlier edit.
    bool load(const QString& path, VEEditConfig config = VEEditConfig()) {
        window.show();
        if (!QTest::qWaitForWindowExposed(&window)) {
            return false;
        }
        info.ensureInfo();
        info.open(path);
        const bool opened = manager.openFileInNewPlayer(path, info.info()->openHintA(), info.info()->openHintB(), 3);
        if (config.chapters.isEmpty()) {
            config.chapters = info.chapterList();
        }
        settings.setEditConfig(config);
        trim->loadingSetting();
        return opened;
    }

    RZPlayerManager manager;
    RZInfoManager info;
    QVideoEditingSettings settings;
    // Last, so that it goes first and takes its forms with it before the controller and
    // the settings they point at go, as in the editor.
    QWidget window;
    QMediaForm* pane = nullptr;
    QTrimOperationForm* trim = nullptr;
    QPlayerOperationForm* bar = nullptr;
};
