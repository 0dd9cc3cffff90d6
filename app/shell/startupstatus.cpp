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

void StartupStatus::PonEstado(StartState ElEstado) {
    if (!m_cboStatus)
        return;
    switch (ElEstado) {
    case StartState::InTray:
        m_cboStatus->setCurrentIndex(EnTray);
        break;
    case StartState::Minimized:
        m_cboStatus->setCurrentIndex(Minimizado);
        break;
    case StartState::Normal:
        m_cboStatus->setCurrentIndex(Normal);
        break;
    }
}

std::optional<StartState> StartupStatus::GuardaEstado() const {
    if (!m_cboStatus)
        return std::nullopt;
    switch (m_cboStatus->currentIndex()) {
    case EnTray:
        return StartState::InTray;
    case Minimizado:
        return StartState::Minimized;
    case Normal:
        return StartState::Normal;
    default:
        return std::nullopt;
    }
}

void StartupStatus::chkAutoConn_Click() {
    if (m_chkAutoConn && m_cboStatus)
        m_cboStatus->setVisible(m_chkAutoConn->checkState() == Qt::Checked);
}
