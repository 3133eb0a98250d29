#include "birthdays/ui/DayCountBox.h"

#include "birthdays/ReminderOptions.h"

#include <QLineEdit>

#include <algorithm>

namespace velmora {

DayCountBox::DayCountBox(QWidget *parent) : QAbstractSpinBox(parent)
{
    setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    setAccelerated(true);
    setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
}

QString DayCountBox::text() const
{
    return lineEdit()->text();
}

void DayCountBox::setText(const QString &text)
{
    lineEdit()->setText(text);
}

void DayCountBox::stepBy(int steps)
{
    bool ok = false;
    qint64 value = text().trimmed().toLongLong(&ok);
    if (!ok)
        value = 0;
    value = std::clamp<qint64>(value + steps, 0, m_maximum);
    setText(QString::number(value));
    lineEdit()->selectAll();
}

QValidator::State DayCountBox::validate(QString &input, int &) const
{
    return ReminderOptions::isDayText(input) ? QValidator::Acceptable : QValidator::Invalid;
}

QSize DayCountBox::sizeHint() const
{
    // Room for five digits and the arrows.
    QSize size = QAbstractSpinBox::sizeHint();
    const int digits = fontMetrics().horizontalAdvance(QStringLiteral("00000"));
    size.setWidth(qMax(size.width(), digits + 36));
    return size;
}

QAbstractSpinBox::StepEnabled DayCountBox::stepEnabled() const
{
    if (isReadOnly() || !isEnabled())
        return StepNone;
    bool ok = false;
    const qint64 value = text().trimmed().toLongLong(&ok);
    if (!ok)
        return StepUpEnabled;
    StepEnabled e = StepNone;
    if (value < m_maximum)
        e |= StepUpEnabled;
    if (value > 0)
        e |= StepDownEnabled;
    return e;
}

} // namespace velmora
