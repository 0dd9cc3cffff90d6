#include "engineoptions.h"

#include <QStringList>

using namespace Qt::StringLiterals;

namespace EngineOptions {

namespace {

bool namesOutputPath(const QString &name) {
    return name.endsWith(u"-file"_s) || name == u"stream-record"_s || name == u"input-ipc-server"_s;
}

QString withComponentName(const QString &path, const QString &componentName) {
    const qsizetype slash = path.lastIndexOf(u'/');
    const qsizetype dot = path.lastIndexOf(u'.');
    // A leading dot names a hidden file, not an extension.
    if (dot > slash + 1)
        return path.left(dot) + u'.' + componentName + path.mid(dot);
    return path + u'.' + componentName;
}

} // namespace

QList<Option> radioDefaults() {
    return {
        // Sound only: no window, no cover pictures, no external downloader
        // (the engine would otherwise start one for addresses it does not know).
        {"vid", "no"},
        {"audio-display", "no"},
        {"ytdl", "no"},
        {"load-scripts", "no"},
        {"load-stats-overlay", "no"},
        {"load-osd-console", "no"},
        {"load-auto-profiles", "no"},
        {"osd-font-provider", "none"},
        {"sub-font-provider", "none"},
        {"input-default-bindings", "no"},
        {"sub-auto", "no"},
        {"audio-file-auto", "no"},
        {"resume-playback", "no"},
        {"audio-client-name", "Sintonet Valdren"},
        // A dead station must not keep the component busy for a minute.
        {"network-timeout", "10"},
        // A live stream has no end; a small buffer starts it sooner and
        // keeps memory low.
        {"cache", "yes"},
        {"cache-secs", "20"},
        {"demuxer-max-bytes", "2MiB"},
        // A little behind the play position, not none: the engine keeps a station's new
        // titles with what it has already read, and with no back buffer it drops them, so
        // the first title would be the only one ever seen.
        {"demuxer-max-back-bytes", "64KiB"},
        // Let the network library reconnect a dropped live stream by itself
        // before the component's own retry takes over.
        {"stream-lavf-o", "reconnect=1,reconnect_streamed=1,reconnect_delay_max=2"},
    };
}

QList<Option> parse(const QString &text, const QString &componentName) {
    QList<Option> options;
    const QStringList pairs = text.split(u',', Qt::SkipEmptyParts);
    for (const QString &pair : pairs) {
        const qsizetype equals = pair.indexOf(u'=');
        QString name = (equals < 0 ? pair : pair.left(equals)).trimmed();
        QString value = equals < 0 ? u"yes"_s : pair.mid(equals + 1).trimmed();
        if (name.startsWith(u"--"_s))
            name = name.mid(2);
        if (name.isEmpty())
            continue;
        if (namesOutputPath(name) && !value.isEmpty())
            value = withComponentName(value, componentName);
        options.append({name.toUtf8(), value.toUtf8()});
    }
    return options;
}

QList<Option> fromEnvironment(const QString &componentName) {
    return parse(qEnvironmentVariable(EnvironmentVariable), componentName);
}

} // namespace EngineOptions
