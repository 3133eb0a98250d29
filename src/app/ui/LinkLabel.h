#pragma once

#include <QLabel>

namespace velmora {

// A label that shows its text as a link and reports a left click. Its text
// stays the plain address, so the click handler can open what is shown.
class LinkLabel : public QLabel {
    Q_OBJECT
public:
    explicit LinkLabel(QWidget *parent = nullptr);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void applyLook();
};

} // namespace velmora
