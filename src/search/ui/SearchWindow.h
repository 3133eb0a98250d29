#pragma once

#include "search/AdvancedSearch.h"
#include "search/SearchRows.h"

#include <QDialog>
#include <array>

class QComboBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace velmora {

class ListHost;

// The advanced search "frmSearch": one condition row per field. OK turns the
// rows into the search state and rebuilds the contact list; leaving the
// window without a search switches search mode off again. Shown modally by
// the main window right after search mode was switched on.
class SearchWindow : public QDialog {
    Q_OBJECT
public:
    explicit SearchWindow(ListHost *host, QWidget *parent = nullptr);
    // Shows the window modally over parent (the main window's search
    // command, once search mode is on).
    static void run(QWidget *parent, ListHost &list);

    void loadLanguage();
    // The rows as the user left them.
    SearchInput input() const;
    bool searchDone() const { return m_searchDone; }

public slots:
    void done(int result) override;

private slots:
    void ok();

private:
    struct Row {
        QGroupBox *frame = nullptr;
        QComboBox *operators = nullptr;
        QLineEdit *line = nullptr;       // single-line rows and the first date
        QPlainTextEdit *multi = nullptr; // address and note
    };
    Row &row(SearchRow r) { return m_rows[size_t(rowIndex(r))]; }
    const Row &row(SearchRow r) const { return m_rows[size_t(rowIndex(r))]; }
    QString rowText(SearchRow r) const;
    void buildRow(SearchRow r, const QString &name);
    void showFields(SearchRow r);
    void placeNameRows();

    ListHost *m_host;
    QString m_dateFormat;
    std::array<Row, kSearchRowCount> m_rows;
    QLabel *m_lblSplit = nullptr;
    QLineEdit *m_txtDate2 = nullptr;
    QLabel *m_lblDateFormat = nullptr;
    QPushButton *m_cmdOk = nullptr;
    QPushButton *m_cmdCancel = nullptr;
    QGridLayout *m_grid = nullptr;
    bool m_searchDone = false;
    bool m_closed = false;
};

} // namespace velmora
