// Driving the format chooser as its user would: tiles picked by profile id, panel combos
// chosen by their values.
#pragma once

#include "recorder/FormatList.h"
#include "recorder/QFormatDlg.h"
#include "recorder/QFormatSettingDlg.h"
#include "toolkit/QRZComboBox.h"
#include "toolkit/QRZListView.h"

#include <QtTest>

namespace choosertest {

// The list's row of a profile, or an invalid index when the tile is not shown.
inline QModelIndex tileOf(QFormatDlg* dialog, int id) {
    QAbstractItemModel* model = dialog->listView()->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        const QModelIndex index = model->index(row, 0);
        IBaseChunk* record = chunkOfIndex(index);
        if (record && record->intA() == id)
            return index;
    }
    return QModelIndex();
}

inline QStringList shownTitles(QFormatDlg* dialog) {
    QStringList titles;
    QAbstractItemModel* model = dialog->listView()->model();
    for (int row = 0; row < model->rowCount(); ++row)
        titles << model->index(row, 0).data().toString();
    return titles;
}

// A user's choice in a combo: the row whose item data (or text) is `value`.
inline bool choose(QRZComboBox* combo, const QString& value, bool byItemData) {
    const int row = byItemData ? combo->findData(value) : combo->findText(value);
    if (row < 0)
        return false;
    combo->setCurrentIndex(row);
    emit combo->activated(row);
    return true;
}

} // namespace choosertest
