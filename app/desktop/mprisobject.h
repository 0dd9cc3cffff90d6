#pragma once

#include <QDBusVirtualObject>

class MprisService;

// The service's object on the bus: org.mpris.MediaPlayer2 and its Player
// interface, with their properties, answered here from one table. Qt's own
// property handling answers every refused write with an internal error; a
// client that sends a value of the wrong type must be told InvalidArgs.
class MprisObject : public QDBusVirtualObject {
    Q_OBJECT

public:
    explicit MprisObject(MprisService &service);

    QString introspect(const QString &path) const override;
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override;

private:
    QDBusMessage answerProperties(const QDBusMessage &message);
    QDBusMessage answerMethod(const QDBusMessage &message);

    MprisService &m_service;
};
