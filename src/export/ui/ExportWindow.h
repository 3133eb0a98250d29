#pragma once

#include "export/ExportFormat.h"
#include "export/ExportOptions.h"
#include "export/ui/PersonPicker.h"

#include <QDialog>
#include <vector>

class QCheckBox;
class QGroupBox;
class QPushButton;
class QRadioButton;

namespace velmora {

class ListHost;

// The export window (frmExport): persons picked into lvwExport, the details
// ticked, the format chosen. OK hides the window, writes the export and opens
// the matching preview; every opening starts from all persons available,
// every box ticked and XHTML chosen.
class ExportWindow : public QDialog {
    Q_OBJECT
public:
    // The main window's person is preselected; cmdSearchResult works with
    // the main window's search result when its Search button is down.
    explicit ExportWindow(const MainListState &main, QWidget *parent = nullptr);
    // Shows the window modally over the main window.
    static void run(QWidget *parent, const ListHost &list);

    void loadLanguage();
    ExportOptions options() const;
    ExportFormat format() const;
    void setFormat(ExportFormat format);
    PersonPicker *picker() const { return m_picker; }

public slots:
    void accept() override;

private:
    QCheckBox *makeBox(QGroupBox *frame, const char *name);
    void addFormat(QGroupBox *frame, const char *name, const QString &caption, ExportFormat format);
    void updateOk();

    PersonPicker *m_picker = nullptr;
    QGroupBox *m_fraPerson = nullptr;
    QGroupBox *m_fraDetails = nullptr;
    QGroupBox *m_fraFormat = nullptr;
    QCheckBox *m_chkName = nullptr;
    QCheckBox *m_chkDateofbirth = nullptr;
    QCheckBox *m_chkAddress = nullptr;
    QCheckBox *m_chkPhone = nullptr;
    QCheckBox *m_chkPhoneDescription = nullptr;
    QCheckBox *m_chkEmail = nullptr;
    QCheckBox *m_chkEmailDescription = nullptr;
    QCheckBox *m_chkNote = nullptr;
    // The option buttons of the formats, in order.
    std::vector<std::pair<QRadioButton *, ExportFormat>> m_formats;
    QPushButton *m_cmdOK = nullptr;
    QPushButton *m_cmdCancel = nullptr;
};

} // namespace velmora
