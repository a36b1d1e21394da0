#include "childprocess.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>
#include <csignal>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// The child's exit code when its read-only folder could not be made.
constexpr int kNoReadOnlyFolder = 97;

void Prepare(QProcess& p, const TChildLimits& limits) {
    const qint64 size = limits.FileSizeLimit;
    const QByteArray folder = QFileInfo(limits.ReadOnlyFolder).absoluteFilePath().toLocal8Bit();
    const bool readOnly = !limits.ReadOnlyFolder.isEmpty();
    const bool root = geteuid() == 0;
    p.setChildProcessModifier([size, folder, readOnly, root] {
        // After fork, before exec: only async-signal-safe calls.
        if (size >= 0) {
            signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{static_cast<rlim_t>(size), static_cast<rlim_t>(size)};
            if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(kNoReadOnlyFolder);
        }
        if (readOnly && root) {
            // A mount of our own, gone with the child.
            if (unshare(CLONE_NEWNS) != 0 || mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
                mount(folder.constData(), folder.constData(), nullptr, MS_BIND | MS_REC, nullptr) != 0 ||
                mount(nullptr, folder.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0)
                _exit(kNoReadOnlyFolder);
        }
    });
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("PRANDEL_NO_CUPS"), QStringLiteral("1"));
    p.setProcessEnvironment(env);
}

}  // namespace

void StartChild(QProcess& process, const QString& program, const QStringList& args) {
    Prepare(process, {});
    process.start(program, args);
}

QString CompanionPath() { return QStringLiteral(PRANDEL_CLI_PATH); }
QString WriterPath() { return QStringLiteral(ROBUST_WRITER_PATH); }

QString ReadOnlyFolderUnavailable() {
    if (geteuid() != 0) return {};
    static const QString why = [] {
        TChildLimits limits;
        limits.ReadOnlyFolder = QStringLiteral("/tmp");
        const TChildResult r = RunChild(QStringLiteral("/bin/true"), {}, limits, 10000);
        return r.Code == 0 ? QString()
                           : QStringLiteral("root writes into read-only folders, and no private read-only mount "
                                            "may be made here (no CAP_SYS_ADMIN in this container)");
    }();
    return why;
}

TChildResult RunChild(const QString& program, const QStringList& args, const TChildLimits& limits, int timeoutMs) {
    QProcess p;
    Prepare(p, limits);
    if (!limits.ReadOnlyFolder.isEmpty() && geteuid() != 0) {
        // Without root the permissions are enough; they come back afterwards.
        QFile::setPermissions(limits.ReadOnlyFolder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    }
    p.start(program, args);
    TChildResult r;
    const bool finished = p.waitForFinished(timeoutMs);
    if (!limits.ReadOnlyFolder.isEmpty() && geteuid() != 0)
        QFile::setPermissions(limits.ReadOnlyFolder,
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    if (!finished) {
        p.kill();
        p.waitForFinished();
    } else if (p.exitStatus() == QProcess::NormalExit) {
        r.Code = p.exitCode();
    }
    r.Out = QString::fromUtf8(p.readAllStandardOutput());
    r.Err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

bool RunAndKill(const QString& program, const QStringList& args, const std::function<bool()>& killNow, int timeoutMs) {
    QProcess p;
    Prepare(p, {});
    p.setStandardOutputFile(QProcess::nullDevice());
    p.setStandardErrorFile(QProcess::nullDevice());
    p.start(program, args);
    if (!p.waitForStarted()) return false;
    QElapsedTimer t;
    t.start();
    while (!p.waitForFinished(2)) {
        if (killNow() || t.elapsed() > timeoutMs) {
            ::kill(static_cast<pid_t>(p.processId()), SIGKILL);
            p.waitForFinished();
            return true;
        }
    }
    return false;
}
