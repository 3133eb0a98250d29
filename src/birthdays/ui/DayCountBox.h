#pragma once

#include <QAbstractSpinBox>

class QLineEdit;

namespace velmora {

// A number of days: a text box that takes only the digits 0 to 9, with
// up-down arrows that step the number in it. The box may be empty (no
// number). The arrows, the Up and Down keys and the wheel step by one
// between 0 and maximum().
class DayCountBox : public QAbstractSpinBox {
    Q_OBJECT
public:
    explicit DayCountBox(QWidget *parent = nullptr);

    QString text() const;
    void setText(const QString &text);
    QLineEdit *textBox() const { return lineEdit(); }
    int maximum() const { return m_maximum; }

    void stepBy(int steps) override;
    QValidator::State validate(QString &input, int &pos) const override;
    QSize sizeHint() const override;

protected:
    StepEnabled stepEnabled() const override;

private:
    int m_maximum = 32767;
};

} // namespace velmora
