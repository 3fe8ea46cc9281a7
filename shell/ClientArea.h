#pragma once

#include <QSize>
#include <QWidget>

namespace qinglan {

// The client area of a window: it asks for its design size and reports every
// resize, so that the window can place its controls by hand.
class ClientArea final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ClientArea)

public:
    ClientArea(QSize designSize, QWidget* parent) : QWidget(parent), m_designSize(designSize) {}

    QSize sizeHint() const override { return m_designSize; }

signals:
    void Resized();

protected:
    void resizeEvent(QResizeEvent* event) override {
        QWidget::resizeEvent(event);
        emit Resized();
    }

private:
    const QSize m_designSize;
};

} // namespace qinglan
