#pragma once

#include <QObject>

// The game host. Every copy has one; only the hosting copy switches it on.
class TServer : public QObject
{
    Q_OBJECT

public:
    explicit TServer(QObject *parent = nullptr);
};
