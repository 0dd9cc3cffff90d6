#pragma once

#include "settings.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <optional>

class QCheckBox;
class QComboBox;

// The start-up window state chosen with chkAutoConn and cboStatus.
class StartupStatus : public QObject {
    Q_OBJECT

public:
    // Fills cboStatus with its three entries, none selected, and follows
    // chkAutoConn's state changes (programmatic ones included).
    StartupStatus(QCheckBox *chkAutoConn, QComboBox *cboStatus, QObject *parent = nullptr);

    // PonEstado ("set state") selects the entry of cboStatus for a state; GuardaEstado
    // ("save state") gives the state of the entry selected, none while none is.
    void PonEstado(StartState ElEstado);
    std::optional<StartState> GuardaEstado() const;

public Q_SLOTS:
    void chkAutoConn_Click();

private:
    QPointer<QCheckBox> m_chkAutoConn;
    QPointer<QComboBox> m_cboStatus;
};
