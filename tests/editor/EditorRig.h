// An editor stand-in for the tests: a playback controller, the settings holder, the
// preview pane, the trim tab and the transport bar in one top-level window of the
// editor's size, wired as the editor window wires them, and the file loaded as the
// editor loads it (tags and chapters into the record, the record pushed whole).
#pragma once

#include "editor/QMediaForm.h"
#include "editor/QPlayerOperationForm.h"
#include "editor/QTrimOperationForm.h"
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

    void wire() {
        RZPlayerManager* P = &manager;
        QObject::connect(P, &RZPlayerManager::emitPlayFinish, bar, &QPlayerOperationForm::playFinish);
        QObject::connect(P, &RZPlayerManager::emitPlayFinish, trim, &QTrimOperationForm::playFinish);
        QObject::connect(P, &RZPlayerManager::emitPlayProgress, bar, &QPlayerOperationForm::setPlayProcess);
        QObject::connect(P, &RZPlayerManager::emitPlayProgress, trim, &QTrimOperationForm::setPlayProcess);
        QObject::connect(P, &RZPlayerManager::emitPlayTime, bar, &QPlayerOperationForm::setTime);
        QObject::connect(P, &RZPlayerManager::emitPlayTime2, trim, &QTrimOperationForm::setTime);
        QObject::connect(P, QOverload<bool>::of(&RZPlayerManager::emitPlayState), bar,
                         &QPlayerOperationForm::showPlayOrPause);
        QObject::connect(P, QOverload<bool>::of(&RZPlayerManager::emitPlayState), trim,
                         &QTrimOperationForm::showPlayOrPause);
        QObject::connect(P, &RZPlayerManager::emitTrimPlayState, trim, &QTrimOperationForm::showTrimPlayOrPause);
        QObject::connect(P, &RZPlayerManager::emitStartEndProgressValue, trim,
                         &QTrimOperationForm::setStartEndProgressValue);
        QObject::connect(P, &RZPlayerManager::emitTrimTimeChange, trim, &QTrimOperationForm::trimTimeChange);
        QObject::connect(bar, &QPlayerOperationForm::emitPlay, P, &RZPlayerManager::onPlay);
        QObject::connect(bar, &QPlayerOperationForm::emitPause, P, &RZPlayerManager::onPause);
        QObject::connect(bar, &QPlayerOperationForm::emitStop, P, &RZPlayerManager::onStop);
        QObject::connect(bar, &QPlayerOperationForm::emitProgressValue, P, &RZPlayerManager::progressValueChange);
        QObject::connect(bar, &QPlayerOperationForm::emitSliderPress, P, &RZPlayerManager::beginAsyncSeek);
        QObject::connect(bar, &QPlayerOperationForm::emitSliderRelease, P, &RZPlayerManager::endAsyncSeek);
        QObject::connect(trim, &QTrimOperationForm::emitTrimPlay, P, &RZPlayerManager::onTrimPlay);
        QObject::connect(trim, &QTrimOperationForm::emitPause, P, &RZPlayerManager::onPause);
        QObject::connect(trim, &QTrimOperationForm::emitTrimPause, P, &RZPlayerManager::onTrimPause);
        QObject::connect(trim, &QTrimOperationForm::emitStop, P, &RZPlayerManager::onStop);
        QObject::connect(trim, &QTrimOperationForm::emitPlay, P, &RZPlayerManager::onPlay);
        QObject::connect(trim, &QTrimOperationForm::emitSliderSendPlayProToPlay, P,
                         &RZPlayerManager::progressValueChange);
        QObject::connect(trim, &QTrimOperationForm::emitSliderMousePress, P, &RZPlayerManager::beginAsyncSeek);
        QObject::connect(trim, &QTrimOperationForm::emitSliderMouseRelease, P, &RZPlayerManager::endAsyncSeek);
        QObject::connect(trim, &QTrimOperationForm::emitPreviousStep, P, &RZPlayerManager::onPreviousStep);
        QObject::connect(trim, &QTrimOperationForm::emitNextStep, P, &RZPlayerManager::onNextStep);
        QObject::connect(trim, &QTrimOperationForm::emitTrim, P, &RZPlayerManager::onTrim);
        QObject::connect(trim, &QTrimOperationForm::emitTrimChapter, P, &RZPlayerManager::onTrimChapter);
        QObject::connect(trim, &QTrimOperationForm::emitReset, P, &RZPlayerManager::onReset);
    }

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

    QWidget window;
    RZPlayerManager manager;
    RZInfoManager info;
    QVideoEditingSettings settings;
    QMediaForm* pane = nullptr;
    QTrimOperationForm* trim = nullptr;
    QPlayerOperationForm* bar = nullptr;
};
