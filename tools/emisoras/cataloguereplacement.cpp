#include "cataloguereplacement.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace CatalogueReplacement {

namespace {

[[noreturn]] void fail(const QString &what, const QString &path, int error) {
    throw std::runtime_error(
        u"No se puede %1 «%2»: %3."_s.arg(what, path, QString::fromLocal8Bit(std::strerror(error)))
            .toStdString());
}

class Descriptor {
public:
    explicit Descriptor(int fd)
        : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }

private:
    int m_fd;
};

void writeAll(const QString &path, const QByteArray &bytes, mode_t mode) {
    const QByteArray name = QFile::encodeName(path);
    Descriptor fd(::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode));
    if (fd.get() < 0)
        fail(u"crear"_s, path, errno);
    // The mode asked for at creation is cut by the umask; a leftover file keeps its own.
    if (::fchmod(fd.get(), mode) != 0)
        fail(u"preparar"_s, path, errno);
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd.get(), bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            fail(u"escribir"_s, path, n < 0 ? errno : ENOSPC);
        done += n;
    }
    if (::fsync(fd.get()) != 0)
        fail(u"escribir"_s, path, errno);
    if (::close(fd.release()) != 0)
        fail(u"escribir"_s, path, errno);
}

// The old catalogue as the backup: a second name for the same file when the file system has
// them, a copy otherwise.
void keepBackup(const QString &path, const mode_t mode) {
    const QString backup = backupPath(path);
    const QByteArray from = QFile::encodeName(path);
    const QByteArray to = QFile::encodeName(backup);
    if (::unlink(to.constData()) != 0 && errno != ENOENT)
        fail(u"sustituir"_s, backup, errno);
    if (::link(from.constData(), to.constData()) == 0)
        return;
    QFile old(path);
    if (!old.open(QIODevice::ReadOnly))
        fail(u"leer"_s, path, EIO);
    const QByteArray bytes = old.readAll();
    if (old.error() != QFileDevice::NoError)
        fail(u"leer"_s, path, EIO);
    const QString pending = backup + u".nuevo"_s;
    writeAll(pending, bytes, mode);
    if (::rename(QFile::encodeName(pending).constData(), to.constData()) != 0)
        fail(u"guardar"_s, backup, errno);
}

void syncFolder(const QString &path) {
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    const Descriptor fd(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() >= 0)
        ::fsync(fd.get());
}

} // namespace

QString pendingPath(const QString &path) {
    return path + u".nuevo"_s;
}

QString backupPath(const QString &path) {
    return path + u".bak"_s;
}

void replace(const QString &path, const QByteArray &bytes,
             const std::function<void()> &beforeRename) {
    struct stat old {};
    mode_t mode = 0644;
    const QByteArray name = QFile::encodeName(path);
    const bool exists = ::stat(name.constData(), &old) == 0;
    if (exists)
        mode = old.st_mode & 07777;
    else if (errno != ENOENT)
        fail(u"leer"_s, path, errno);

    const QString pending = pendingPath(path);
    try {
        writeAll(pending, bytes, mode);
        if (exists)
            keepBackup(path, mode);
    } catch (...) {
        ::unlink(QFile::encodeName(pending).constData());
        throw;
    }
    if (beforeRename)
        beforeRename();
    if (::rename(QFile::encodeName(pending).constData(), name.constData()) != 0) {
        const int error = errno;
        ::unlink(QFile::encodeName(pending).constData());
        fail(u"sustituir"_s, path, error);
    }
    syncFolder(path);
}

} // namespace CatalogueReplacement
