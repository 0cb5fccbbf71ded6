#pragma once

#include <QDialog>

class QPlainTextEdit;

// The windowed program's error display: a small window that lists what went
// wrong, shown without blocking, so a burst of bad messages from a peer
// never stacks up boxes to click away.
class ErrorWindow : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kMaxLines = 200;

    explicit ErrorWindow(QWidget *parent = nullptr);
    void report(const QString &message);

private:
    QPlainTextEdit *m_text = nullptr;
};
