#include "webadvertisingpanel.h"

#include "twips.h"
#include "webhelper.h"

#include <QCoreApplication>
#include <QDir>
#include <QPalette>

#include <csignal>
#include <cstdio>
#include <sys/prctl.h>

using namespace Qt::StringLiterals;

namespace {

// The helper only ever writes its ready line: no more of its output is kept.
constexpr qsizetype MaxOutput = 64;
// How long an ending helper may take before it is killed.
constexpr int EndLimitMs = 5000;

QString helperPath() {
    const QString named = qEnvironmentVariable(WebHelper::ExecutableVariable);
    return named.isEmpty() ? QDir(QCoreApplication::applicationDirPath())
                                 .filePath(QString::fromLatin1(WebHelper::ExecutableName))
                           : named;
}

} // namespace

WebAdvertisingPanel::WebAdvertisingPanel(QWidget *parent, int lingerMs)
    : QWidget(parent) {
    setFixedSize(Twips::size(3255, 1215));
    QPalette p = palette();
    p.setColor(QPalette::Window, WebHelper::pageBackground());
    setPalette(p);
    setAutoFillBackground(true);
    m_linger.setSingleShot(true);
    m_linger.setInterval(lingerMs);
    connect(&m_linger, &QTimer::timeout, this, &WebAdvertisingPanel::endHelper);
    m_startLimit.setSingleShot(true);
    m_startLimit.setInterval(StartLimitMs);
    connect(&m_startLimit, &QTimer::timeout, this, [this] {
        helperFailed(u"no respondió"_s);
        endHelper();
    });
}

WebAdvertisingPanel::~WebAdvertisingPanel() {
    if (!m_helper)
        return;
    // Its window lies inside this one's: it goes first, and at once.
    m_helper->disconnect(this);
    m_helper->closeWriteChannel();
    m_helper->terminate();
    m_helper->waitForFinished(1000);
}

void WebAdvertisingPanel::navigate(const QUrl &address) {
    m_address = address;
    if (m_seen)
        startHelper();
}

void WebAdvertisingPanel::setSeen(bool seen) {
    m_seen = seen;
    if (seen) {
        m_linger.stop();
        startHelper();
    } else if (m_helper) {
        m_linger.start();
    }
}

qint64 WebAdvertisingPanel::helperId() const {
    return m_helper ? m_helper->processId() : 0;
}

void WebAdvertisingPanel::startHelper() {
    if (m_helper || m_address.isEmpty())
        return;
    // A native window for this panel only, for the helper's view to lie in:
    // its neighbours stay drawn as one with the main window.
    QCoreApplication::setAttribute(Qt::AA_DontCreateNativeWidgetSiblings);
    setAttribute(Qt::WA_NativeWindow);
    const WId box = winId();

    m_helper = new QProcess(this);
    m_output.clear();
    m_ready = false;
    m_helper->setProgram(helperPath());
    m_helper->setArguments({QString::number(box), QString::number(width()),
                            QString::number(height()), m_address.toString(QUrl::FullyEncoded)});
    m_helper->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // However this process ends, even killed, the helper gets a signal.
    m_helper->setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
    QProcess *helper = m_helper;
    connect(helper, &QProcess::readyReadStandardOutput, this, &WebAdvertisingPanel::readHelper);
    connect(helper, &QProcess::errorOccurred, this, [this, helper](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            helperFailed(helper->errorString());
            helperFinished(helper);
        }
    });
    connect(helper, &QProcess::finished, this,
            [this, helper](int code, QProcess::ExitStatus status) {
                if (helper == m_helper)
                    helperFailed(status == QProcess::CrashExit
                                     ? u"terminó inesperadamente"_s
                                     : u"terminó inesperadamente (código %1)"_s.arg(code));
                helperFinished(helper);
            });
    m_helper->start(QIODevice::ReadWrite);
    m_startLimit.start();
}

// Asked to go by the end of its input; killed if it does not.
void WebAdvertisingPanel::endHelper() {
    m_linger.stop();
    m_startLimit.stop();
    QProcess *helper = m_helper;
    if (!helper)
        return;
    m_helper = nullptr;
    helper->closeWriteChannel();
    QTimer::singleShot(EndLimitMs, helper, &QProcess::kill);
}

void WebAdvertisingPanel::readHelper() {
    if (!m_helper)
        return;
    m_output += m_helper->readAll();
    if (!m_ready && m_output.contains(WebHelper::ReadyLine)) {
        m_ready = true;
        m_startLimit.stop();
        Q_EMIT helperReady();
    }
    m_output = m_output.right(MaxOutput);
}

void WebAdvertisingPanel::helperFailed(const QString &why) {
    std::fprintf(stderr, "sintonet-valdren: el panel de publicidad queda vacío: %s: %s\n",
                 WebHelper::ExecutableName, qPrintable(why));
    std::fflush(stderr);
}

void WebAdvertisingPanel::helperFinished(QProcess *helper) {
    if (helper == m_helper) {
        m_helper = nullptr;
        m_linger.stop();
        m_startLimit.stop();
    }
    helper->deleteLater();
}
