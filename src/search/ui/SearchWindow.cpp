#include "search/ui/SearchWindow.h"

#include "app/Prompts.h"
#include "app/Seams.h"
#include "editor/DateOfBirth.h"
#include "mainwindow/SearchState.h"
#include "mainwindow/ui/ListHost.h"
#include "settings/Settings.h"
#include "settings/Translate.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace velmora {

namespace {

// Keeps a field's place in its row while it is hidden, so the rows stay
// aligned whatever operator is chosen.
void keepPlaceWhenHidden(QWidget *w)
{
    QSizePolicy policy = w->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    w->setSizePolicy(policy);
}

} // namespace

SearchWindow::SearchWindow(ListHost *host, QWidget *parent) : QDialog(parent), m_host(host)
{
    setObjectName(QStringLiteral("frmSearch"));
    setModal(true);

    buildRow(SearchRow::Firstname, QStringLiteral("Firstname"));
    buildRow(SearchRow::Lastname, QStringLiteral("Lastname"));
    buildRow(SearchRow::Dateofbirth, QStringLiteral("Date"));
    buildRow(SearchRow::Address, QStringLiteral("Address"));
    buildRow(SearchRow::Phone, QStringLiteral("Phone"));
    buildRow(SearchRow::Email, QStringLiteral("Email"));
    buildRow(SearchRow::Note, QStringLiteral("Note"));
    row(SearchRow::Dateofbirth).frame->setObjectName(QStringLiteral("fraDateofbirth"));

    // The date row: first date, "-", second date, then the format.
    Row &date = row(SearchRow::Dateofbirth);
    m_lblSplit = new QLabel(QStringLiteral("-"), date.frame);
    m_lblSplit->setObjectName(QStringLiteral("lblSplit"));
    m_txtDate2 = new QLineEdit(date.frame);
    m_txtDate2->setObjectName(QStringLiteral("txtDate2"));
    m_lblDateFormat = new QLabel(date.frame);
    m_lblDateFormat->setObjectName(QStringLiteral("lblDateFormat"));
    auto *dateLayout = static_cast<QHBoxLayout *>(date.frame->layout());
    dateLayout->setStretchFactor(date.line, 0);
    dateLayout->addWidget(m_lblSplit);
    dateLayout->addWidget(m_txtDate2);
    dateLayout->addWidget(m_lblDateFormat);
    dateLayout->addStretch(1);
    for (QWidget *w : {static_cast<QWidget *>(date.line), static_cast<QWidget *>(m_lblSplit),
                       static_cast<QWidget *>(m_txtDate2)})
        keepPlaceWhenHidden(w);

    m_cmdOk = new QPushButton(this);
    m_cmdOk->setObjectName(QStringLiteral("cmdOk"));
    m_cmdCancel = new QPushButton(this);
    m_cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    // OK is not the default button: Enter in a field does not start the
    // search. Esc is Cancel.
    m_cmdOk->setAutoDefault(false);
    m_cmdCancel->setAutoDefault(false);
    connect(m_cmdOk, &QPushButton::clicked, this, &SearchWindow::ok);
    connect(m_cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    m_grid = new QGridLayout;
    m_grid->setHorizontalSpacing(12);
    m_grid->setVerticalSpacing(8);
    m_grid->addWidget(row(SearchRow::Firstname).frame, 0, 0);
    m_grid->addWidget(row(SearchRow::Lastname).frame, 0, 1);
    m_grid->addWidget(row(SearchRow::Dateofbirth).frame, 1, 0, 1, 2);
    m_grid->addWidget(row(SearchRow::Phone).frame, 2, 0);
    m_grid->addWidget(row(SearchRow::Email).frame, 2, 1);
    m_grid->addWidget(row(SearchRow::Address).frame, 3, 0);
    m_grid->addWidget(row(SearchRow::Note).frame, 3, 1);
    m_grid->setColumnStretch(0, 1);
    m_grid->setColumnStretch(1, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_cmdOk);
    buttons->addWidget(m_cmdCancel);

    auto *outer = new QVBoxLayout(this);
    outer->addLayout(m_grid);
    outer->addLayout(buttons);

    // Opening: captions, date format and masks, operators, name order.
    loadLanguage();

    m_dateFormat = getSetting(QStringLiteral("Date"));
    m_lblDateFormat->setText(QLatin1Char('(') + m_dateFormat + QLatin1Char(')'));
    date.line->setInputMask(DateOfBirth::inputMask(m_dateFormat));
    m_txtDate2->setInputMask(DateOfBirth::inputMask(m_dateFormat));
    // Wide enough for a whole date, whatever the font.
    const int dateWidth = date.line->fontMetrics().horizontalAdvance(QStringLiteral("0000/00/000")) + 16;
    date.line->setFixedWidth(dateWidth);
    m_txtDate2->setFixedWidth(dateWidth);

    for (SearchRow r : kSearchRows) {
        QComboBox *cbo = row(r).operators;
        for (const QString &item : searchOperators(r))
            cbo->addItem(T(item));
        connect(cbo, &QComboBox::currentIndexChanged, this, [this, r] { showFields(r); });
        cbo->setCurrentIndex(initialSearchOperator(r));
        showFields(r);
    }

    // The operator lists share one width, so the text fields of the rows
    // line up.
    int operatorWidth = 0;
    for (SearchRow r : kSearchRows)
        operatorWidth = std::max(operatorWidth, row(r).operators->sizeHint().width());
    for (SearchRow r : kSearchRows)
        row(r).operators->setFixedWidth(operatorWidth);

    placeNameRows();
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
}

void SearchWindow::buildRow(SearchRow r, const QString &name)
{
    Row &x = row(r);
    x.frame = new QGroupBox(this);
    x.frame->setObjectName(QStringLiteral("fra") + name);
    x.operators = new QComboBox(x.frame);
    x.operators->setObjectName(QStringLiteral("cbo") + name);
    x.operators->setSizeAdjustPolicy(QComboBox::AdjustToContents);

    auto *layout = new QHBoxLayout(x.frame);
    layout->addWidget(x.operators, 0, Qt::AlignTop);
    QWidget *field = nullptr;
    if (searchTextMultiLine(r)) {
        x.multi = new QPlainTextEdit(x.frame);
        x.multi->setTabChangesFocus(true);
        x.multi->setFixedHeight(x.multi->fontMetrics().lineSpacing() * 4 + 12);
        field = x.multi;
    } else {
        x.line = new QLineEdit(x.frame);
        if (const int limit = searchTextLimit(r))
            x.line->setMaxLength(limit);
        field = x.line;
    }
    field->setObjectName(QStringLiteral("txt") + name);
    keepPlaceWhenHidden(field);
    layout->addWidget(field, 1);
}

void SearchWindow::loadLanguage()
{
    setWindowTitle(T("Search"));
    for (SearchRow r : kSearchRows)
        row(r).frame->setTitle(T(searchRowCaption(r)));
    m_cmdOk->setText(T("OK"));
    m_cmdCancel->setText(T("Cancel"));
    // The operator items keep their positions; only their texts change.
    for (SearchRow r : kSearchRows) {
        QComboBox *cbo = row(r).operators;
        const QStringList items = searchOperators(r);
        for (int i = 0; i < cbo->count() && i < items.size(); ++i)
            cbo->setItemText(i, T(items.at(i)));
    }
}

void SearchWindow::showFields(SearchRow r)
{
    const SearchFieldsShown shown = searchFieldsShown(r, row(r).operators->currentIndex());
    const Row &x = row(r);
    QWidget *field = x.line ? static_cast<QWidget *>(x.line) : static_cast<QWidget *>(x.multi);
    field->setVisible(shown.text);
    if (r == SearchRow::Dateofbirth) {
        m_lblSplit->setVisible(shown.split);
        m_txtDate2->setVisible(shown.text2);
    }
}

void SearchWindow::placeNameRows()
{
    // The designed layout has the first name at the left; "Last name First
    // name" exchanges the two rows. Any other value keeps the design.
    const bool lastFirst = searchLastNameFirst(getSetting(QStringLiteral("List")));
    const Row &left = row(lastFirst ? SearchRow::Lastname : SearchRow::Firstname);
    const Row &right = row(lastFirst ? SearchRow::Firstname : SearchRow::Lastname);
    m_grid->removeWidget(left.frame);
    m_grid->removeWidget(right.frame);
    m_grid->addWidget(left.frame, 0, 0);
    m_grid->addWidget(right.frame, 0, 1);

    // Tab order: the left name row, the right one, then the other rows as
    // they stand, reading left to right and top to bottom.
    QList<QWidget *> chain = {left.operators, left.line, right.operators, right.line};
    for (SearchRow r :
         {SearchRow::Dateofbirth, SearchRow::Phone, SearchRow::Email, SearchRow::Address, SearchRow::Note}) {
        chain << row(r).operators;
        chain << (row(r).line ? static_cast<QWidget *>(row(r).line) : static_cast<QWidget *>(row(r).multi));
        if (r == SearchRow::Dateofbirth)
            chain << m_txtDate2;
    }
    chain << m_cmdOk << m_cmdCancel;
    for (qsizetype i = 1; i < chain.size(); ++i)
        setTabOrder(chain.at(i - 1), chain.at(i));
    // The window opens with the operator list of the left name row.
    left.operators->setFocus();
}

QString SearchWindow::rowText(SearchRow r) const
{
    const Row &x = row(r);
    if (x.multi)
        return x.multi->toPlainText();
    // The date fields show "_" in every empty digit position; the search
    // reads the text without them.
    return x.line->inputMask().isEmpty() ? x.line->text() : x.line->displayText();
}

SearchInput SearchWindow::input() const
{
    SearchInput in;
    in.dateFormat = m_dateFormat;
    for (SearchRow r : kSearchRows) {
        in.opOf(r) = row(r).operators->currentIndex();
        in.textOf(r) = rowText(r);
    }
    in.date2 = m_txtDate2->displayText();
    return in;
}

void SearchWindow::ok()
{
    AdvancedSearch search(searchState());
    switch (search.apply(input())) {
    case AdvancedSearch::Outcome::InvalidDate:
        // The window stays open with everything the user typed.
        prompts().message(AdvancedSearch::invalidDateMessage(), AdvancedSearch::invalidDateTitle(),
                          Icon::Exclamation, Buttons::Ok);
        return;
    case AdvancedSearch::Outcome::Search:
        // No person is shown while the results come in; the list selects
        // and shows the first match.
        m_searchDone = true;
        m_host->hideDetails();
        hide();
        m_host->fillPersonList();
        break;
    case AdvancedSearch::Outcome::NoCondition:
        break;
    }
    accept();
}

void SearchWindow::done(int result)
{
    // Leaving the window without a search (Cancel, Esc, the frame's close
    // button, or OK with nothing to search for) switches search mode off;
    // the list still shows every person and is not rebuilt.
    if (!m_closed && !m_searchDone) {
        m_closed = true;
        searchState().condition.clear();
        if (m_host)
            m_host->setSearchMode(false);
    }
    m_closed = true;
    QDialog::done(result);
}

void SearchWindow::run(QWidget *parent, ListHost &list)
{
    SearchWindow window(&list, parent);
    window.exec();
}

} // namespace velmora
