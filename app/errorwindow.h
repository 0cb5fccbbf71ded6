#pragma once

#include "app/errorlog.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>

class QPlainTextEdit;

// The windowed program's error display: a small window that lists what went
// wrong, shown without blocking, so a burst of bad messages from a peer
// never stacks up boxes to click away. What it lists and when it may show
// again is the ErrorLog's; the list is drawn at most every kRefreshMs.
class ErrorWindow : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kRefreshMs = 100;

    explicit ErrorWindow(QWidget *parent = nullptr);
    void report(const QString &message);
    // The lines on screen.
    QString text() const;

protected:
    void hideEvent(QHideEvent *event) override;

private:
    void refresh();

    ErrorLog m_log;
    QPlainTextEdit *m_text = nullptr;
    QTimer m_refresh;
    QElapsedTimer m_clock;
};
