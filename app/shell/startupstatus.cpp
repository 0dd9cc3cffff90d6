#include "startupstatus.h"

#include <QCheckBox>
#include <QComboBox>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace {

enum Entry { EnTray = 0, Minimizado = 1, Normal = 2 };

} // namespace

StartupStatus::StartupStatus(QCheckBox *chkAutoConn, QComboBox *cboStatus, QObject *parent)
    : QObject(parent)
    , m_chkAutoConn(chkAutoConn)
    , m_cboStatus(cboStatus) {
    cboStatus->clear();
    cboStatus->addItems({u"En Tray"_s, u"Minimizado"_s, u"Normal"_s});
    cboStatus->setCurrentIndex(-1);
    connect(chkAutoConn, &QCheckBox::stateChanged, this, &StartupStatus::chkAutoConn_Click);
    chkAutoConn_Click();
}

void StartupStatus::PonEstado(const QString &ElEstado) {
    if (!m_cboStatus)
        return;
    const QString word = ElEstado.toLower();
    if (word == u"intray"_s)
        m_cboStatus->setCurrentIndex(EnTray);
    else if (word == u"minimized"_s)
        m_cboStatus->setCurrentIndex(Minimizado);
    else
        m_cboStatus->setCurrentIndex(Normal);
}

QString StartupStatus::GuardaEstado() const {
    if (!m_cboStatus)
        return QString();
    switch (m_cboStatus->currentIndex()) {
    case EnTray:
        return u"InTray"_s;
    case Minimizado:
        return u"Minimized"_s;
    case Normal:
        return u"Normal"_s;
    default:
        return QString();
    }
}

void StartupStatus::chkAutoConn_Click() {
    if (m_chkAutoConn && m_cboStatus)
        m_cboStatus->setVisible(m_chkAutoConn->checkState() == Qt::Checked);
}
