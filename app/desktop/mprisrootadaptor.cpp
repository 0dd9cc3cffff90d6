#include "mprisrootadaptor.h"

#include "mprisservice.h"

using namespace Qt::StringLiterals;

MprisRootAdaptor::MprisRootAdaptor(MprisService *service)
    : QDBusAbstractAdaptor(service)
    , m_service(service) {}

QString MprisRootAdaptor::identity() const {
    return u"Sintonet Valdren"_s;
}

QString MprisRootAdaptor::desktopEntry() const {
    return u"sintonet-valdren"_s;
}

void MprisRootAdaptor::Raise() {
    m_service->raise();
}

void MprisRootAdaptor::Quit() {}
