#pragma once

#include <QList>
#include <QString>

// The help window's topics: tag, button caption and page text (rich text).
struct HelpTopic
{
    int tag;
    QString caption;
    QString page;
};

// In the order of the topic buttons.
QList<HelpTopic> helpTopics();
