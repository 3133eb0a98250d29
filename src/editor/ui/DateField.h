#pragma once

#include <QDate>
#include <QLineEdit>

namespace velmora {

// The masked date of birth field: two-digit day and month and a four-digit
// year in the order of the date format, each empty digit shown as "_", the
// slashes fixed.
class DateField : public QLineEdit {
    Q_OBJECT
public:
    explicit DateField(QWidget *parent = nullptr);

    // "dd/mm/yyyy", "mm/dd/yyyy" or "yyyy/mm/dd". Empties the field.
    void setDateFormat(const QString &dateFormat);
    QString dateFormat() const { return m_dateFormat; }

    // What was typed: the field without its prompt characters ("//" when
    // nothing was typed, "1/12/1970" for a single day digit).
    QString fieldText() const;
    // Shows a stored date (nothing for an invalid one).
    void setDate(const QDate &date);

protected:
    void focusInEvent(QFocusEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void caretToStartWhenEmpty();
    QString m_dateFormat;
};

} // namespace velmora
