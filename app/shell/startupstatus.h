#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class QCheckBox;
class QComboBox;

// The start-up window state chosen with chkAutoConn and cboStatus, and its
// translation to and from the status words of the settings file.
class StartupStatus : public QObject {
    Q_OBJECT

public:
    // Fills cboStatus with its three entries, none selected, and follows
    // chkAutoConn's state changes (programmatic ones included).
    StartupStatus(QCheckBox *chkAutoConn, QComboBox *cboStatus, QObject *parent = nullptr);

    // PonEstado ("set state") selects the entry of cboStatus for a saved word; GuardaEstado
    // ("save state") gives the word for the entry selected.
    void PonEstado(const QString &ElEstado);
    QString GuardaEstado() const;

public Q_SLOTS:
    void chkAutoConn_Click();

private:
    QPointer<QCheckBox> m_chkAutoConn;
    QPointer<QComboBox> m_cboStatus;
};
