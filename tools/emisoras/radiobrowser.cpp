#include "radiobrowser.h"

#include <QDnsLookup>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRandomGenerator>
#include <QTimer>
#include <QUrlQuery>

#include <stdexcept>

using namespace Qt::StringLiterals;

namespace RadioBrowser {

namespace {

// A station of the directory takes well under a kilobyte of JSON; this leaves room.
constexpr qint64 BytesPerStation = 8 * 1024;
constexpr qint64 MinAnswerBytes = 1024 * 1024;

[[noreturn]] void fail(const QString &message) {
    throw std::runtime_error(message.toStdString());
}

} // namespace

QUrl findServer(int timeoutMs) {
    QDnsLookup lookup(QDnsLookup::SRV, QString::fromUtf16(ServiceRecord));
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&lookup, &QDnsLookup::finished, &loop, &QEventLoop::quit);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    lookup.lookup();
    timer.start(timeoutMs);
    if (!lookup.isFinished())
        loop.exec();
    const auto offline = [](const QString &why) {
        fail(u"No se encuentra ningún servidor del directorio de emisoras (%1). ¿Hay conexión "
             u"a Internet? Puede indicar uno con --servidor URL."_s.arg(why));
    };
    if (!lookup.isFinished()) {
        lookup.abort();
        offline(u"la consulta DNS no responde"_s);
    }
    if (lookup.error() != QDnsLookup::NoError)
        offline(lookup.errorString());
    const QList<QDnsServiceRecord> records = lookup.serviceRecords();
    QStringList hosts;
    for (const QDnsServiceRecord &r : records) {
        QString host = r.target();
        if (host.endsWith(u'.'))
            host.chop(1);
        if (!host.isEmpty())
            hosts.append(host);
    }
    if (hosts.isEmpty())
        offline(u"el registro DNS no lista ninguno"_s);
    QUrl server;
    server.setScheme(u"https"_s);
    server.setHost(hosts[QRandomGenerator::global()->bounded(int(hosts.size()))]);
    return server;
}

QList<Station> stationsOfCountry(const QUrl &server, const QString &countryCode, int limit,
                                 const QString &userAgent, int timeoutMs) {
    QUrl url = server;
    QString path = url.path();
    if (path.endsWith(u'/'))
        path.chop(1);
    url.setPath(path + u"/json/stations/search"_s);
    QUrlQuery query;
    query.addQueryItem(u"countrycode"_s, countryCode);
    query.addQueryItem(u"hidebroken"_s, u"true"_s);
    query.addQueryItem(u"order"_s, u"clickcount"_s);
    query.addQueryItem(u"reverse"_s, u"true"_s);
    query.addQueryItem(u"limit"_s, QString::number(limit));
    url.setQuery(query);

    QNetworkAccessManager network;
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::UserAgentHeader, userAgent);
    request.setRawHeader("Accept", "application/json");
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setTransferTimeout(timeoutMs);
    QNetworkReply *reply = network.get(request);
    const qint64 maxBytes = std::max(MinAnswerBytes, qint64(limit) * BytesPerStation);
    QByteArray body;
    bool tooLarge = false;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(reply, &QNetworkReply::readyRead, &loop, [&] {
        body += reply->read(maxBytes + 1 - body.size());
        if (body.size() > maxBytes) {
            tooLarge = true;
            reply->abort();
        }
    });
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QObject::connect(&timer, &QTimer::timeout, reply, &QNetworkReply::abort);
    timer.start(timeoutMs);
    if (!reply->isFinished())
        loop.exec();
    const bool timedOut = !timer.isActive();
    if (!tooLarge)
        body += reply->read(maxBytes + 1 - body.size());
    const QNetworkReply::NetworkError error = reply->error();
    const QString errorText = reply->errorString();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    reply->deleteLater();

    const QString where = server.toString();
    if (tooLarge || body.size() > maxBytes)
        fail(u"El directorio «%1» responde con más datos de los esperados."_s.arg(where));
    if (timedOut)
        fail(u"El directorio «%1» no responde a tiempo."_s.arg(where));
    if (error != QNetworkReply::NoError)
        fail(u"No se puede consultar el directorio «%1»: %2. ¿Hay conexión a Internet?"_s.arg(
            where, errorText));
    if (status != 200)
        fail(u"El directorio «%1» responde con el código HTTP %2."_s.arg(where).arg(status));

    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(body, &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isArray())
        fail(u"La respuesta del directorio «%1» no es una lista JSON de emisoras."_s.arg(where));
    QList<Station> stations;
    const QJsonArray array = document.array();
    // A server that ignores the limit still gives no more than asked for.
    for (qsizetype i = 0; i < array.size() && i < limit; ++i) {
        const QJsonObject o = array[i].toObject();
        // Some servers ignore a parameter: what they return is checked against the question.
        if (o.value(u"countrycode"_s).toString().compare(countryCode, Qt::CaseInsensitive) != 0)
            continue;
        if (o.contains(u"lastcheckok"_s) && o.value(u"lastcheckok"_s).toInt(1) != 1)
            continue;
        QString address = o.value(u"url_resolved"_s).toString().trimmed();
        if (address.isEmpty())
            address = o.value(u"url"_s).toString().trimmed();
        stations.append({o.value(u"name"_s).toString().trimmed(), address});
    }
    return stations;
}

} // namespace RadioBrowser
