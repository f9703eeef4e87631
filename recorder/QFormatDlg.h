// The output-format chooser: category buttons, the tile list of the catalogue's
// profiles with a search box, the quality preset ("High Quality", "Small Size",
// "Customized") and the custom settings panel that slides up over the list. OK stores
// the choice (settings file, format-setting file) and reloads the mode's current
// format. One instance per process, which the main window releases and creates afresh
// each time it opens the chooser or resets the format. GUI thread only.
#pragma once

#include "recorder/QIconListModel.h"
#include "toolkit/QRZDialog.h"

#include <string>
#include <vector>

class QFormatChunk;
class QFormatListDelegate;
class QFormatSettingDlg;
class QFormatSortModel;
class QFormatType;
class QRZBaseButton;
class QRZComboBox;
class QRZItemButtonList;
class QRZLineEdit;
class QRZListView;
class QRZScrollBar;
class QRZStyleButton;

class QFormatDlg : public QRZDialogEx {
    Q_OBJECT
public:
    // The process-wide chooser, created with `parent` on the first call.
    static QFormatDlg* getInstance(QWidget* parent = nullptr);
    // Deletes the chooser when there is one; the next getInstance builds a fresh one.
    static void releaseInstance();

    // Prepares the chooser for a mode: its categories, and the stored category and
    // profile of that mode selected.
    void loadDefaultFormat(bool video);
    // Makes the tile whose profile id (decimal) equals `id` current (the last such row).
    void selectFormatById(const QString& id);
    void showSettingPanel(bool open, bool place);
    void setCustomizedItem(bool present);
    void refreshCustomizedItem(const QString& id);
    void applyQualityMode(int mode);

    bool isVideoMode() const { return m_video; }
    bool isSettingPanelOpen() const { return m_panelOpen; }
    QFormatType* categoryBar() const { return m_types; }
    QRZListView* listView() const { return m_listView; }
    QFormatSortModel* proxyModel() const { return m_proxy; }
    QFormatSettingDlg* settingPanel() const { return m_settingDlg; }
    QRZComboBox* qualityCombo() const { return m_cmbQuality; }
    QRZLineEdit* searchEdit() const { return m_editSearch; }
    QRZBaseButton* okButton() const { return m_btnOk; }
    QRZBaseButton* cancelButton() const { return m_btnCancel; }
    QRZStyleButton* settingsButton() const { return m_settingButton; }

public slots:
    void OnBtnOk();
    void OnBtnCancel();
    void changeCategories(const QString& name);
    void OnSetting(const QModelIndex& index);
    void doubleClickItemView(const QModelIndex& index);
    void itemChange(const QModelIndex& proxyIndex);
    void OnQualityChange(int row);
    void settingValueChanged();
    void OnSearchString(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void relayout() override;

private:
    explicit QFormatDlg(QWidget* parent);
    ~QFormatDlg() override;
    void buildRecords();
    void setUpList();

    QRZBaseButton* m_btnCancel;
    QRZBaseButton* m_btnOk;
    QRZListView* m_listView;
    QFormatSettingDlg* m_settingDlg;
    QRZComboBox* m_cmbQuality;
    QRZLineEdit* m_editSearch;

    QFormatType* m_types = nullptr;
    std::vector<std::string> m_categories;
    QRZScrollBar* m_scrollBar = nullptr;
    std::vector<IBaseChunk*> m_records;
    QIconListModel m_model;
    QFormatSortModel* m_proxy = nullptr;
    QRZItemButtonList* m_buttonList = nullptr;
    QRZStyleButton* m_settingButton = nullptr;
    QFormatListDelegate* m_delegate = nullptr;
    bool m_video = true;
    bool m_suppressQualityChange = false;
    bool m_panelOpen = false;
};
