#pragma once

#include "usermessages.h"

class QWidget;

// The program's messages as modal message boxes over `parent`.
class DialogMessages : public UserMessages {
public:
    explicit DialogMessages(QWidget *parent)
        : m_parent(parent) {}
    void show(const QString &text, const QString &caption, Icon icon) override;

private:
    QWidget *m_parent;
};
