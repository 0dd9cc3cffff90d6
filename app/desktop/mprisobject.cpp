#include "mprisobject.h"

#include "mprisservice.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QHash>
#include <QList>
#include <QStringList>

#include <algorithm>
#include <functional>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

const QString RootInterface = u"org.mpris.MediaPlayer2"_s;
const QString PropertiesInterface = u"org.freedesktop.DBus.Properties"_s;
// Its methods and the signature each takes.
const QHash<QString, QString> PropertiesMethods = {
    {u"Get"_s, u"ss"_s}, {u"GetAll"_s, u"s"_s}, {u"Set"_s, u"ssv"_s}};

using Read = std::function<QVariant(MprisService &)>;
// False, with nothing done, when the value is of the wrong type.
using Write = std::function<bool(MprisService &, const QVariant &)>;

struct Property {
    QString interface;
    QString name;
    QString type;
    Read read;
    Write write = nullptr; // none: read-only
};

struct Method {
    QString interface;
    QString name;
    QList<std::pair<QString, QString>> arguments;      // name and type of each
    std::function<void(MprisService &)> run = nullptr; // none: accepted, nothing to do

    QString signature() const {
        QString all;
        for (const auto &argument : arguments)
            all += argument.second;
        return all;
    }
};

template<typename T> Read fixed(T value) {
    return [value](MprisService &) { return QVariant::fromValue(value); };
}

// Any D-Bus number is taken as a volume. Strings are not, even "0.5": a client
// sending one has a fault that silence would hide.
bool writeVolume(MprisService &service, const QVariant &value) {
    switch (value.metaType().id()) {
    case QMetaType::Double:
    case QMetaType::UChar:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        service.setVolume(value.toDouble());
        return true;
    default:
        return false;
    }
}

const QList<Property> &properties() {
    const QString &player = MprisService::PlayerInterface;
    static const QList<Property> table = {
        // Ending the program stays with the window's own close paths.
        {RootInterface, u"CanQuit"_s, u"b"_s, fixed(false)},
        {RootInterface, u"CanRaise"_s, u"b"_s, fixed(true)},
        {RootInterface, u"HasTrackList"_s, u"b"_s, fixed(false)},
        {RootInterface, u"Identity"_s, u"s"_s, fixed(u"Sintonet Valdren"_s)},
        // The launcher's file name without ".desktop".
        {RootInterface, u"DesktopEntry"_s, u"s"_s, fixed(u"sintonet-valdren"_s)},
        // Stations come from the catalogue only.
        {RootInterface, u"SupportedUriSchemes"_s, u"as"_s, fixed(QStringList())},
        {RootInterface, u"SupportedMimeTypes"_s, u"as"_s, fixed(QStringList())},
        // A station is live: one "track" that plays or not, with no position,
        // no seeking and nothing before or after it.
        {player, u"PlaybackStatus"_s, u"s"_s, &MprisService::playbackStatus},
        {player, u"Rate"_s, u"d"_s, fixed(1.0)},
        {player, u"MinimumRate"_s, u"d"_s, fixed(1.0)},
        {player, u"MaximumRate"_s, u"d"_s, fixed(1.0)},
        {player, u"Metadata"_s, u"a{sv}"_s, &MprisService::metadata},
        {player, u"Volume"_s, u"d"_s, &MprisService::volume, writeVolume},
        {player, u"Position"_s, u"x"_s, fixed(qlonglong(0))},
        {player, u"CanGoNext"_s, u"b"_s, fixed(false)},
        {player, u"CanGoPrevious"_s, u"b"_s, fixed(false)},
        {player, u"CanPlay"_s, u"b"_s, fixed(true)},
        // Pausing a live station is cutting it.
        {player, u"CanPause"_s, u"b"_s, fixed(true)},
        {player, u"CanSeek"_s, u"b"_s, fixed(false)},
        {player, u"CanControl"_s, u"b"_s, fixed(true)},
    };
    return table;
}

const QList<Method> &methods() {
    const QString &player = MprisService::PlayerInterface;
    static const QList<Method> table = {
        {RootInterface, u"Raise"_s, {}, &MprisService::raise},
        {RootInterface, u"Quit"_s, {}},
        {player, u"Next"_s, {}},
        {player, u"Previous"_s, {}},
        {player, u"Pause"_s, {}, &MprisService::pause},
        {player, u"PlayPause"_s, {}, &MprisService::playPause},
        {player, u"Stop"_s, {}, &MprisService::stop},
        {player, u"Play"_s, {}, &MprisService::play},
        // A live station has no position to move to.
        {player, u"Seek"_s, {{u"Offset"_s, u"x"_s}}},
        {player, u"SetPosition"_s, {{u"TrackId"_s, u"o"_s}, {u"Position"_s, u"x"_s}}},
        {player, u"OpenUri"_s, {{u"Uri"_s, u"s"_s}}},
    };
    return table;
}

bool isOurs(const QString &interface) {
    return interface == RootInterface || interface == MprisService::PlayerInterface;
}

// Never sent: a live station does not seek.
const QString SeekedXml = uR"(    <signal name="Seeked">
      <arg name="Position" type="x" direction="out"/>
    </signal>
)"_s;

} // namespace

MprisObject::MprisObject(MprisService &service)
    : QDBusVirtualObject(&service)
    , m_service(service) {}

QString MprisObject::introspect(const QString &) const {
    QString xml;
    for (const QString &interface : {RootInterface, MprisService::PlayerInterface}) {
        xml += u"  <interface name=\"%1\">\n"_s.arg(interface);
        for (const Property &property : properties()) {
            if (property.interface != interface)
                continue;
            xml += u"    <property name=\"%1\" type=\"%2\" access=\"%3\""_s.arg(
                property.name, property.type, property.write ? u"readwrite"_s : u"read"_s);
            // By this mark Qt's own clients read a{sv} as a QVariantMap.
            if (property.type == u"a{sv}"_s)
                xml += u">\n      <annotation name=\"org.qtproject.QtDBus.QtTypeName\" "
                       "value=\"QVariantMap\"/>\n    </property>\n"_s;
            else
                xml += u"/>\n"_s;
        }
        if (interface == MprisService::PlayerInterface)
            xml += SeekedXml;
        for (const Method &method : methods()) {
            if (method.interface != interface)
                continue;
            xml += u"    <method name=\"%1\">\n"_s.arg(method.name);
            for (const auto &[name, type] : method.arguments)
                xml += u"      <arg name=\"%1\" type=\"%2\" direction=\"in\"/>\n"_s.arg(name, type);
            xml += u"    </method>\n"_s;
        }
        xml += u"  </interface>\n"_s;
    }
    // Qt adds Properties, Introspectable and Peer.
    return xml;
}

bool MprisObject::handleMessage(const QDBusMessage &message, const QDBusConnection &connection) {
    const QString interface = message.interface();
    // Qt answers introspection itself, with what introspect() gives, and the
    // bus library answers Peer.
    if (message.type() != QDBusMessage::MethodCallMessage ||
        interface == u"org.freedesktop.DBus.Introspectable"_s ||
        interface == u"org.freedesktop.DBus.Peer"_s ||
        (interface.isEmpty() && message.member() == u"Introspect"_s))
        return false;
    const bool toProperties = interface == PropertiesInterface ||
                              (interface.isEmpty() && PropertiesMethods.contains(message.member()));
    const QDBusMessage reply = toProperties ? answerProperties(message) : answerMethod(message);
    if (message.isReplyRequired())
        connection.send(reply);
    return true;
}

QDBusMessage MprisObject::answerProperties(const QDBusMessage &message) {
    const QString member = message.member();
    if (!PropertiesMethods.contains(member))
        return message.createErrorReply(QDBusError::UnknownMethod,
                                        u"No method %1 in %2"_s.arg(member, PropertiesInterface));
    if (message.signature() != PropertiesMethods.value(member))
        return message.createErrorReply(
            QDBusError::InvalidArgs,
            u"%1 takes (%2), not (%3)"_s.arg(member, PropertiesMethods.value(member),
                                             message.signature()));

    const QVariantList arguments = message.arguments();
    const QString interface = arguments.at(0).toString();
    // An empty interface name asks for any interface.
    if (!interface.isEmpty() && !isOurs(interface))
        return message.createErrorReply(QDBusError::UnknownInterface,
                                        u"No interface %1 here"_s.arg(interface));
    const auto matches = [&](const Property &property) {
        return interface.isEmpty() || property.interface == interface;
    };
    if (member == u"GetAll"_s) {
        QVariantMap all;
        for (const Property &property : properties()) {
            if (matches(property))
                all.insert(property.name, property.read(m_service));
        }
        return message.createReply(QVariant::fromValue(all));
    }

    const QString name = arguments.at(1).toString();
    const auto found =
        std::find_if(properties().cbegin(), properties().cend(),
                     [&](const Property &p) { return matches(p) && p.name == name; });
    if (found == properties().cend())
        return message.createErrorReply(QDBusError::UnknownProperty,
                                        u"No property %1 in %2"_s.arg(name, interface));
    if (member == u"Get"_s)
        return message.createReply(QVariant::fromValue(QDBusVariant(found->read(m_service))));
    if (!found->write)
        return message.createErrorReply(QDBusError::PropertyReadOnly,
                                        u"Property %1 is read-only"_s.arg(name));
    if (!found->write(m_service, arguments.at(2).value<QDBusVariant>().variant()))
        return message.createErrorReply(QDBusError::InvalidArgs,
                                        u"Property %1 takes type %2"_s.arg(name, found->type));
    return message.createReply();
}

QDBusMessage MprisObject::answerMethod(const QDBusMessage &message) {
    const QString interface = message.interface();
    if (!interface.isEmpty() && !isOurs(interface))
        return message.createErrorReply(QDBusError::UnknownInterface,
                                        u"No interface %1 here"_s.arg(interface));
    const auto found = std::find_if(methods().cbegin(), methods().cend(), [&](const Method &m) {
        return (interface.isEmpty() || m.interface == interface) && m.name == message.member();
    });
    if (found == methods().cend())
        return message.createErrorReply(QDBusError::UnknownMethod,
                                        u"No method %1 in %2"_s.arg(message.member(), interface));
    if (message.signature() != found->signature())
        return message.createErrorReply(
            QDBusError::InvalidArgs,
            u"%1 takes (%2), not (%3)"_s.arg(found->name, found->signature(), message.signature()));
    if (found->run)
        found->run(m_service);
    return message.createReply();
}
