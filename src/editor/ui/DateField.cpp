#include "editor/ui/DateField.h"

#include "editor/DateOfBirth.h"

#include <QFocusEvent>
#include <QMouseEvent>
#include <QTimer>

namespace velmora {

DateField::DateField(QWidget *parent) : QLineEdit(parent)
{
    setDateFormat(QStringLiteral("dd/mm/yyyy"));
}

void DateField::setDateFormat(const QString &dateFormat)
{
    m_dateFormat = dateFormat;
    setInputMask(DateOfBirth::inputMask(dateFormat));
    clear();
}

QString DateField::fieldText() const
{
    QString text = displayText();
    text.remove(QLatin1Char('_'));
    return text;
}

void DateField::setDate(const QDate &date)
{
    const QString text = DateOfBirth::fieldText(date, m_dateFormat);
    if (text.isEmpty())
        clear();
    else
        setText(text);
}

// An empty field takes the typing at its first digit, wherever it was
// clicked or entered.
void DateField::caretToStartWhenEmpty()
{
    if (fieldText() == QLatin1String("//") && !hasSelectedText())
        setCursorPosition(0);
}

void DateField::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    // The line edit places the caret after this event; adjust it afterwards.
    QTimer::singleShot(0, this, &DateField::caretToStartWhenEmpty);
}

void DateField::mouseReleaseEvent(QMouseEvent *event)
{
    QLineEdit::mouseReleaseEvent(event);
    caretToStartWhenEmpty();
}

} // namespace velmora
